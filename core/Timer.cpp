#include "core/Timer.h"

#include "platform/Clock.h"

Timer::Timer() : highResolution(1), start(0), secondsPerTick(0.0f) {}

void Timer::Start() {
    int64_t frequency = 0;
    if (QueryPerformanceFrequency(&frequency) && frequency > 0) {
        QueryPerformanceCounter(&start);
        secondsPerTick = static_cast<float>(1.0 / static_cast<double>(frequency));
    } else {
        highResolution = 0;
        start = GetTickCount();
    }
}

void Timer::Restart() {
    if (highResolution != 0) {
        QueryPerformanceCounter(&start);
    } else {
        start = GetTickCount();
    }
}

float Timer::ElapsedMs() const {
    if (highResolution != 0) {
        int64_t now = 0;
        QueryPerformanceCounter(&now);
        return static_cast<float>(static_cast<double>(now - start) * secondsPerTick * 1000.0);
    }
    // Unsigned 32-bit arithmetic stays right across the wrap of the tick count.
    const uint32_t elapsed = GetTickCount() - static_cast<uint32_t>(start);
    return static_cast<float>(elapsed);
}
