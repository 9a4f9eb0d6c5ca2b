// The sample's textures that are pictures of things rather than of text: the
// lens flare, the particle spark, the console's background and the scene's
// checker floor, marble and sphere map.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_SAMPLETEXTURES_H
#define HALVENOR_TOOLS_SAMPLEASSETS_SAMPLETEXTURES_H

#include "tools/sampleassets/Image.h"

namespace SampleAssets {

Image MakeFlare();
Image MakeSpark();
Image MakeConsoleBackground();
Image MakeChecker();
Image MakeMarble();
Image MakeSphereMap();

}  // namespace SampleAssets

#endif
