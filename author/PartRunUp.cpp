#include "author/PartRunUp.h"

#include <chrono>

#include "author/ShowState.h"
#include "capture/CaptureSchedule.h"
#include "core/Engine.h"
#include "glext/GlExtensions.h"
#include "platform/Clock.h"
#include "scene/Scene.h"

namespace {

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

void PartRunUp::Run(Engine& engine, CaptureSchedule& schedule, int64_t originNs, int64_t frameNs, Cost* cost) {
    const Clock::time_point began = Clock::now();
    ShowState loaded;
    loaded.Take(engine, true);
    // The walk: up to the picture on screen at the frame, the last one
    // composed at or before it, which the capture composes next.
    std::vector<uint32_t> written;
    CaptureSchedule walk = schedule;
    while (walk.ComposeTimeNs() <= frameNs) {
        uint32_t mask = 0;
        const bool goesOn = Step(engine, false, walk, originNs, &mask);
        written.push_back(mask);
        if (!goesOn) {
            break;
        }
    }
    const auto target = static_cast<int64_t>(written.size()) - 1;
    const double walkMs = MsSince(began);
    const Clock::time_point ran = Clock::now();
    loaded.Restore(engine);
    const std::vector<bool> draw = PicturesToDraw(written, target, AccumulatingBuffers(engine));
    int64_t drawn = 0;
    for (int64_t j = 0; j < target; ++j) {
        uint32_t mask = 0;
        const bool render = draw[static_cast<size_t>(j)];
        drawn += render ? 1 : 0;
        if (!Step(engine, render, schedule, originNs, &mask)) {
            break;
        }
    }
    if (cost != nullptr) {
        *cost = Cost{target, drawn, walkMs, MsSince(ran)};
    }
}
