// Texture coordinates as imported (u, v) and as laid by the material's first
// map (s, t: tiling and offset applied at preparation).
#ifndef HALVENOR_SCENE_TEXVERTEX_H
#define HALVENOR_SCENE_TEXVERTEX_H

struct TexVertex {
    float u;
    float v;
    float s;
    float t;
};

#endif
