#include "core/Timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "platform/Clock.h"

namespace {

void SleepMs(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

TEST(Timer, MeasuresMillisecondsSinceTheLastRestart) {
    Timer timer;
    timer.Start();
    EXPECT_TRUE(timer.IsHighResolution());
    SleepMs(20);
    const float first = timer.ElapsedMs();
    EXPECT_GE(first, 20.0f);
    EXPECT_LT(first, 2000.0f);
    timer.Restart();
    EXPECT_LT(timer.ElapsedMs(), first);
    // Sub-millisecond resolution on the performance counter.
    timer.Restart();
    const float tiny = timer.ElapsedMs();
    EXPECT_LT(tiny, 1.0f);
}

TEST(Timer, FallsBackToWholeMillisecondsWithoutAPerformanceCounter) {
    Platform::SetPerformanceCounterAvailable(false);
    Timer timer;
    timer.Start();
    SleepMs(15);
    const float elapsed = timer.ElapsedMs();
    timer.Restart();
    const float afterRestart = timer.ElapsedMs();
    Platform::SetPerformanceCounterAvailable(true);
    EXPECT_FALSE(timer.IsHighResolution());
    EXPECT_GE(elapsed, 14.0f);
    EXPECT_EQ(elapsed, std::floor(elapsed));
    EXPECT_LE(afterRestart, 1.0f);
}

}  // namespace
