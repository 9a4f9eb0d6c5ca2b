#include "author/ShowTimeline.h"

#include <algorithm>

#include "capture/CaptureSchedule.h"
#include "core/Engine.h"
#include "fx2d/PBuffer.h"
#include "glext/GlExtensions.h"
#include "platform/Clock.h"

namespace {

// As in a capture: pictures come a hair after their music times, so that the
// music position, counted in whole samples, has surely reached them.
constexpr int64_t kMusicLeadNs = 1000;
// The schedule's frame rate only picks frames to read back, which a run-up
// never does.
constexpr double kAnyRate = 60.0;

}  // namespace

bool ShowTimeline::Step(Engine& engine, bool render, int64_t originNs, CaptureSchedule& schedule,
                        uint32_t* written) {
    if (render) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        engine.ComposeFrame();
    } else {
        const uint32_t buffers = engine.AdvanceFrame();
        if (written != nullptr) {
            *written = buffers;
        }
    }
    if (engine.RunDemoStep() == -1) {
        return false;
    }
    const CaptureSchedule::Cover cover = schedule.CoverPicture(Platform::VirtualTimeNs() - originNs);
    if (cover.moveClockTo >= 0) {
        Platform::SetVirtualTimeNs(originNs + cover.moveClockTo);
    }
    return true;
}

void ShowTimeline::Build(Engine& engine, int64_t untilNs) {
    pictures.clear();
    originNs = Platform::VirtualTimeNs() + kMusicLeadNs;
    Platform::SetVirtualTimeNs(originNs);
    CaptureSchedule schedule(kAnyRate, 0.0, 0);
    for (;;) {
        Picture picture{schedule.ComposeTimeNs(), 0};
        const bool goesOn = Step(engine, false, originNs, schedule, &picture.written);
        // The picture of the stop event is composed but never seen.
        if (!goesOn) {
            endNs = picture.timeNs;
            return;
        }
        pictures.push_back(picture);
        if (picture.timeNs > untilNs) {
            endNs = picture.timeNs;
            return;
        }
    }
}

int64_t ShowTimeline::TimeNs(int64_t picture) const {
    if (pictures.empty()) {
        return 0;
    }
    const int64_t index = std::clamp<int64_t>(picture, 0, PictureCount() - 1);
    return pictures[static_cast<size_t>(index)].timeNs;
}

int64_t ShowTimeline::PictureAt(int64_t timeNs) const {
    const auto after = std::upper_bound(pictures.begin(), pictures.end(), timeNs,
                                        [](int64_t time, const Picture& picture) { return time < picture.timeNs; });
    const int64_t index = static_cast<int64_t>(after - pictures.begin()) - 1;
    return std::max<int64_t>(index, 0);
}

// Walking back from the target, each picture that drew into a pixel buffer
// still short of its last few pictures is drawn.
std::vector<bool> ShowTimeline::PicturesToDraw(const Engine& engine, int64_t target) const {
    std::vector<bool> draw(static_cast<size_t>(target), false);
    int kept[32] = {};
    int wanted[32] = {};
    for (int bit = 0; bit < 32; ++bit) {
        const PBuffer* pbuffer = bit < engine.pixelBufferCount ? engine.pixelBuffers[bit] : nullptr;
        wanted[bit] = pbuffer != nullptr && pbuffer == engine.FindPixelBuffer("PB_BLUR2") ? kFeedbackPictures
                                                                                         : kPicturesKept;
    }
    for (int64_t j = target - 1; j >= 0; --j) {
        const uint32_t written = pictures[static_cast<size_t>(j)].written;
        bool needed = false;
        for (int bit = 0; bit < 32; ++bit) {
            if ((written & (1u << bit)) != 0 && kept[bit] < wanted[bit]) {
                needed = true;
            }
        }
        if (!needed) {
            continue;
        }
        draw[static_cast<size_t>(j)] = true;
        for (int bit = 0; bit < 32; ++bit) {
            if ((written & (1u << bit)) != 0) {
                kept[bit] += 1;
            }
        }
    }
    return draw;
}

void ShowTimeline::RunUpTo(Engine& engine, int64_t target, int64_t* drawn) const {
    target = std::clamp<int64_t>(target, 0, PictureCount());
    const std::vector<bool> draw = PicturesToDraw(engine, target);
    const int64_t origin = Platform::VirtualTimeNs() + kMusicLeadNs;
    Platform::SetVirtualTimeNs(origin);
    CaptureSchedule schedule(kAnyRate, 0.0, 0);
    int64_t count = 0;
    for (int64_t j = 0; j < target; ++j) {
        const bool render = draw[static_cast<size_t>(j)];
        count += render ? 1 : 0;
        if (!Step(engine, render, origin, schedule, nullptr)) {
            break;
        }
    }
    if (drawn != nullptr) {
        *drawn = count;
    }
}
