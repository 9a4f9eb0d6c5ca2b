#include "author/PlayPace.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/Clock.h"

namespace {

constexpr double kNsPerSecond = 1e9;
constexpr int64_t kFpsWindowNs = 500000000;
// A longer wait would leave the keys unanswered.
constexpr int64_t kLongestSleepNs = 100000000;

class SteadyWallClock : public PlayPace::WallClock {
public:
    int64_t NowNs() override {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void SleepNs(int64_t nanoseconds) override {
        std::this_thread::sleep_for(std::chrono::nanoseconds(nanoseconds));
    }
};

}  // namespace

PlayPace::PlayPace(WallClock* wall_) : wall(wall_), ownWall(nullptr) {
    if (wall == nullptr) {
        ownWall = new SteadyWallClock();
        wall = ownWall;
    }
}

PlayPace::~PlayPace() { delete ownWall; }

void PlayPace::Anchor() {
    anchorWallNs = wall->NowNs();
    anchorClockNs = Platform::VirtualTimeNs();
}

void PlayPace::Pace(double speed) {
    const int64_t wallNow = wall->NowNs();
    const auto target = anchorClockNs + static_cast<int64_t>(static_cast<double>(wallNow - anchorWallNs) * speed);
    const int64_t clock = Platform::VirtualTimeNs();
    if (clock < target) {
        Platform::SetVirtualTimeNs(target);
    } else if (clock > target) {
        const auto ahead = static_cast<int64_t>(static_cast<double>(clock - target) / speed);
        wall->SleepNs(std::min(ahead, kLongestSleepNs));
    }
}

void PlayPace::CountFrame() {
    const int64_t now = wall->NowNs();
    frameTimes.push_back(now);
    while (frameTimes.size() > 2 && frameTimes.front() < now - kFpsWindowNs) {
        frameTimes.pop_front();
    }
}

double PlayPace::Fps() const {
    if (frameTimes.size() < 2 || frameTimes.back() <= frameTimes.front()) {
        return 0.0;
    }
    return static_cast<double>(frameTimes.size() - 1) * kNsPerSecond /
           static_cast<double>(frameTimes.back() - frameTimes.front());
}
