#include "scene/Material.h"

#include "glext/GlExtensions.h"

namespace {

struct BlendFactors {
    GLenum source;
    GLenum destination;
};

// The blend functions a translucent material can ask for, by blendMode.
constexpr BlendFactors kBlendModes[] = {
    {GL_ONE, GL_ONE},
    {GL_SRC_ALPHA, GL_ONE},
    {GL_SRC_ALPHA, GL_ONE_MINUS_DST_COLOR},
    {GL_ONE, GL_DST_COLOR},
    {GL_ONE_MINUS_DST_COLOR, GL_DST_COLOR},
    {GL_ONE, GL_SRC_ALPHA_SATURATE},
    {GL_ONE, GL_ONE_MINUS_SRC_ALPHA},
    {GL_DST_COLOR, GL_SRC_COLOR},
    {GL_DST_COLOR, GL_ZERO},
    {GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR},
};
constexpr int32_t kBlendModeCount = static_cast<int32_t>(sizeof(kBlendModes) / sizeof(kBlendModes[0]));

void DisableBothUnits() {
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_2D);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    glActiveTextureARB(GL_TEXTURE0_ARB);
}

// An unknown mode keeps whatever blend function is in force.
void ApplyBlendMode(int32_t mode) {
    if (mode < 0 || mode >= kBlendModeCount) {
        return;
    }
    glBlendFunc(kBlendModes[mode].source, kBlendModes[mode].destination);
}

void ApplyEmission(const float* emission) {
    if (emission[0] > 0.0f) {
        const GLfloat glow[4] = {emission[0], emission[1], emission[2], 1.0f};
        glColorMaterial(GL_FRONT, GL_EMISSION);
        glMaterialfv(GL_FRONT, GL_EMISSION, glow);
    } else {
        const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        glMaterialfv(GL_FRONT, GL_EMISSION, none);
    }
}

// Enables the active unit with the map's texture, generated coordinates for
// sphere maps, and the texture modulating what the previous stage gives.
void EnableMap(const TextureMap& map) {
    glEnable(GL_TEXTURE_2D);
    map.Bind();
    if (map.sphereMap != 0) {
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
    } else {
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
    }
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
    glTexEnvf(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_MODULATE);
}

}  // namespace

void Material::Apply() const {
    DisableBothUnits();

    // Translucent surfaces must not hide what is drawn after them.
    if (props.ambient[3] >= 1.0f) {
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
    } else {
        glDepthMask(GL_FALSE);
        glEnable(GL_BLEND);
        ApplyBlendMode(props.blendMode);
    }

    if (props.twoSided != 0) {
        glDisable(GL_CULL_FACE);
    } else {
        glEnable(GL_CULL_FACE);
    }

    glColor4fv(props.ambient);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);

    ApplyEmission(props.emission);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    ApplyEmission(props.emission);
    DisableBothUnits();

    if (props.mapCount >= 1) {
        EnableMap(maps[0]);
    }
    if (props.mapCount >= 2) {
        // The second unit stays active for the object's coordinates.
        glActiveTextureARB(GL_TEXTURE1_ARB);
        EnableMap(maps[1]);
    }
}
