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

#endif
