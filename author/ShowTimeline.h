// The show's pictures on the virtual clock, exactly as halvenor-capture
// composes them: the music starts at the clock's origin, each picture is
// composed, the show stepped, and the next picture comes where a scene's wait
// ended or one 60 Hz refresh later (CaptureSchedule). Whatever a capture's
// frame rate, its frame at music time T shows the last picture composed at or
// before T.
//
// Build runs the show once without drawing and keeps each picture's time and
// the pixel buffers it draws into. RunUpTo then brings the show from its
// rewind point to any picture: without drawing, except the last few pictures
// that drew into each pixel buffer before it (the blur's feedback picture
// halves what came before at every frame, so eight frames leave nothing to
// see), so that the buffers hold what they hold in the capture.
#ifndef HALVENOR_AUTHOR_SHOWTIMELINE_H
#define HALVENOR_AUTHOR_SHOWTIMELINE_H

#include <cstdint>
#include <vector>

class CaptureSchedule;
class Engine;

class ShowTimeline {
public:
    // Pictures drawn before the target, per pixel buffer: the feedback
    // buffer, and any other.
    static constexpr int kFeedbackPictures = 6;
    static constexpr int kPicturesKept = 1;

    // From the rewind point (clock at the music's start): the pictures up to
    // the show's end, or to untilNs of music when that comes first. Leaves
    // the show wherever it got to; rewind it afterwards.
    void Build(Engine& engine, int64_t untilNs);

    bool Empty() const { return pictures.empty(); }
    int64_t PictureCount() const { return static_cast<int64_t>(pictures.size()); }
    // Music time of a picture, counted from the music's start.
    int64_t TimeNs(int64_t picture) const;
    // The picture on screen at a music time: the last one composed at or
    // before it (picture 0 before the first).
    int64_t PictureAt(int64_t timeNs) const;
    // Music time of the show's end as the run found it (its stop event), or
    // of the last picture when it never ended.
    int64_t EndNs() const { return endNs; }
    // The virtual clock's time of music time 0 in the run-ups.
    int64_t OriginNs() const { return originNs; }

    // From the rewind point: the show stepped up to picture target, which is
    // composed next, with the clock at its time. How many pictures were
    // drawn on the way goes to *drawn when given.
    void RunUpTo(Engine& engine, int64_t target, int64_t* drawn = nullptr) const;

    // The step of the run-up: the picture drawn (or only walked), the show
    // stepped, the clock moved to the next picture. False at the show's end.
    // The schedule keeps the time of the picture being composed.
    static bool Step(Engine& engine, bool render, int64_t originNs, CaptureSchedule& schedule, uint32_t* written);

private:
    struct Picture {
        int64_t timeNs;
        uint32_t written;
    };
    std::vector<bool> PicturesToDraw(const Engine& engine, int64_t target) const;

    std::vector<Picture> pictures;
    int64_t originNs = 0;
    int64_t endNs = 0;
};

#endif
