// A scene camera: a static key, an optional track of one key per animation
// frame, and the roll applied about the viewing direction.
#ifndef HALVENOR_SCENE_CAMERA_H
#define HALVENOR_SCENE_CAMERA_H

#include <cstdint>

#include "scene/CameraKey.h"

class Camera {
public:
    Camera() : track(nullptr), sampleCount(0), key(), roll(0.0f) { key.filled = 1; }

    void SetKey(const CameraKey& newKey) { key = newKey; }
    CameraKey GetKey() const { return key; }
    // Samples start with every number 0 and filled clear. Samples are read and
    // written without a range check: the caller keeps the index in range.
    void CreateTrack(uint32_t count) {
        track = new CameraKey[count]();
        sampleCount = count;
    }
    void SetSample(uint32_t index, const CameraKey& sample) { track[index] = sample; }
    CameraKey GetSample(uint32_t index) const { return track[index]; }
    uint32_t SampleCount() const { return sampleCount; }
    // Gives every sample still unfilled the values of the sample before it
    // (the static key for the first), once the track is read.
    void CarryForwardSamples();

    // Loads the camera's view for the frame into the modelview matrix. A frame
    // past the end of the track restarts at 0 (rewriting the caller's frame);
    // a negative frame uses the last sample.
    void Apply(float& frame) const;
    // Apply's rewriting of the frame alone, for a scene stepped without
    // drawing; answers the sample the frame shows.
    const CameraKey& WrapFrame(float& frame) const;

    CameraKey* track;
    uint32_t sampleCount;
    CameraKey key;
    float roll;
};

#endif
