// A fixed set of textured quads moving along one of four repeating paths (a
// rising spiral, a horizontal ring, a rising and a falling column), loaded
// whole from a particle definition file. Paths advance once per drawn frame,
// so their speed follows the frame rate. A system bound to a scene draws with
// that scene's camera, and into the scene's pixel buffer while the scene
// draws into one.
#ifndef HALVENOR_FX2D_PARTICLESYSTEM_H
#define HALVENOR_FX2D_PARTICLESYSTEM_H

#include <cstdint>

#include "fx2d/Particle.h"

class Scene;

class ParticleSystem {
public:
    static constexpr int kMaxTextures = 10;
    static constexpr int kTextureNameSize = 255;
    static constexpr int kNameSize = 256;

    // Motion types of a definition file; any other type stands still.
    enum MotionType : int32_t { kSpiral = 1, kRing = 2, kRise = 3, kFall = 4 };

    ParticleSystem();
    ~ParticleSystem();
    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;

    // Reads a definition file and loads its textures (the window's context
    // must be current). A file that cannot be opened leaves an empty system;
    // a short one keeps the particles read whole. Both are logged. False
    // unless the file was read completely.
    bool Load(const char* path);
    // Writes the system in the definition file layout; false on failure.
    bool Save(const char* path) const;
    // Stores the three values and creates count particles, zeroed.
    void AllocateParticles(uint32_t count, float newParticleSize, float newRange);

    void SetName(const char* text);
    const char* Name() const { return name; }
    void SetScene(Scene* newScene) { scene = newScene; }
    Scene* GetScene() const { return scene; }
    void SetVisible(bool flag) { visible = flag; }
    bool IsVisible() const { return visible; }

    // One frame of the system's motion type.
    void Update();
    void UpdateSpiral();
    // Centre (cx, cy, cz), or particle 0's base when all three are 0.
    void UpdateRing(float cx, float cy, float cz);
    void UpdateRise();
    void UpdateFall();

    // Draws every particle with the perspective projection loaded: with the
    // bound scene's camera when there is one, otherwise with the view already
    // loaded. Particles are hidden behind nearer geometry but do not hide one
    // another. A system whose scene draws into its pixel buffer draws into
    // that buffer, copies it into the buffer's texture and ends with the
    // window current, whatever was current before.
    void Draw();

    // Frees the particles and returns to the defaults; texture objects stay.
    void Release();

    uint32_t textures[kMaxTextures];
    char textureFiles[kMaxTextures][kTextureNameSize];
    uint32_t textureCount;
    Particle* particles;
    bool billboard;
    uint32_t particleCount;
    float particleSize;
    float range;
    bool visible;
    int32_t type;
    Scene* scene;
    char name[kNameSize];
    int32_t blendMode;

private:
    void ApplyBlendMode() const;
    uint32_t TextureOf(const Particle& particle) const;
    void DrawParticle(const Particle& particle, const float* modelView) const;
};

#endif
