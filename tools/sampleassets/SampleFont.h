// The sample's bitmap font: the console's font sheet, and the same glyphs
// for the titles and lines of text that the 2D layers' pictures show.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_SAMPLEFONT_H
#define HALVENOR_TOOLS_SAMPLEASSETS_SAMPLEFONT_H

#include <string>

#include "tools/sampleassets/Image.h"

namespace SampleAssets {

// The console's font texture: two character sets of 16 x 16 cells.
Image MakeFont();

// How much of the pixel (x, y) the text covers, written from (left, top)
// with each glyph pixel size texels wide.
double TextCoverage(const std::string& text, double left, double top, double size, double x, double y);
// Where text of that size starts to sit centred in a picture width wide.
double CentredLeft(const std::string& text, double size, int width);

}  // namespace SampleAssets

#endif
