#include "fx2d/ParticleSystem.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/Log.h"
#include "fx2d/Layer2D.h"
#include "fx2d/PBuffer.h"
#include "fx2d/ParticleFile.h"
#include "glext/GlExtensions.h"
#include "scene/Scene.h"
#include "scene/TextureLoader.h"

namespace {

// The paths were tuned with this value of pi; keep it so they land where
// their authors saw them.
constexpr double kPi = 3.1415;

void SelectTextureUnit(GLenum unit) {
    if (glActiveTextureARB != nullptr) {
        glActiveTextureARB(unit);
    }
}

void CopyText(char* out, size_t outSize, const char* text) {
    std::snprintf(out, outSize, "%s", text != nullptr ? text : "");
}

}  // namespace

ParticleSystem::ParticleSystem()
    : textures(),
      textureFiles(),
      textureCount(0),
      particles(nullptr),
      billboard(true),
      particleCount(0),
      particleSize(0.0f),
      range(0.0f),
      visible(false),
      type(0),
      scene(nullptr),
      name(),
      blendMode(0) {}

ParticleSystem::~ParticleSystem() { delete[] particles; }

void ParticleSystem::AllocateParticles(uint32_t count, float newParticleSize, float newRange) {
    delete[] particles;
    particles = count > 0 ? new Particle[count]() : nullptr;
    particleCount = count;
    particleSize = newParticleSize;
    range = newRange;
}

bool ParticleSystem::Load(const char* path) {
    ParticleFile file;
    const ParticleFile::Status status = file.Read(path);
    if (status == ParticleFile::Status::CannotOpen) {
        Log::Format("-> [PARTICULAS] No se puede abrir el fichero [ %s ]: sistema vacio.\n", path);
        return false;
    }
    if (status == ParticleFile::Status::NoHeader) {
        Log::Format("-> [PARTICULAS] Fichero [ %s ] sin cabecera completa: sistema vacio.\n", path);
        return false;
    }
    billboard = file.billboard != 0;
    type = file.type;
    blendMode = file.blendMode;
    AllocateParticles(static_cast<uint32_t>(file.particles.size()), file.particleSize, file.range);
    if (particleCount > 0) {
        std::memcpy(particles, file.particles.data(), sizeof(Particle) * particleCount);
    }

    // Names past the tenth were still read, so the records line up.
    const size_t names = file.textureNames.size();
    textureCount = static_cast<uint32_t>(names < kMaxTextures ? names : kMaxTextures);
    if (file.declaredTextures > kMaxTextures) {
        Log::Format("-> [PARTICULAS] [ %s ] nombra %u texturas: se usan las %d primeras.\n", path,
                    file.declaredTextures, kMaxTextures);
    }
    for (uint32_t i = 0; i < textureCount; ++i) {
        ParticleFile::CopyName(file.textureNames[i], textureFiles[i], kTextureNameSize);
        textures[i] = LoadTexture(textureFiles[i]);
    }

    // Index 0 without any texture is an untextured system, not a mistake.
    uint32_t strayIndices = 0;
    for (uint32_t i = 0; i < particleCount; ++i) {
        const int32_t index = particles[i].textureIndex;
        if (index != 0 && (index < 0 || static_cast<uint32_t>(index) >= textureCount)) {
            strayIndices += 1;
        }
    }
    if (strayIndices > 0) {
        Log::Format("-> [PARTICULAS] [ %s ]: %u particulas con indice de textura fuera de rango: textura 0.\n",
                    path, strayIndices);
    }
    if (status == ParticleFile::Status::Short) {
        Log::Format("-> [PARTICULAS] Fichero [ %s ] incompleto: %u de %u texturas, %u de %u particulas.\n", path,
                    static_cast<uint32_t>(names), file.declaredTextures, particleCount, file.declaredParticles);
        return false;
    }
    return true;
}

bool ParticleSystem::Save(const char* path) const {
    ParticleFile file;
    file.particleSize = particleSize;
    file.range = range;
    file.billboard = billboard ? 1 : 0;
    file.type = type;
    file.blendMode = blendMode;
    const uint32_t count = textureCount < kMaxTextures ? textureCount : kMaxTextures;
    for (uint32_t i = 0; i < count; ++i) {
        ParticleFile::Name field{};
        std::memcpy(field.data(), textureFiles[i], strnlen(textureFiles[i], kTextureNameSize - 1));
        file.textureNames.push_back(field);
    }
    if (particles != nullptr) {
        file.particles.assign(particles, particles + particleCount);
    }
    return file.Write(path);
}

void ParticleSystem::SetName(const char* text) { CopyText(name, sizeof name, text); }

void ParticleSystem::Update() {
    switch (type) {
        case kSpiral:
            UpdateSpiral();
            break;
        case kRing:
            UpdateRing(0.0f, 0.0f, 0.0f);
            break;
        case kRise:
            UpdateRise();
            break;
        case kFall:
            UpdateFall();
            break;
        default:
            break;  // an unknown type stands where the file put it
    }
}

// The position comes from the phase before it advances.
void ParticleSystem::UpdateSpiral() {
    for (uint32_t i = 0; i < particleCount; ++i) {
        Particle& p = particles[i];
        const double theta = 6.0 * p.phase * kPi / 180.0;
        p.posX = static_cast<float>(std::sin(theta) * range);
        p.posY = 2.0f * p.phase - range;
        p.posZ = static_cast<float>(std::cos(theta) * range + p.offsetZ);
        p.phase = p.phase < range ? p.phase + p.step : 0.0f;
    }
}

void ParticleSystem::UpdateRing(float cx, float cy, float cz) {
    if (particleCount == 0) {
        return;
    }
    if (cx == 0.0f && cy == 0.0f && cz == 0.0f) {
        cx = particles[0].baseX;
        cy = particles[0].baseY;
        cz = particles[0].baseZ;
    }
    for (uint32_t i = 0; i < particleCount; ++i) {
        Particle& p = particles[i];
        const double theta = p.phase * kPi / 180.0;
        p.posX = static_cast<float>(std::sin(theta) * range + cx);
        p.posY = cy;
        p.posZ = static_cast<float>(std::cos(theta) * range + cz);
        p.phase = p.phase < 360.0f ? p.phase + p.step : 0.0f;
    }
}

void ParticleSystem::UpdateRise() {
    for (uint32_t i = 0; i < particleCount; ++i) {
        Particle& p = particles[i];
        p.posY = p.baseY + p.phase;
        p.phase = p.phase < range ? p.phase + p.step : 0.0f;
    }
}

// The phase of a falling particle is the height it starts from again.
void ParticleSystem::UpdateFall() {
    for (uint32_t i = 0; i < particleCount; ++i) {
        Particle& p = particles[i];
        p.posY = p.posY > 0.0f ? p.posY - p.step : p.phase;
    }
}

// Blending is always on for particles; modes outside the table keep the
// factors set before.
void ParticleSystem::ApplyBlendMode() const { Layer2D::SetBlendFactors(blendMode); }

// Records come from a file: an index outside the loaded textures draws with
// texture 0 instead of reading past the table.
uint32_t ParticleSystem::TextureOf(const Particle& particle) const {
    const int32_t index = particle.textureIndex;
    if (index < 0 || static_cast<uint32_t>(index) >= textureCount) {
        return 0;
    }
    return textures[index];
}

void ParticleSystem::DrawParticle(const Particle& particle, const float* m) const {
    const float b = blendMode == 8 ? 1.0f : particle.brightness;
    glColor4f(b, b, b, b);
    float x = particle.posX;
    float y = particle.posY;
    float z = particle.posZ;
    if (billboard) {
        // Into eye space with the view: the quad is then drawn facing the viewer.
        x = m[0] * particle.posX + m[4] * particle.posY + m[8] * particle.posZ + m[12];
        y = m[1] * particle.posX + m[5] * particle.posY + m[9] * particle.posZ + m[13];
        z = m[2] * particle.posX + m[6] * particle.posY + m[10] * particle.posZ + m[14];
    }
    SelectTextureUnit(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_2D);
    SelectTextureUnit(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    SelectTextureUnit(GL_TEXTURE0_ARB);
    glPushMatrix();
    if (billboard) {
        glLoadIdentity();
    }
    glTranslatef(x, y, z);
    glBindTexture(GL_TEXTURE_2D, TextureOf(particle));
    glEnable(GL_TEXTURE_2D);
    const float h = particle.halfSize;
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-h, -h, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-h, h, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(h, h, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(h, -h, 0.0f);
    glEnd();
    glPopMatrix();
}

void ParticleSystem::Draw() {
    PBuffer* const target = scene != nullptr && scene->RenderToPBuffer() ? scene->GetPBuffer() : nullptr;
    if (scene != nullptr) {
        scene->ApplyCamera();
    }
    if (target != nullptr) {
        // The pixel buffer's context has matrices of its own: the camera is
        // applied there too, so the particles share the picture's view even
        // in a frame in which the scene itself was not drawn.
        target->MakeCurrent();
        scene->ApplyCamera();
    }

    float modelView[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);

    glDisable(GL_FOG);
    glEnable(GL_BLEND);
    ApplyBlendMode();
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_FALSE);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_LIGHTING);

    for (uint32_t i = 0; i < particleCount; ++i) {
        DrawParticle(particles[i], modelView);
    }

    glEnable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);

    if (target != nullptr) {
        target->CopyToTexture();
        target->MakeWindowCurrent();
    }
}

void ParticleSystem::Release() {
    delete[] particles;
    particles = nullptr;
    particleCount = 0;
    billboard = true;
    textureCount = 0;
    visible = false;
    scene = nullptr;
    blendMode = 0;
}
