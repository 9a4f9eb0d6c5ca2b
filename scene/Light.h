// A scene light: its key, an optional position track, and whether it is drawn
// as a lens flare (a flare light does not illuminate).
#ifndef HALVENOR_SCENE_LIGHT_H
#define HALVENOR_SCENE_LIGHT_H

#include <cstdint>

#include "scene/LightKey.h"

class Light {
public:
    static constexpr int kFlareFileSize = 255;

    Light() : track(nullptr), sampleCount(0), key(), flareTexture(0), flareFile(), flare(0) {}

    void SetKey(const LightKey& newKey) { key = newKey; }
    LightKey GetKey() const { return key; }
    // All-zero samples; read and written without a range check.
    void CreateTrack(uint32_t count) {
        track = new LightKey[count]();
        sampleCount = count;
    }
    void SetSample(uint32_t index, const LightKey& sample) { track[index] = sample; }
    LightKey GetSample(uint32_t index) const { return track[index]; }
    uint32_t SampleCount() const { return sampleCount; }
    // Samples from `given` on take the last given sample (the key's position
    // when none was given), once the track is read.
    void CarryForwardSamples(uint32_t given);

    // Moves the light to its sample for the frame and configures its OpenGL
    // light (numbers 0 to 6 drive GL_LIGHT1 to GL_LIGHT7).
    void Apply(int frame);
    void DrawFlare() const;

    LightKey* track;
    uint32_t sampleCount;
    LightKey key;
    uint32_t flareTexture;
    char flareFile[kFlareFileSize];
    uint8_t flare;
};

#endif
