// One triangle: three vertex indices, the addresses of those vertices in the
// object's own array (recomputed whenever the face is read), and its normal.
#ifndef HALVENOR_SCENE_FACE_H
#define HALVENOR_SCENE_FACE_H

#include <cstdint>

#include "scene/Vertex.h"

struct Face {
    int32_t a;
    int32_t b;
    int32_t c;
    Vertex* va;
    Vertex* vb;
    Vertex* vc;
    float normal[3];
};

// Whether a corner (of a face or a texture face) names one of the count
// elements of its array: files and deformations may carry any index.
inline bool CornerInRange(int32_t corner, uint32_t count) {
    return corner >= 0 && static_cast<uint32_t>(corner) < count;
}

#endif
