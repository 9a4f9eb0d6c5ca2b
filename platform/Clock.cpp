// The performance counter, the tick count and the virtual clock (contract in
// Clock.h), the same for every port: each port only supplies its real clock
// (RealClock.h), so a capture's virtual time runs identically everywhere.
#include "platform/Clock.h"

#include <cmath>

#include "platform/RealClock.h"

namespace {

bool counterAvailable = true;
bool virtualClock = false;
int64_t virtualNanoseconds = 0;

constexpr int64_t kBusyWaitStepNs = 1000;

int64_t MonotonicNanoseconds() {
    if (virtualClock) {
        return virtualNanoseconds;
    }
    return Platform::RealNanoseconds();
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
    if (virtualClock) {
        return static_cast<uint32_t>(virtualNanoseconds / 1000000LL);
    }
    return Platform::RealTickCount();
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
    RealSleepNs(static_cast<int64_t>(milliseconds * 1000000.0));
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
