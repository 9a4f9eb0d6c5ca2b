// The clock of a shader layer's pictures, kept inside the layer's own state so
// that a layer put back as it was (the editing player's jumps) counts its
// pictures on from there.
#ifndef HALVENOR_FX2D_SHADERCLOCK_H
#define HALVENOR_FX2D_SHADERCLOCK_H

#include <cstdint>

struct ShaderClock {
    // Pictures since the layer's first one (0 for the first).
    uint32_t frames = 0;
    // Music time of the last picture and the step to it from the one before.
    double lastTime = 0.0;
    double delta = 0.0;
    bool started = false;

    // A picture at music time: a new one when the time moved.
    void Tick(double time) {
        if (!started) {
            started = true;
            lastTime = time;
            return;
        }
        if (time != lastTime) {
            frames += 1;
            delta = time - lastTime;
            lastTime = time;
        }
    }
};

#endif
