#include "capture/CaptureSchedule.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kNsPerSecond = 1e9;

}  // namespace

CaptureSchedule::CaptureSchedule(double fps_, double start, int64_t frameCount_)
    : fps(fps_),
      startNs(static_cast<int64_t>(std::llround(start * kNsPerSecond))),
      frameCount(std::max<int64_t>(frameCount_, 0)),
      next(0),
      composeTime(0) {}

int64_t CaptureSchedule::FrameTimeNs(int64_t frame) const {
    return startNs + static_cast<int64_t>(std::llround(static_cast<double>(frame) * kNsPerSecond / fps));
}

CaptureSchedule::Cover CaptureSchedule::CoverPicture(int64_t nowNs) {
    // A wait ends where the next picture is composed; a step without a wait
    // lasts one display refresh.
    const int64_t nextCompose = nowNs > composeTime ? nowNs : composeTime + kRefreshNs;
    Cover cover{next, 0, nextCompose > nowNs ? nextCompose : -1};
    while (next < frameCount && FrameTimeNs(next) < nextCompose) {
        ++next;
    }
    cover.count = next - cover.first;
    composeTime = nextCompose;
    return cover;
}
