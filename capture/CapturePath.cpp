#include "capture/CapturePath.h"

#include "platform/Clock.h"

CapturePath::CapturePath(double fps, double start, int64_t frameCount)
    : schedule(fps, start, frameCount), originNs(Platform::VirtualTimeNs() + kMusicLeadNs) {
    Platform::SetVirtualTimeNs(originNs);
}

CaptureSchedule::Cover CapturePath::PictureDone() {
    const CaptureSchedule::Cover cover = schedule.CoverPicture(Platform::VirtualTimeNs() - originNs);
    if (cover.moveClockTo >= 0) {
        Platform::SetVirtualTimeNs(originNs + cover.moveClockTo);
    }
    return cover;
}
