// The sample scene's objects, built by code: the tiled ground, the tilted
// torus, a latitude-longitude sphere and the flat-lit glass box.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_SAMPLEMESHES_H
#define HALVENOR_TOOLS_SAMPLEASSETS_SAMPLEMESHES_H

#include <string>

#include "tools/sampleassets/Mesh.h"

namespace SampleAssets {

Mesh MakeGround(double size, int cells);
Mesh MakeTorus(const Vec3& centre, double major, double minor, int around, int across, double tiltDegrees);
Mesh MakeSphere(const std::string& name, int materialRef, const Vec3& centre, double radius, int around, int rings);
Mesh MakeBox(const Vec3& centre, double half);

}  // namespace SampleAssets

#endif
