// The texture-vertex indices of one face; texture face i belongs to face i.
#ifndef HALVENOR_SCENE_TEXFACE_H
#define HALVENOR_SCENE_TEXFACE_H

#include <cstdint>

#include "scene/TexVertex.h"

struct TexFace {
    int32_t a;
    int32_t b;
    int32_t c;
    TexVertex* ta;
    TexVertex* tb;
    TexVertex* tc;
};

#endif
