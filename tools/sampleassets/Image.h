// A picture the sample maker computes, pixel by pixel, before it is written as
// a JPEG or TGA file: RGB rows, top row first.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_IMAGE_H
#define HALVENOR_TOOLS_SAMPLEASSETS_IMAGE_H

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/sampleassets/SampleMaths.h"

namespace SampleAssets {

class Image {
public:
    Image(int width, int height) : width(width), height(height), rgb(static_cast<size_t>(width) * height * 3, 0) {}

    void Set(int x, int y, const Colour& c) {
        uint8_t* const p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        p[0] = ToByte(c.r);
        p[1] = ToByte(c.g);
        p[2] = ToByte(c.b);
    }
    void FlipRows();

    const int width;
    const int height;
    std::vector<uint8_t> rgb;

private:
    static uint8_t ToByte(double v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0)); }
};

}  // namespace SampleAssets

#endif
