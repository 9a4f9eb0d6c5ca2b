// A sample mesh's face normals and centre, which the scene file records.
#include "tools/sampleassets/Mesh.h"

#include <cmath>

namespace SampleAssets {

Vec3 Mesh::FaceNormal(size_t f) const {
    const Vec3& a = vertices[faces[f * 3]];
    return Normalised(Cross(vertices[faces[f * 3 + 1]] - a, vertices[faces[f * 3 + 2]] - a));
}

Vec3 Mesh::Centre() const {
    Vec3 low{1e9, 1e9, 1e9};
    Vec3 high{-1e9, -1e9, -1e9};
    for (const Vec3& v : vertices) {
        low = {std::fmin(low.x, v.x), std::fmin(low.y, v.y), std::fmin(low.z, v.z)};
        high = {std::fmax(high.x, v.x), std::fmax(high.y, v.y), std::fmax(high.z, v.z)};
    }
    return (low + high) * 0.5;
}

}  // namespace SampleAssets
