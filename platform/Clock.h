// The Windows performance counter and tick count: the system's own on
// Windows, stand-ins on Linux.
//
// Contract: QueryPerformanceFrequency answers the counter's ticks per second
// and QueryPerformanceCounter its current value, always in nanoseconds (a
// frequency of 10^9) so that the virtual clock reads alike on every port; each
// answers false (leaving its argument alone) when the counter has been
// switched off. GetTickCount answers milliseconds since an arbitrary start as
// an unsigned 32-bit value that wraps like the Windows one. On Linux all of
// them read CLOCK_MONOTONIC. On Windows the counter is the system's own
// QueryPerformanceCounter scaled by its QueryPerformanceFrequency to
// nanoseconds, GetTickCount is the system's GetTickCount, and SleepMs calls
// Sleep (whole milliseconds, rounded up). The virtual clock below is the same
// code on both.
// SetPerformanceCounterAvailable lets tests exercise the tick-count fallback.
//
// Virtual mode (a show captured frame by frame): once UseVirtualClock is
// switched on, the counter and the tick count read a virtual time that starts
// at 0 and moves only when told to (SetVirtualTimeNs) or when something waits:
// SleepMs and BusyWaitStep advance it instead of passing real time, so a wait
// for the next animation frame costs nothing and always ends the same way.
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
// One turn of a busy wait: nothing on the real clock, one microsecond on the
// virtual clock, so that polling a timer always comes to an end.
void BusyWaitStep();

// Switching virtual mode on starts the virtual time at 0.
void UseVirtualClock(bool on);
// Virtual time in nanoseconds; 0 on the real clock.
int64_t VirtualTimeNs();
// Moves the virtual time forward to the given time; it never goes back.
void SetVirtualTimeNs(int64_t nanoseconds);

}  // namespace Platform

#endif
