// The Windows clock itself (contract in RealClock.h): QueryPerformanceCounter
// and QueryPerformanceFrequency, GetTickCount and Sleep. Kept apart from
// Clock.h, whose stand-ins carry the same names as these calls.
#include "platform/RealClock.h"

#include <windows.h>
#include <mmsystem.h>

namespace {

// The frequency is fixed at boot; asked once.
int64_t CounterFrequency() {
    static const int64_t frequency = [] {
        LARGE_INTEGER value{};
        return ::QueryPerformanceFrequency(&value) && value.QuadPart > 0 ? value.QuadPart : 0;
    }();
    return frequency;
}

}  // namespace

namespace Platform {

int64_t RealNanoseconds() {
    const int64_t frequency = CounterFrequency();
    LARGE_INTEGER ticks{};
    if (frequency == 0 || !::QueryPerformanceCounter(&ticks)) {
        return static_cast<int64_t>(::GetTickCount64()) * 1000000LL;
    }
    // Whole seconds and the rest apart, so that a counter running for years
    // at any frequency does not overflow.
    const int64_t seconds = ticks.QuadPart / frequency;
    const int64_t rest = ticks.QuadPart % frequency;
    return seconds * 1000000000LL + rest * 1000000000LL / frequency;
}

uint32_t RealTickCount() { return static_cast<uint32_t>(::GetTickCount()); }

void RealSleepNs(int64_t nanoseconds) {
    if (nanoseconds <= 0) {
        return;
    }
    static const bool fineTimer = ::timeBeginPeriod(1) == TIMERR_NOERROR;
    static_cast<void>(fineTimer);
    const int64_t milliseconds = (nanoseconds + 999999) / 1000000;
    ::Sleep(static_cast<DWORD>(milliseconds > 0x7FFFFFFF ? 0x7FFFFFFF : milliseconds));
}

}  // namespace Platform
