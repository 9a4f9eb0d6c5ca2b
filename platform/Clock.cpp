// Stands in for the Windows performance counter and tick count (contract in
// Clock.h): both read CLOCK_MONOTONIC, or the virtual time in virtual mode.
#include "platform/Clock.h"

#include <cmath>
#include <ctime>

namespace {

bool counterAvailable = true;
bool virtualClock = false;
int64_t virtualNanoseconds = 0;

constexpr int64_t kBusyWaitStepNs = 1000;

int64_t MonotonicNanoseconds() {
    if (virtualClock) {
        return virtualNanoseconds;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

}  // namespace

bool QueryPerformanceFrequency(int64_t* frequency) {
    if (!counterAvailable || frequency == nullptr) {
        return false;
    }
    *frequency = 1000000000LL;
    return true;
}

bool QueryPerformanceCounter(int64_t* counter) {
    if (!counterAvailable || counter == nullptr) {
        return false;
    }
    *counter = MonotonicNanoseconds();
    return true;
}

uint32_t GetTickCount() {
    return static_cast<uint32_t>(MonotonicNanoseconds() / 1000000LL);
}

namespace Platform {

void SetPerformanceCounterAvailable(bool available) { counterAvailable = available; }

void SleepMs(double milliseconds) {
    if (milliseconds <= 0.0) {
        return;
    }
    if (virtualClock) {
        // Rounded up: a wait never ends before the time asked for.
        virtualNanoseconds += static_cast<int64_t>(std::ceil(milliseconds * 1000000.0));
        return;
    }
    const auto whole = static_cast<int64_t>(milliseconds * 1000000.0);
    timespec request{static_cast<time_t>(whole / 1000000000LL), static_cast<long>(whole % 1000000000LL)};
    while (nanosleep(&request, &request) != 0) {
    }
}

void BusyWaitStep() {
    if (virtualClock) {
        virtualNanoseconds += kBusyWaitStepNs;
    }
}

void UseVirtualClock(bool on) {
    virtualClock = on;
    virtualNanoseconds = 0;
}

int64_t VirtualTimeNs() { return virtualClock ? virtualNanoseconds : 0; }

void SetVirtualTimeNs(int64_t nanoseconds) {
    if (virtualClock && nanoseconds > virtualNanoseconds) {
        virtualNanoseconds = nanoseconds;
    }
}

}  // namespace Platform
