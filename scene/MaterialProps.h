// The surface values of a material. Stored whole in binary scene files.
#ifndef HALVENOR_SCENE_MATERIALPROPS_H
#define HALVENOR_SCENE_MATERIALPROPS_H

#include <cstdint>

struct MaterialProps {
    static constexpr int kNameSize = 80;

    char name[kNameSize];
    int32_t index;
    // The alpha of ambient is the opacity: below 1.0 the material is
    // translucent (blended, drawn after the opaque objects).
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float emission[3];
    uint8_t twoSided;
    int32_t mapCount;
    float shininess;
    int32_t blendMode;
};

#endif
