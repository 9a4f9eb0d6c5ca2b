// One camera sample: eye, point looked at, vertical field of view in degrees.
#ifndef HALVENOR_SCENE_CAMERAKEY_H
#define HALVENOR_SCENE_CAMERAKEY_H

#include <cstdint>

struct CameraKey {
    float eye[3];
    float target[3];
    float fov;
    // Whether the key has been given values (used while tracks are built).
    uint8_t filled;
};

#endif
