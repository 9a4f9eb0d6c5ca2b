// Where captured frames are written: a video file through the ffmpeg program
// or a directory of numbered PNG files. Frames arrive in order, as RGB rows
// from the top of the picture down.
#ifndef HALVENOR_CAPTURE_FRAMEOUTPUT_H
#define HALVENOR_CAPTURE_FRAMEOUTPUT_H

#include <cstdint>
#include <string>

class FrameOutput {
public:
    virtual ~FrameOutput();

    // False, with Error() saying why, when the output cannot be written.
    virtual bool Open(int width, int height) = 0;
    // Frames first .. first + repeat - 1 all show this picture.
    virtual bool Write(const uint8_t* rgb, int64_t first, int64_t repeat) = 0;
    // Completes the output; false when it could not be completed.
    virtual bool Close() = 0;

    const std::string& Error() const { return error; }

protected:
    std::string error;
};

#endif
