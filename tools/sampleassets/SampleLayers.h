// The pictures the sample's 2D layers draw: the loading screen, the title
// board, the scrolling strip and the frame overlay.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_SAMPLELAYERS_H
#define HALVENOR_TOOLS_SAMPLEASSETS_SAMPLELAYERS_H

#include <string>

#include "tools/sampleassets/Image.h"

namespace SampleAssets {

Image MakeLoadingScreen();
// The tracker show's board names its own title and subtitle.
Image MakeBoard(const std::string& title = "HALVENOR ENGINE",
                const std::string& subtitle = "CAPAS 2D - PIXEL BUFFERS - BLUR");
Image MakeStrip();
Image MakeFrameOverlay();

}  // namespace SampleAssets

#endif
