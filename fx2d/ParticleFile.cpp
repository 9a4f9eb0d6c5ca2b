#include "fx2d/ParticleFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/FileSystem.h"

namespace {

// Records are read this many at a time, so storage grows only with what the
// file really holds.
constexpr uint32_t kRecordBatch = 256;

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

int32_t ReadI32(const uint8_t* p) {
    const uint32_t bits = ReadU32(p);
    int32_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

float ReadFloat(const uint8_t* p) {
    const uint32_t bits = ReadU32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void PutU32(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
    p[3] = static_cast<uint8_t>(value >> 24);
}

template <typename T>
void Put32(uint8_t* p, T value) {
    static_assert(sizeof(T) == 4, "four-byte fields only");
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutU32(p, bits);
}

// Little-endian bytes to a record field by field, so that the reader does not
// depend on the host's byte order.
Particle DecodeRecord(const uint8_t* p) {
    Particle particle;
    float* const floats[] = {&particle.baseX,  &particle.baseY,  &particle.baseZ,     &particle.startX,
                             &particle.startY, &particle.startZ, &particle.posX,      &particle.posY,
                             &particle.posZ,   &particle.halfSize, &particle.brightness};
    for (int i = 0; i < 11; ++i) {
        *floats[i] = ReadFloat(p + 4 * i);
    }
    particle.textureIndex = ReadI32(p + 44);
    particle.phase = ReadFloat(p + 48);
    particle.step = ReadFloat(p + 52);
    particle.offsetZ = ReadFloat(p + 56);
    return particle;
}

void EncodeRecord(const Particle& particle, uint8_t* p) {
    const float floats[] = {particle.baseX,  particle.baseY,  particle.baseZ,     particle.startX,
                            particle.startY, particle.startZ, particle.posX,      particle.posY,
                            particle.posZ,   particle.halfSize, particle.brightness};
    for (int i = 0; i < 11; ++i) {
        Put32(p + 4 * i, floats[i]);
    }
    Put32(p + 44, particle.textureIndex);
    Put32(p + 48, particle.phase);
    Put32(p + 52, particle.step);
    Put32(p + 56, particle.offsetZ);
}

class ClosingFile {
public:
    explicit ClosingFile(FILE* file) : file(file) {}
    ~ClosingFile() {
        if (file != nullptr) {
            std::fclose(file);
        }
    }
    ClosingFile(const ClosingFile&) = delete;
    ClosingFile& operator=(const ClosingFile&) = delete;
    FILE* Get() const { return file; }

private:
    FILE* file;
};

}  // namespace

ParticleFile::ParticleFile()
    : declaredParticles(0),
      particleSize(0.0f),
      range(0.0f),
      billboard(1),
      type(0),
      blendMode(0),
      declaredTextures(0),
      textureNames(),
      particles() {}

ParticleFile::Status ParticleFile::Read(const char* path) {
    textureNames.clear();
    particles.clear();
    declaredParticles = 0;
    declaredTextures = 0;
    const ClosingFile file(path != nullptr ? Platform::OpenFile(path, "rb") : nullptr);
    if (file.Get() == nullptr) {
        return Status::CannotOpen;
    }
    uint8_t header[kHeaderSize];
    if (std::fread(header, 1, sizeof header, file.Get()) != sizeof header) {
        return Status::NoHeader;
    }
    declaredParticles = ReadU32(header);
    particleSize = ReadFloat(header + 4);
    range = ReadFloat(header + 8);
    billboard = header[12];
    type = ReadI32(header + 13);
    blendMode = ReadI32(header + 17);
    declaredTextures = ReadU32(header + 21);

    for (uint32_t i = 0; i < declaredTextures; ++i) {
        Name name;
        if (std::fread(name.data(), 1, name.size(), file.Get()) != name.size()) {
            return Status::Short;
        }
        textureNames.push_back(name);
    }

    uint8_t batch[kRecordBatch * kRecordSize];
    uint32_t left = declaredParticles;
    while (left > 0) {
        const uint32_t want = std::min(left, kRecordBatch);
        const size_t got = std::fread(batch, kRecordSize, want, file.Get());
        for (size_t i = 0; i < got; ++i) {
            particles.push_back(DecodeRecord(batch + i * kRecordSize));
        }
        if (got != want) {
            return Status::Short;
        }
        left -= want;
    }
    return Status::Complete;
}

bool ParticleFile::Write(const char* path) const {
    const ClosingFile file(path != nullptr ? Platform::OpenFile(path, "wb") : nullptr);
    if (file.Get() == nullptr) {
        return false;
    }
    uint8_t header[kHeaderSize];
    PutU32(header, static_cast<uint32_t>(particles.size()));
    Put32(header + 4, particleSize);
    Put32(header + 8, range);
    header[12] = billboard;
    Put32(header + 13, type);
    Put32(header + 17, blendMode);
    PutU32(header + 21, static_cast<uint32_t>(textureNames.size()));
    bool ok = std::fwrite(header, 1, sizeof header, file.Get()) == sizeof header;
    for (const Name& name : textureNames) {
        ok = ok && std::fwrite(name.data(), 1, name.size(), file.Get()) == name.size();
    }
    uint8_t record[kRecordSize];
    for (const Particle& particle : particles) {
        EncodeRecord(particle, record);
        ok = ok && std::fwrite(record, 1, sizeof record, file.Get()) == sizeof record;
    }
    return ok && std::fflush(file.Get()) == 0;
}

void ParticleFile::CopyName(const Name& field, char* out, int outSize) {
    if (outSize <= 0) {
        return;
    }
    const size_t length = strnlen(field.data(), field.size());
    const size_t kept = std::min(length, static_cast<size_t>(outSize - 1));
    std::memcpy(out, field.data(), kept);
    out[kept] = '\0';
}
