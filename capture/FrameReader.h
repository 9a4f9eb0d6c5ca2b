// Reads the composed frames back from the window, two reads in flight: the
// frame composed now is read into one pixel-buffer object while the one read
// a frame earlier, long finished by then, is mapped and handed on, so the
// frame loop never waits for its own frame to reach memory. Without
// pixel-buffer objects each frame is read directly.
//
// Frames are handed on as RGB rows from the top of the picture down, each
// with the number of times it is to be written.
#ifndef HALVENOR_CAPTURE_FRAMEREADER_H
#define HALVENOR_CAPTURE_FRAMEREADER_H

#include <cstdint>
#include <functional>
#include <vector>

class FrameReader {
public:
    using Deliver = std::function<bool(const uint8_t* rgb, int64_t repeat)>;

    FrameReader();
    ~FrameReader();
    FrameReader(const FrameReader&) = delete;
    FrameReader& operator=(const FrameReader&) = delete;

    // Needs the window's rendering context current.
    void Init(int width, int height);
    bool UsesPixelBuffers() const { return pixelBuffers[0] != 0; }

    // Starts reading the frame in the window's draw buffer, to be written
    // `repeat` times, and hands on the frame read before it. False when the
    // receiver refused a frame.
    bool Read(int64_t repeat, const Deliver& deliver);
    // Hands on the frame still in flight.
    bool Flush(const Deliver& deliver);
    // Frees the pixel-buffer objects; needs the context still current.
    void Release();

private:
    bool HandOn(int slot, const Deliver& deliver);
    void FlipInto(const uint8_t* bottomUp);

    int width;
    int height;
    size_t rowBytes;
    uint32_t pixelBuffers[2];
    int64_t pendingRepeat[2];
    int current;
    std::vector<uint8_t> direct;
    std::vector<uint8_t> topDown;
};

#endif
