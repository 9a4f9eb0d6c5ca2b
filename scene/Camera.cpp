#include "scene/Camera.h"

#include "glext/GlExtensions.h"

// A track sampled every few frames, or shorter than the scene, leaves samples
// that no line gave: they hold the last given one, just as a sample holds what
// its own lines leave out, instead of looking from the origin at the origin
// with no field of view (which shows nothing at all).
void Camera::CarryForwardSamples() {
    for (uint32_t i = 0; i < sampleCount && track != nullptr; ++i) {
        if (track[i].filled) {
            continue;
        }
        const CameraKey& from = i == 0 ? key : track[i - 1];
        for (int axis = 0; axis < 3; ++axis) {
            track[i].eye[axis] = from.eye[axis];
            track[i].target[axis] = from.target[axis];
        }
        track[i].fov = from.fov;
        track[i].filled = 1;
    }
}

const CameraKey& Camera::WrapFrame(float& frame) const {
    if (sampleCount == 0 || track == nullptr) {
        return key;
    }
    // The end of the camera's track restarts the whole scene's animation.
    if (!(frame < static_cast<float>(sampleCount))) {
        frame = 0.0f;
    }
    if (frame < 0.0f) {
        frame = static_cast<float>(sampleCount - 1);
    }
    // A frame that is not a number passes both tests; the clamp keeps the
    // index inside the track anyway.
    uint32_t index = 0;
    if (frame > 0.0f) {
        index = static_cast<uint32_t>(frame);
        if (index >= sampleCount) {
            index = sampleCount - 1;
        }
    }
    return track[index];
}

void Camera::Apply(float& frame) const {
    const CameraKey* sample = &WrapFrame(frame);
    glLoadIdentity();
    // Rolling before the look-at turns the image about the viewing direction.
    glRotatef(roll, 0.0f, 0.0f, 1.0f);
    gluLookAt(sample->eye[0], sample->eye[1], sample->eye[2], sample->target[0], sample->target[1],
              sample->target[2], 0.0, 1.0, 0.0);
}
