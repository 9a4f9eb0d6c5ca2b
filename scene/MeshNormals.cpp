#include "scene/MeshNormals.h"

#include <cmath>

#include "scene/SceneObject.h"

void MeshNormals::ComputeFaceNormal(const float* p0, const float* p1, const float* p2, float* normal) {
    const double e1x = static_cast<double>(p1[0]) - p0[0];
    const double e1y = static_cast<double>(p1[1]) - p0[1];
    const double e1z = static_cast<double>(p1[2]) - p0[2];
    const double e2x = static_cast<double>(p2[0]) - p0[0];
    const double e2y = static_cast<double>(p2[1]) - p0[1];
    const double e2z = static_cast<double>(p2[2]) - p0[2];
    const double nx = e1y * e2z - e1z * e2y;
    const double ny = e1z * e2x - e1x * e2z;
    const double nz = e1x * e2y - e1y * e2x;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0.0) || !std::isfinite(length)) {
        normal[0] = normal[1] = normal[2] = 0.0f;
        return;
    }
    normal[0] = static_cast<float>(nx / length);
    normal[1] = static_cast<float>(ny / length);
    normal[2] = static_cast<float>(nz / length);
}

void MeshNormals::Recompute(SceneObject& object) {
    Vertex* vertices = object.vertices;
    const uint32_t vCount = vertices != nullptr ? object.vertexCount : 0;
    const uint32_t fCount = object.faces != nullptr ? object.faceCount : 0;
    for (uint32_t f = 0; f < fCount; ++f) {
        Face& face = object.faces[f];
        if (!CornerInRange(face.a, vCount) || !CornerInRange(face.b, vCount) || !CornerInRange(face.c, vCount)) {
            continue;
        }
        ComputeFaceNormal(vertices[face.a].position, vertices[face.b].position, vertices[face.c].position,
                          face.normal);
    }
    for (uint32_t i = 0; i < vCount; ++i) {
        AverageAdjacentNormals(vertices[i]);
    }
}
