// The scene clock: advances the animation frame by the real time passed,
// counted in frame periods, and paces the frame loop to the scene's rate.
#include "scene/Scene.h"

#include "platform/Clock.h"

namespace {

// Sleeping ends late by scheduler jitter, so the last stretch of each period
// is waited out by polling the timer; the rest of it is slept.
constexpr float kPollWindowMs = 0.5f;

// A rate above 1000 frames per second would give a period of 0 ms and an
// endless frame: one millisecond is the shortest period the clock keeps. A
// negative rate gives a negative period, which plays the animation backwards
// without waiting.
int32_t FramePeriodMs(int32_t frameSpeed) {
    const int32_t period = 1000 / frameSpeed;
    if (period == 0) {
        return frameSpeed > 0 ? 1 : -1;
    }
    return period;
}

// Returns only once more than periodMs have passed on the timer.
void WaitForPeriod(const Timer& clock, float periodMs) {
    for (;;) {
        const float remaining = periodMs - clock.ElapsedMs();
        if (remaining < 0.0f) {
            return;
        }
        if (remaining > kPollWindowMs) {
            Platform::SleepMs(static_cast<double>(remaining - kPollWindowMs));
        } else {
            Platform::BusyWaitStep();
        }
    }
}

}  // namespace

void Scene::Update() {
    if (clockStarted == 0) {
        // The first update after the scene becomes active only starts its clock.
        clock.Start();
        clockStarted = 1;
        currentFrame = 0.0f;
        return;
    }
    frameElapsed = clock.ElapsedMs();
    // A scene without a rate stands still and does not pace the loop.
    if (params.frameSpeed == 0) {
        return;
    }
    const int32_t period = FramePeriodMs(params.frameSpeed);
    WaitForPeriod(clock, static_cast<float>(period));

    const float elapsed = clock.ElapsedMs();
    frameElapsed = elapsed;
    clock.Restart();

    // Rotation steps once per update, whatever the time passed.
    const uint32_t count = objects != nullptr ? objectCount : 0;
    for (uint32_t i = 0; i < count; ++i) {
        objects[i].rotationAngle += objects[i].rotationSpeed;
    }
    // The measured time, not the period, advances the frame, so a late frame
    // or a hidden stretch is caught up.
    currentFrame += elapsed / static_cast<float>(period);
}
