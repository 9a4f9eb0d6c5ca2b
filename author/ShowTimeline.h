// The show's pictures on the virtual clock, exactly as halvenor-capture
// composes them: along the capture's path (CapturePath), each picture is
// composed, the show stepped, and the next picture comes where a scene's wait
// ended or one 60 Hz refresh later. Whatever a capture's frame rate, its frame
// at music time T shows the last picture composed at or before T.
//
// Build runs the show once without drawing and keeps each picture's time and
// the pixel buffers it draws into. RunUp then brings the show from its rewind
// point to any picture along the same path, drawing the pictures it is told
// to and only walking the others.
#ifndef HALVENOR_AUTHOR_SHOWTIMELINE_H
#define HALVENOR_AUTHOR_SHOWTIMELINE_H

#include <cstdint>
#include <functional>
#include <vector>

class CapturePath;
class Engine;

class ShowTimeline {
public:
    // From the rewind point (clock at the music's start): the pictures up to
    // the show's end, or to untilNs of music when that comes first. Leaves
    // the show wherever it got to; rewind it afterwards.
    void Build(Engine& engine, int64_t untilNs);

    bool Empty() const { return pictures.empty(); }
    int64_t PictureCount() const { return static_cast<int64_t>(pictures.size()); }
    // Music time of a picture, counted from the music's start.
    int64_t TimeNs(int64_t picture) const;
    // The time the player names a picture by: the first whole millisecond
    // at which a capture shows it (its own time when the next picture comes
    // within that millisecond), so that `halvenor-capture -s` with the time
    // as the player writes it gives this very picture.
    int64_t LabelNs(int64_t picture) const;
    // The picture on screen at a music time: the last one composed at or
    // before it (picture 0 before the first).
    int64_t PictureAt(int64_t timeNs) const;
    // The pixel buffers a picture draws into: bit i for the engine's pixel
    // buffer i.
    uint32_t Written(int64_t picture) const;
    // Music time of the show's end as the run found it (its stop event), or
    // of the last picture when it never ended.
    int64_t EndNs() const { return endNs; }
    // The virtual clock's time of music time 0 in the run-ups.
    int64_t OriginNs() const { return originNs; }

    // From the rewind point: the show stepped up to picture target, which is
    // composed next, with the clock at its time. Picture j is drawn when
    // draw[j] (missing entries: walked), and after(j) is called once it is
    // done and the show stepped.
    using AfterPicture = std::function<void(int64_t picture)>;
    void RunUp(Engine& engine, int64_t target, const std::vector<bool>& draw, const AfterPicture& after) const;

private:
    struct Picture {
        int64_t timeNs;
        uint32_t written;
    };
    // The step of a run: the picture drawn (or only walked), the show
    // stepped, the clock moved to the next picture. False at the show's end.
    static bool Step(Engine& engine, bool render, CapturePath& path, uint32_t* written);

    std::vector<Picture> pictures;
    int64_t originNs = 0;
    int64_t endNs = 0;
};

#endif
