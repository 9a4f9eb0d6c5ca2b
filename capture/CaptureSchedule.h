// The frame times of a capture and which composed picture each video frame
// shows.
//
// Video frame n shows the show at music time start + n / fps: the picture on
// screen at that time, as in the player's window, where a picture stays until
// the next one is composed. Time is the virtual clock, counted in nanoseconds
// from the moment the music starts.
//
// The show runs from music time 0 whatever the start, and its loop does not
// depend on the capture's frame rate, so that scenes, object rotations (one
// step per update), particles and feedback reach every moment exactly as
// they do in any other capture of the show: when a scene paces the loop, its
// wait moves the clock and the next picture is composed where the wait ended;
// when nothing waited, the step took one refresh of a 60 Hz display, as a
// player synchronised to the display would. Pictures that no frame shows are
// composed but never read back.
#ifndef HALVENOR_CAPTURE_CAPTURESCHEDULE_H
#define HALVENOR_CAPTURE_CAPTURESCHEDULE_H

#include <cstdint>

class CaptureSchedule {
public:
    static constexpr int64_t kRefreshNs = 16666667;

    // fps > 0, start >= 0, frameCount >= 0: the frames written.
    CaptureSchedule(double fps, double start, int64_t frameCount);

    int64_t FrameCount() const { return frameCount; }
    // The first frame not yet covered by a picture.
    int64_t NextFrame() const { return next; }
    bool Done() const { return next >= frameCount; }
    // Time of the picture being composed now.
    int64_t ComposeTimeNs() const { return composeTime; }

    int64_t FrameTimeNs(int64_t frame) const;

    // What the picture composed at ComposeTimeNs covers: `count` frames from
    // `first`, and the clock time to move to before the next picture is
    // composed, or -1 when the clock is there already.
    struct Cover {
        int64_t first;
        int64_t count;
        int64_t moveClockTo;
    };
    // nowNs: the clock after the show was stepped past the picture.
    Cover CoverPicture(int64_t nowNs);

private:
    double fps;
    int64_t startNs;
    int64_t frameCount;
    int64_t next;
    int64_t composeTime;
};

#endif
