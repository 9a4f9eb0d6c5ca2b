// The frame times of a capture and which composed picture each video frame
// shows.
//
// Video frame n shows the show at music time start + n / fps. The show runs
// from music time 0 as in the player, so the frames before start are composed
// too (the pre-roll: scenes, rotations and feedback reach start exactly as the
// player reaches it) but not written. Time is the virtual clock, counted in
// nanoseconds from the moment the music starts.
//
// A picture composed at time c stays on screen until the next one is
// composed, as in the player's window; the frames whose times fall in that
// stretch show it. When a scene paces the loop, its wait moves the clock past
// one or more frame times; when nothing waits, the clock is moved to the next
// frame time, so every frame gets a picture of its own.
#ifndef HALVENOR_CAPTURE_CAPTURESCHEDULE_H
#define HALVENOR_CAPTURE_CAPTURESCHEDULE_H

#include <cstdint>

class CaptureSchedule {
public:
    // fps > 0, start >= 0, frameCount >= 0: the frames written.
    CaptureSchedule(double fps, double start, int64_t frameCount);

    int64_t PrerollCount() const { return prerollCount; }
    int64_t FrameCount() const { return frameCount; }
    // Frames of the whole run, pre-roll first, as handed out so far.
    int64_t NextIndex() const { return next; }
    bool Done() const { return next >= prerollCount + frameCount; }

    // Time of a frame of the whole run (index counts the pre-roll).
    int64_t FrameTimeNs(int64_t index) const;

    // What the picture just composed covers: `count` frames of the whole run
    // from `first`, and the clock time to move to before the next picture, or
    // -1 when the clock is already past the next frame time.
    struct Cover {
        int64_t first;
        int64_t count;
        int64_t moveClockTo;
    };
    // nowNs: the clock after the show was stepped past the picture.
    Cover CoverPicture(int64_t nowNs);

    // Of a cover, the frames that are written (after the pre-roll), as
    // indices of the video: first and count.
    int64_t WrittenFirst(const Cover& cover) const;
    int64_t WrittenCount(const Cover& cover) const;

private:
    double fps;
    int64_t startNs;
    int64_t prerollCount;
    int64_t frameCount;
    int64_t next;
};

#endif
