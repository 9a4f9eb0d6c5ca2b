// Linux's clock under the Windows performance counter and tick count
// (contract in RealClock.h): CLOCK_MONOTONIC and nanosleep.
#include "platform/RealClock.h"

#include <ctime>

namespace Platform {

int64_t RealNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

uint32_t RealTickCount() { return static_cast<uint32_t>(RealNanoseconds() / 1000000LL); }

void RealSleepNs(int64_t nanoseconds) {
    if (nanoseconds <= 0) {
        return;
    }
    timespec request{static_cast<time_t>(nanoseconds / 1000000000LL), static_cast<long>(nanoseconds % 1000000000LL)};
    while (nanosleep(&request, &request) != 0) {
    }
}

}  // namespace Platform
