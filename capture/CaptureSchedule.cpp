#include "capture/CaptureSchedule.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kNsPerSecond = 1e9;

int64_t TimeOfStep(int64_t step, double fps) {
    return static_cast<int64_t>(std::llround(static_cast<double>(step) * kNsPerSecond / fps));
}

}  // namespace

CaptureSchedule::CaptureSchedule(double fps_, double start, int64_t frameCount_)
    : fps(fps_),
      startNs(static_cast<int64_t>(std::llround(start * kNsPerSecond))),
      prerollCount(0),
      frameCount(std::max<int64_t>(frameCount_, 0)),
      next(0) {
    // Every step of the frame rate strictly before start; the estimate is
    // corrected by the same rounding FrameTimeNs uses.
    prerollCount = std::max<int64_t>(static_cast<int64_t>(std::ceil(start * fps)), 0);
    while (prerollCount > 0 && TimeOfStep(prerollCount - 1, fps) >= startNs) {
        --prerollCount;
    }
    while (TimeOfStep(prerollCount, fps) < startNs) {
        ++prerollCount;
    }
}

int64_t CaptureSchedule::FrameTimeNs(int64_t index) const {
    if (index < prerollCount) {
        return TimeOfStep(index, fps);
    }
    return startNs + TimeOfStep(index - prerollCount, fps);
}

CaptureSchedule::Cover CaptureSchedule::CoverPicture(int64_t nowNs) {
    Cover cover{next, 0, -1};
    const int64_t total = prerollCount + frameCount;
    if (next >= total) {
        return cover;
    }
    if (nowNs <= FrameTimeNs(next)) {
        // Nothing waited past the frame: the picture is its own, and the next
        // picture is composed at the next frame time.
        ++next;
        if (next < total) {
            cover.moveClockTo = FrameTimeNs(next);
        }
    } else {
        // A wait went past one or more frame times: they all show this
        // picture, and the next is composed where the wait ended.
        while (next < total && FrameTimeNs(next) < nowNs) {
            ++next;
        }
    }
    cover.count = next - cover.first;
    return cover;
}

int64_t CaptureSchedule::WrittenFirst(const Cover& cover) const {
    return std::max<int64_t>(cover.first - prerollCount, 0);
}

int64_t CaptureSchedule::WrittenCount(const Cover& cover) const {
    const int64_t first = std::max(cover.first, prerollCount);
    return std::max<int64_t>(cover.first + cover.count - first, 0);
}
