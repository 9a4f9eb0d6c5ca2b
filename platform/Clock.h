// Stands in for the Windows performance counter and tick count.
//
// Contract: QueryPerformanceFrequency answers the counter's ticks per second
// and QueryPerformanceCounter its current value, both on CLOCK_MONOTONIC in
// nanoseconds; each answers false (leaving its argument alone) when the counter
// has been switched off. GetTickCount answers milliseconds since an arbitrary
// start as an unsigned 32-bit value that wraps like the Windows one.
// SetPerformanceCounterAvailable lets tests exercise the tick-count fallback.
#ifndef HALVENOR_PLATFORM_CLOCK_H
#define HALVENOR_PLATFORM_CLOCK_H

#include <cstdint>

bool QueryPerformanceFrequency(int64_t* frequency);
bool QueryPerformanceCounter(int64_t* counter);
uint32_t GetTickCount();

namespace Platform {

void SetPerformanceCounterAvailable(bool available);

// Sleeps the calling thread for about the given number of milliseconds.
void SleepMs(double milliseconds);

}  // namespace Platform

#endif
