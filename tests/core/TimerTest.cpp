#include "core/Timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "platform/Clock.h"

namespace {

void SleepMs(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

float MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<float, std::milli>(std::chrono::steady_clock::now() - start).count();
}

TEST(Timer, MeasuresMillisecondsSinceTheLastRestart) {
    const auto before = std::chrono::steady_clock::now();
    Timer timer;
    timer.Start();
    EXPECT_TRUE(timer.IsHighResolution());
    SleepMs(20);
    const float first = timer.ElapsedMs();
    EXPECT_GE(first, 20.0f);
    // Never more than the time that really passed around it.
    EXPECT_LE(first, MsSince(before) + 0.01f);
    timer.Restart();
    EXPECT_LT(timer.ElapsedMs(), first);
    // Sub-millisecond resolution on the performance counter: some reading
    // falls between two whole milliseconds.
    bool fractional = false;
    for (int i = 0; i < 1000 && !fractional; ++i) {
        const float reading = timer.ElapsedMs();
        fractional = reading != std::floor(reading);
    }
    EXPECT_TRUE(fractional);
}

TEST(Timer, FallsBackToWholeMillisecondsWithoutAPerformanceCounter) {
    Platform::SetPerformanceCounterAvailable(false);
    Timer timer;
    timer.Start();
    SleepMs(15);
    const float elapsed = timer.ElapsedMs();
    const auto restarted = std::chrono::steady_clock::now();
    timer.Restart();
    const float afterRestart = timer.ElapsedMs();
    const float passed = MsSince(restarted);
    Platform::SetPerformanceCounterAvailable(true);
    EXPECT_FALSE(timer.IsHighResolution());
    EXPECT_GE(elapsed, 14.0f);
    EXPECT_EQ(elapsed, std::floor(elapsed));
    // Whole ticks: at most one more than the time that really passed.
    EXPECT_LE(afterRestart, std::ceil(passed) + 1.0f);
}

}  // namespace
