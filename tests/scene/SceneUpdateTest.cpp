// The scene clock: start, pacing to the frame period, advance by measured
// time, object rotation steps. Time is only ever bounded from below: a loaded
// machine may stretch any wait, so what must not wait is checked through the
// scene's own clock, which a wait would have restarted or moved.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "platform/Clock.h"
#include "scene/Scene.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A scene of two objects whose arrays the scene does not own.
struct ClockScene {
    SceneObject objects[2];
    Scene scene;

    explicit ClockScene(int32_t frameSpeed) {
        scene.params.frameSpeed = frameSpeed;
        scene.objects = objects;
        scene.objectCount = 2;
        objects[0].rotationSpeed = 2.0f;
        objects[1].rotationSpeed = -2.0f;
    }
    ~ClockScene() {
        scene.objects = nullptr;
        scene.objectCount = 0;
    }
};

TEST(SceneUpdate, FirstUpdateOnlyStartsTheClock) {
    ClockScene s(25);
    s.scene.currentFrame = 12.0f;
    s.scene.frameElapsed = -1.0f;
    s.scene.Update();
    // Nothing measured, so nothing waited for.
    EXPECT_EQ(s.scene.frameElapsed, -1.0f);
    EXPECT_EQ(s.scene.clockStarted, 1);
    EXPECT_EQ(s.scene.currentFrame, 0.0f);
    EXPECT_EQ(s.objects[0].rotationAngle, 0.0f);
}

TEST(SceneUpdate, TwentyFiveFpsWaitsPastFortyMillisecondsAndAdvancesByMeasuredTime) {
    ClockScene s(25);
    s.scene.Update();
    auto previous = Clock::now();
    for (int i = 0; i < 5; ++i) {
        const float before = s.scene.currentFrame;
        s.scene.Update();
        const double since = MsSince(previous);
        previous = Clock::now();
        EXPECT_GT(s.scene.frameElapsed, 40.0f);
        EXPECT_GE(since, 39.9);
        EXPECT_FLOAT_EQ(s.scene.currentFrame - before, s.scene.frameElapsed / 40.0f);
        EXPECT_GT(s.scene.currentFrame - before, 1.0f);
    }
    // One rotation step per update, whatever the time passed; a negative
    // speed turns the angle back.
    EXPECT_FLOAT_EQ(s.objects[0].rotationAngle, 10.0f);
    EXPECT_FLOAT_EQ(s.objects[1].rotationAngle, -10.0f);
}

TEST(SceneUpdate, PeriodIsWholeMillisecondsOfIntegerDivision) {
    ClockScene s(30);  // 33 ms, not 33.3
    s.scene.Update();
    s.scene.Update();
    EXPECT_GT(s.scene.frameElapsed, 33.0f);
    EXPECT_FLOAT_EQ(s.scene.currentFrame, s.scene.frameElapsed / 33.0f);
}

TEST(SceneUpdate, ZeroRateNeverWaitsNorAdvances) {
    ClockScene s(0);
    s.scene.Update();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    // A period waited for would restart the clock: the measured time would
    // fall back. It only grows.
    float previous = 0.0f;
    for (int i = 0; i < 100; ++i) {
        s.scene.Update();
        EXPECT_GE(s.scene.frameElapsed, previous);
        previous = s.scene.frameElapsed;
    }
    EXPECT_EQ(s.scene.currentFrame, 0.0f);
    EXPECT_EQ(s.objects[0].rotationAngle, 0.0f);
    // The elapsed time is still measured.
    EXPECT_GE(s.scene.frameElapsed, 5.0f);
}

TEST(SceneUpdate, NegativeRateRunsBackwardsWithoutWaiting) {
    ClockScene s(-25);
    s.scene.Update();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    s.scene.Update();
    // -40 ms periods: 20 ms or more passed, half a frame or more back, by
    // exactly the time measured.
    EXPECT_GE(s.scene.frameElapsed, 20.0f);
    EXPECT_LE(s.scene.currentFrame, -0.5f);
    EXPECT_FLOAT_EQ(s.scene.currentFrame, -s.scene.frameElapsed / 40.0f);
    EXPECT_FLOAT_EQ(s.objects[0].rotationAngle, 2.0f);
}

TEST(SceneUpdate, RatesAboveOneThousandKeepAOneMillisecondPeriod) {
    ClockScene s(5000);
    s.scene.Update();
    const auto start = Clock::now();
    for (int i = 0; i < 10; ++i) {
        s.scene.Update();
    }
    EXPECT_GE(MsSince(start), 9.9);
    EXPECT_GT(s.scene.frameElapsed, 1.0f);
    EXPECT_GT(s.scene.currentFrame, 10.0f);
    EXPECT_TRUE(std::isfinite(s.scene.currentFrame));
}

TEST(SceneUpdate, HiddenStretchIsCaughtUpAtTheNextUpdate) {
    ClockScene s(25);
    s.scene.Update();
    s.scene.Update();
    const float before = s.scene.currentFrame;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    s.scene.Update();
    const float jump = s.scene.currentFrame - before;
    EXPECT_GE(jump, 7.5f);
    EXPECT_FLOAT_EQ(jump, s.scene.frameElapsed / 40.0f);
    // The jump is one update: one rotation step.
    EXPECT_FLOAT_EQ(s.objects[0].rotationAngle, 4.0f);
}

TEST(SceneUpdate, TickCountFallbackGivesWholeMilliseconds) {
    Platform::SetPerformanceCounterAvailable(false);
    ClockScene s(25);
    s.scene.Update();
    for (int i = 0; i < 3; ++i) {
        s.scene.Update();
        EXPECT_GE(s.scene.frameElapsed, 41.0f);
        EXPECT_EQ(s.scene.frameElapsed, std::floor(s.scene.frameElapsed));
    }
    Platform::SetPerformanceCounterAvailable(true);
    EXPECT_FALSE(s.scene.clock.IsHighResolution());
}

}  // namespace
