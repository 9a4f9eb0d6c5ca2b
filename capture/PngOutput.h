// Captured frames as numbered PNG files in a directory: 000000.png is the
// first frame, each file an 8-bit RGB picture of the window.
#ifndef HALVENOR_CAPTURE_PNGOUTPUT_H
#define HALVENOR_CAPTURE_PNGOUTPUT_H

#include <vector>

#include "capture/FrameOutput.h"

class PngOutput : public FrameOutput {
public:
    explicit PngOutput(const std::string& directory);

    // Creates the directory (and its parents) when missing.
    bool Open(int width, int height) override;
    bool Write(const uint8_t* rgb, int64_t index) override;
    bool Close() override;

    static std::string FileName(int64_t index);
    // Writes one picture; false when the file cannot be written.
    static bool WritePng(const std::string& path, const uint8_t* rgb, int width, int height);

private:
    std::string directory;
    int width;
    int height;
};

#endif
