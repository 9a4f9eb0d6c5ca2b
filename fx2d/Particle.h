// One particle: fifteen 4-byte fields whose layout in memory is their layout
// in a particle definition file, so records are read and written whole.
#ifndef HALVENOR_FX2D_PARTICLE_H
#define HALVENOR_FX2D_PARTICLE_H

#include <cstdint>

struct Particle {
    float baseX;  // particle 0's base is the centre of a ring
    float baseY;  // foot of a rising column
    float baseZ;
    float startX;  // kept with the particle, not used while playing
    float startY;
    float startZ;
    float posX;  // where the particle is drawn
    float posY;
    float posZ;
    float halfSize;
    float brightness;  // red = green = blue = alpha
    int32_t textureIndex;
    float phase;  // position along the path; start height of a falling one
    float step;   // phase advance per frame; fall per frame of a falling one
    float offsetZ;
};

static_assert(sizeof(Particle) == 60, "a particle record is 60 bytes on file and in memory");

#endif
