// JPEG files made by the tests, encoded in memory with libjpeg.
#ifndef HALVENOR_TESTS_SUPPORT_TESTIMAGES_H
#define HALVENOR_TESTS_SUPPORT_TESTIMAGES_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// libjpeg needs size_t and FILE declared first.
#include <jpeglib.h>

namespace TestSupport {

// Rows of the given colour space at full quality without chroma subsampling,
// so flat areas come back within a few levels.
std::string EncodeJpeg(int width, int height, J_COLOR_SPACE space, int components,
                       const std::vector<uint8_t>& pixels);

std::string SolidRgbJpeg(int width, int height, uint8_t r, uint8_t g, uint8_t b);
// A font image (16 x 16 glyph cells) where only the marker's glyph shows:
// red in character set 0, green in set 1; every other glyph is black. The
// marker is a printable ASCII character.
std::string MarkerGlyphSheet(char marker);

}  // namespace TestSupport

#endif
