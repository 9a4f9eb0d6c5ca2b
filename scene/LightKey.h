// One light sample: number (its place in the file's light order), colour and
// position.
#ifndef HALVENOR_SCENE_LIGHTKEY_H
#define HALVENOR_SCENE_LIGHTKEY_H

#include <cstdint>

struct LightKey {
    int32_t number;
    float colour[4];
    float position[4];
};

#endif
