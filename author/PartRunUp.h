// How one part of a split capture (halvenor-capture --part, --jobs) starts
// at its first frame: the loaded show brought to the picture on screen at
// that frame's time exactly as a capture of the whole stretch composes it,
// drawing only the pictures that leave something behind.
//
// The show is walked once without drawing, up to the part's last frame,
// noting the pixel buffers each picture draws into; taken back to where it
// was loaded (ShowState); and run up again along the same path to the
// picture on screen at the part's first frame, drawing:
// - every picture that draws over a pixel buffer's picture instead of anew:
//   the blur's feedback picture, to which each blurred picture adds half of
//   the one before, rounded to 8 bits (which level a pixel rests on depends
//   on every blurred picture since the blur first came on; only when the
//   part shows the blur), and the buffer of a scene that does not clear it;
// - before each picture drawn, and before the part's first, the last picture
//   that drew into each other pixel buffer, which a picture drawing into one
//   draws anew.
// Everything else is walked: its state moves as drawing would move it. The
// window itself is clipped away while pictures are drawn: only the pixel
// buffers keep something of them.
#ifndef HALVENOR_AUTHOR_PARTRUNUP_H
#define HALVENOR_AUTHOR_PARTRUNUP_H

#include <cstdint>
#include <functional>
#include <vector>

class CaptureSchedule;
class Engine;

class PartRunUp {
public:
    struct Cost {
        int64_t pictures = 0;  // before the part's first
        int64_t drawn = 0;
        double walkMs = 0.0;   // the walk that finds the pictures
        double runMs = 0.0;    // the run-up itself, rewind included
    };

    // The capture's run-up for CaptureSink::SetRunUp; what it cost goes to
    // *cost when given. goOn is asked now and then: false (a Ctrl-C) stops
    // the run-up, which then answers false, the show left on the way.
    static bool Run(Engine& engine, CaptureSchedule& schedule, int64_t originNs, int64_t frameNs, Cost* cost,
                    const std::function<bool()>& goOn);

    // The pictures to draw before picture `target`, from the pixel buffers
    // each picture draws into (bit i for buffer i) and those drawn over.
    static std::vector<bool> PicturesToDraw(const std::vector<uint32_t>& written, int64_t target,
                                            uint32_t accumulating);

private:
    struct Walk {
        std::vector<uint32_t> written;  // by picture, up to the part's end
        int64_t target = 0;             // the picture on screen at the first frame
        bool stopped = false;
    };
    static Walk WalkTo(Engine& engine, const CaptureSchedule& schedule, int64_t originNs, int64_t frameNs,
                       const std::function<bool()>& goOn);
};

#endif
