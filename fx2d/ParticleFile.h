// A particle definition file in memory, and its reader and writer. The
// reader takes the file as untrusted: nothing is allocated for a count until
// the bytes it counts have been read, so a few header bytes cannot ask for
// gigabytes, and whatever was read whole before the file ran out is kept.
//
// Layout (little-endian, no padding): particle count (u32), particle size
// (float), range (float), billboard (1 byte, 0 off), type (i32), blend mode
// (i32), texture count (u32), the texture names (255 bytes each, NUL-
// terminated inside the field), then the 60-byte particle records.
#ifndef HALVENOR_FX2D_PARTICLEFILE_H
#define HALVENOR_FX2D_PARTICLEFILE_H

#include <array>
#include <cstdint>
#include <vector>

#include "fx2d/Particle.h"

class ParticleFile {
public:
    static constexpr int kNameSize = 255;
    static constexpr int kHeaderSize = 25;
    static constexpr int kRecordSize = static_cast<int>(sizeof(Particle));

    using Name = std::array<char, kNameSize>;

    enum class Status {
        Complete,    // everything the counts promise was read
        CannotOpen,  // nothing read
        NoHeader,    // shorter than the 25 header bytes: nothing kept
        Short,       // the names or records ran out: what was read whole is kept
    };

    ParticleFile();

    // Reads path (opened through the platform's file-name rules). The counts
    // of the header stay in declaredTextures and declaredParticles; the names
    // and records actually read are in textureNames and particles.
    Status Read(const char* path);
    // Writes the header with the counts of textureNames and particles; false
    // when the file cannot be written completely.
    bool Write(const char* path) const;

    // A name field as text: the bytes up to its terminator, or all 255 when
    // it has none.
    static void CopyName(const Name& field, char* out, int outSize);

    uint32_t declaredParticles;
    float particleSize;
    float range;
    uint8_t billboard;
    int32_t type;
    int32_t blendMode;
    uint32_t declaredTextures;
    std::vector<Name> textureNames;
    std::vector<Particle> particles;
};

#endif
