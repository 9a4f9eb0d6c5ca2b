// The header record of a scene: its name, animation range and speed, clear
// colour and fog. Stored whole in binary scene files.
#ifndef HALVENOR_SCENE_SCENEPARAMS_H
#define HALVENOR_SCENE_SCENEPARAMS_H

#include <cstdint>

struct SceneParams {
    static constexpr int kNameSize = 256;

    char name[kNameSize];
    int32_t lastFrame;
    int32_t frameSpeed;
    int32_t ticksPerFrame;
    float background[3];
    float ambient[3];
    float fogColor[4];
    float fogDensity;
    float fogEnd;
    float fogStart;
    uint8_t fogEnabled;
};

// Empty name, every number 0, fog off.
inline SceneParams DefaultSceneParams() {
    SceneParams params{};
    return params;
}

#endif
