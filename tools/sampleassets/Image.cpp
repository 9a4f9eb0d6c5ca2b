// The sample maker's picture: what is not set pixel by pixel.
#include "tools/sampleassets/Image.h"

#include <cstring>

namespace SampleAssets {

void Image::FlipRows() {
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> swap(rowBytes);
    for (int y = 0; y < height / 2; ++y) {
        uint8_t* const a = &rgb[y * rowBytes];
        uint8_t* const b = &rgb[(height - 1 - y) * rowBytes];
        std::memcpy(swap.data(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, swap.data(), rowBytes);
    }
}

}  // namespace SampleAssets
