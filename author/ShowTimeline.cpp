#include "author/ShowTimeline.h"

#include <algorithm>

#include "capture/CapturePath.h"
#include "core/Engine.h"
#include "glext/GlExtensions.h"

namespace {

constexpr int64_t kNsPerMs = 1000000;

}  // namespace

bool ShowTimeline::Step(Engine& engine, bool render, CapturePath& path, uint32_t* written) {
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
    path.PictureDone();
    return true;
}

void ShowTimeline::Build(Engine& engine, int64_t untilNs) {
    pictures.clear();
    CapturePath path = CapturePath::RunUp();
    originNs = path.OriginNs();
    for (;;) {
        Picture picture{path.PictureTimeNs(), 0};
        const bool goesOn = Step(engine, false, path, &picture.written);
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

int64_t ShowTimeline::LabelNs(int64_t picture) const {
    const int64_t time = TimeNs(picture);
    const int64_t label = (time + kNsPerMs - 1) / kNsPerMs * kNsPerMs;
    return picture + 1 < PictureCount() && label >= TimeNs(picture + 1) ? time : label;
}

int64_t ShowTimeline::PictureAt(int64_t timeNs) const {
    const auto after = std::upper_bound(pictures.begin(), pictures.end(), timeNs,
                                        [](int64_t time, const Picture& picture) { return time < picture.timeNs; });
    const int64_t index = static_cast<int64_t>(after - pictures.begin()) - 1;
    return std::max<int64_t>(index, 0);
}

uint32_t ShowTimeline::Written(int64_t picture) const {
    return picture >= 0 && picture < PictureCount() ? pictures[static_cast<size_t>(picture)].written : 0;
}

void ShowTimeline::RunUp(Engine& engine, int64_t target, const std::vector<bool>& draw,
                         const AfterPicture& after) const {
    target = std::clamp<int64_t>(target, 0, PictureCount());
    CapturePath path = CapturePath::RunUp();
    for (int64_t j = 0; j < target; ++j) {
        const bool render = static_cast<size_t>(j) < draw.size() && draw[static_cast<size_t>(j)];
        if (!Step(engine, render, path, nullptr)) {
            break;
        }
        after(j);
    }
}
