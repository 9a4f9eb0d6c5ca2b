// The system's own clock, as each port reads it; Clock.cpp builds the
// performance counter, the tick count and the virtual clock on it, the same
// for every port.
//
// Contract: RealNanoseconds answers a monotonic time in nanoseconds from an
// arbitrary start (Linux: CLOCK_MONOTONIC; Windows: QueryPerformanceCounter
// scaled by QueryPerformanceFrequency). RealTickCount answers milliseconds
// as an unsigned 32-bit value that wraps (Linux: the same monotonic time;
// Windows: GetTickCount itself). RealSleepNs sleeps the calling thread for
// about that long (Linux: nanosleep, resumed after signals; Windows: Sleep,
// in whole milliseconds, rounded up so a wait never ends early, with the
// system timer at 1 ms through timeBeginPeriod).
#ifndef HALVENOR_PLATFORM_REALCLOCK_H
#define HALVENOR_PLATFORM_REALCLOCK_H

#include <cstdint>

namespace Platform {

int64_t RealNanoseconds();
uint32_t RealTickCount();
void RealSleepNs(int64_t nanoseconds);

}  // namespace Platform

#endif
