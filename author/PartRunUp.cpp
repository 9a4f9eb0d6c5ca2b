#include "author/PartRunUp.h"

#include <algorithm>
#include <chrono>

#include "author/ShowState.h"
#include "capture/CaptureSchedule.h"
#include "core/Engine.h"
#include "glext/GlExtensions.h"
#include "platform/Clock.h"
#include "scene/Scene.h"

namespace {

// Pictures between two questions whether to go on.
constexpr int64_t kAskEvery = 32;

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point begin) {
    return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

// One picture as the capture's frame loop takes it: composed (or walked),
// the show stepped, the clock moved to the next picture. False at the show's
// end. Answers the pixel buffers a walked picture would have drawn into.
bool Step(Engine& engine, bool draw, CaptureSchedule& schedule, int64_t originNs, uint32_t* written) {
    if (draw) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        engine.ComposeFrame();
    } else {
        *written = engine.AdvanceFrame();
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

uint32_t PixelBufferBit(const Engine& engine, const PBuffer* pbuffer) {
    for (int32_t i = 0; i < engine.pixelBufferCount && i < 32; ++i) {
        if (pbuffer != nullptr && engine.pixelBuffers[i] == pbuffer) {
            return 1u << i;
        }
    }
    return 0;
}

// The pixel buffers a picture draws over instead of anew: the blur's
// feedback, and those of scenes that do not clear before drawing.
uint32_t AccumulatingBuffers(const Engine& engine) {
    uint32_t mask = PixelBufferBit(engine, engine.FindPixelBuffer("PB_BLUR2"));
    for (int32_t i = 0; i < engine.sceneCount; ++i) {
        const Scene* scene = engine.scenes[i];
        if (scene != nullptr && scene->clearBuffers == 0) {
            mask |= PixelBufferBit(engine, scene->GetPBuffer());
        }
    }
    return mask;
}

}  // namespace

std::vector<bool> PartRunUp::PicturesToDraw(const std::vector<uint32_t>& written, int64_t target,
                                            uint32_t accumulating) {
    std::vector<bool> draw(static_cast<size_t>(target), false);
    // Buffers whose content a picture drawn later shows, still to be drawn.
    uint32_t needed = ~accumulating;
    for (int64_t j = target - 1; j >= 0; --j) {
        const uint32_t mask = written[static_cast<size_t>(j)];
        if ((mask & (accumulating | needed)) == 0) {
            continue;
        }
        draw[static_cast<size_t>(j)] = true;
        // This picture draws its buffers anew and may show any other.
        needed = ~mask & ~accumulating;
    }
    return draw;
}

PartRunUp::Walk PartRunUp::WalkTo(Engine& engine, const CaptureSchedule& schedule, int64_t originNs,
                                  int64_t frameNs, const std::function<bool()>& goOn) {
    Walk walk;
    CaptureSchedule path = schedule;
    const int64_t endNs = schedule.FrameTimeNs(std::max<int64_t>(schedule.FrameCount() - 1, 0));
    for (int64_t j = 0;; ++j) {
        const int64_t timeNs = path.ComposeTimeNs();
        if (timeNs > endNs && timeNs > frameNs) {
            break;
        }
        if (timeNs <= frameNs) {
            walk.target = j;
        }
        uint32_t mask = 0;
        const bool goesOn = Step(engine, false, path, originNs, &mask);
        walk.written.push_back(mask);
        if (!goesOn) {
            break;
        }
        if (j % kAskEvery == kAskEvery - 1 && !goOn()) {
            walk.stopped = true;
            break;
        }
    }
    return walk;
}

bool PartRunUp::Run(Engine& engine, CaptureSchedule& schedule, int64_t originNs, int64_t frameNs, Cost* cost,
                    const std::function<bool()>& goOn) {
    const Clock::time_point began = Clock::now();
    ShowState loaded;
    loaded.Take(engine, true);
    // The walk goes on to the part's last frame, to see whether the part
    // shows the blur: the feedback picture matters only then.
    Walk walk = WalkTo(engine, schedule, originNs, frameNs, goOn);
    if (walk.stopped) {
        return false;
    }
    const double walkMs = MsSince(began);
    const Clock::time_point ran = Clock::now();
    loaded.Restore(engine);
    uint32_t accumulating = AccumulatingBuffers(engine);
    const uint32_t feedback = PixelBufferBit(engine, engine.FindPixelBuffer("PB_BLUR2"));
    bool blurred = false;
    for (size_t j = static_cast<size_t>(walk.target); j < walk.written.size(); ++j) {
        blurred = blurred || (walk.written[j] & feedback) != 0;
    }
    if (!blurred) {
        for (uint32_t& mask : walk.written) {
            mask &= ~feedback;
        }
        accumulating &= ~feedback;
    }
    const std::vector<bool> draw = PicturesToDraw(walk.written, walk.target, accumulating);
    // The window's own pictures are cleared by the next one and never read
    // back: drawn pictures draw into the pixel buffers (contexts of their own)
    // only, the window clipped to one pixel.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);
    int64_t drawn = 0;
    bool stopped = false;
    for (int64_t j = 0; j < walk.target && !stopped; ++j) {
        uint32_t mask = 0;
        const bool render = draw[static_cast<size_t>(j)];
        drawn += render ? 1 : 0;
        if (!Step(engine, render, schedule, originNs, &mask)) {
            break;
        }
        stopped = j % kAskEvery == kAskEvery - 1 && !goOn();
    }
    glDisable(GL_SCISSOR_TEST);
    if (cost != nullptr) {
        *cost = Cost{walk.target, drawn, walkMs, MsSince(ran)};
    }
    return !stopped;
}
