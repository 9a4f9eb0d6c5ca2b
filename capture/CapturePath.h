// The way a capture takes through the show's time, on the virtual clock:
// music time 0 is the moment the path starts (a hair later, so that the
// music position, counted in whole samples, has surely reached every
// picture's time: an event at 2.0 s fires at the picture of 2.0 s), each
// picture is composed at the time CaptureSchedule gives it, and once the show
// has been stepped past a picture the clock is moved to the next one's time.
//
// halvenor-capture writes its frames along this path; the editing player
// runs the show up along the same path, so that the picture a capture shows
// at a music time is the picture the player shows there.
#ifndef HALVENOR_CAPTURE_CAPTUREPATH_H
#define HALVENOR_CAPTURE_CAPTUREPATH_H

#include <cstdint>

#include "capture/CaptureSchedule.h"

class CapturePath {
public:
    static constexpr int64_t kMusicLeadNs = 1000;

    // Starts now: the virtual clock (which must be on) is moved to the
    // music's time 0. The frames are CaptureSchedule's.
    CapturePath(double fps, double start, int64_t frameCount);

    // A path that writes no frames, as a run-up takes it.
    static CapturePath RunUp() { return CapturePath(kAnyRate, 0.0, 0); }

    const CaptureSchedule& Schedule() const { return schedule; }
    // For a run-up that takes the path's first pictures itself (a part of a
    // split capture): it moves the schedule and the clock on as PictureDone
    // would.
    CaptureSchedule& RunUpSchedule() { return schedule; }
    // The virtual clock's time of music time 0.
    int64_t OriginNs() const { return originNs; }
    // Music time of the picture composed next.
    int64_t PictureTimeNs() const { return schedule.ComposeTimeNs(); }

    // The show has been stepped past the picture composed at
    // PictureTimeNs: the frames it covers, with the clock moved to the next
    // picture's time.
    CaptureSchedule::Cover PictureDone();

private:
    // Which frames are written does not change when pictures are composed.
    static constexpr double kAnyRate = 60.0;

    CaptureSchedule schedule;
    int64_t originNs;
};

#endif
