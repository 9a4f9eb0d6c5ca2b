// A mesh of the sample scene as the ASCII scene file holds it: vertices,
// texture vertices and faces with their smoothing groups, in the modeller's
// Z-up world coordinates.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_MESH_H
#define HALVENOR_TOOLS_SAMPLEASSETS_MESH_H

#include <cstddef>
#include <string>
#include <vector>

#include "tools/sampleassets/SampleMaths.h"

namespace SampleAssets {

struct Mesh {
    std::string name;
    int materialRef = 0;
    int smoothing = 1;
    std::vector<Vec3> vertices;
    std::vector<int> faces;  // three vertex indices per face, counter-clockwise seen from outside
    std::vector<Vec3> texVertices;
    std::vector<int> texFaces;
    std::vector<int> faceSmoothing;

    void AddFace(int a, int b, int c, int ta, int tb, int tc, int group) {
        faces.insert(faces.end(), {a, b, c});
        texFaces.insert(texFaces.end(), {ta, tb, tc});
        faceSmoothing.push_back(group);
    }
    size_t FaceCount() const { return faces.size() / 3; }
    Vec3 FaceNormal(size_t f) const;
    // The middle of the bounding box, where the object's pivot goes.
    Vec3 Centre() const;
};

}  // namespace SampleAssets

#endif
