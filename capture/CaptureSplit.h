// A capture's stretch cut into parts: part K of N (numbered from 0) writes
// the frames [First, End) of the whole stretch's frames, contiguous and in
// order, the first parts one frame longer when the frames do not share out
// evenly. Every part is told the same stretch (start, rate, duration) and
// works out its frames itself once the show is loaded, so that the frame
// times, and so the pictures, are those of one capture of the whole.
#ifndef HALVENOR_CAPTURE_CAPTURESPLIT_H
#define HALVENOR_CAPTURE_CAPTURESPLIT_H

#include <cstdint>
#include <string>

class CaptureSplit {
public:
    static constexpr int kMaxParts = 1000;

    CaptureSplit() = default;
    // 0 <= index < count <= kMaxParts.
    CaptureSplit(int index, int count);

    // "K/N" as a user writes it; false with a message when it is not one.
    static bool Parse(const std::string& text, CaptureSplit& split, std::string& error);
    std::string Name() const;  // "K/N"

    int Index() const { return index; }
    int Count() const { return count; }
    bool Whole() const { return count == 1; }

    // The part's frames of a stretch of `frames` frames.
    int64_t First(int64_t frames) const;
    int64_t End(int64_t frames) const;

private:
    int index = 0;
    int count = 1;
};

#endif
