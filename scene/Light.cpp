#include "scene/Light.h"

#include "glext/GlExtensions.h"

namespace {

// Scene light numbers 0 to 6 drive GL_LIGHT1 to GL_LIGHT7; GL_LIGHT0 is kept
// for scenes without lights.
constexpr int32_t kMaxLightNumber = 6;

// Flares keep this half-size in eye units, so they shrink with distance.
constexpr float kFlareHalfSize = 6.0f;

}  // namespace

// Samples the file never gave would put the light at the origin; they hold
// the last given position instead, as the light holds still in the modeller.
void Light::CarryForwardSamples(uint32_t given) {
    for (uint32_t i = given; i < sampleCount && track != nullptr; ++i) {
        if (i == 0) {
            track[0] = LightKey{};
            for (int axis = 0; axis < 3; ++axis) {
                track[0].position[axis] = key.position[axis];
            }
        } else {
            track[i] = track[i - 1];
        }
    }
}

void Light::Apply(int frame) {
    if (sampleCount != 0 && track != nullptr) {
        // A track shorter than the scene's animation holds its last sample.
        uint32_t index = 0;
        if (frame > 0) {
            index = static_cast<uint32_t>(frame) < sampleCount ? static_cast<uint32_t>(frame) : sampleCount - 1;
        }
        for (int i = 0; i < 4; ++i) {
            key.position[i] = track[index].position[i];
        }
    }
    key.position[3] = 1.0f;
    if (flare != 0) {
        return;
    }
    if (key.number < 0 || key.number > kMaxLightNumber) {
        return;
    }
    const GLenum light = static_cast<GLenum>(GL_LIGHT1 + key.number);
    // Given under the camera's view, so positions are in scene coordinates.
    glLightfv(light, GL_POSITION, key.position);
    glLightfv(light, GL_DIFFUSE, key.colour);
    glEnable(light);
}

void Light::DrawFlare() const {
    if (flare == 0) {
        return;
    }
    glPushMatrix();
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const float x = key.position[0];
    const float y = key.position[1];
    const float z = key.position[2];
    const float ex = m[0] * x + m[4] * y + m[8] * z + m[12];
    const float ey = m[1] * x + m[5] * y + m[9] * z + m[13];
    const float ez = m[2] * x + m[6] * y + m[10] * z + m[14];

    // Drawn in eye space so the quad always faces the viewer.
    glLoadIdentity();
    glTranslatef(ex, ey, ez);
    glDepthMask(GL_FALSE);
    glBindTexture(GL_TEXTURE_2D, flareTexture);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-kFlareHalfSize, -kFlareHalfSize, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-kFlareHalfSize, kFlareHalfSize, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(kFlareHalfSize, kFlareHalfSize, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(kFlareHalfSize, -kFlareHalfSize, 0.0f);
    glEnd();
    glPopMatrix();
    glDepthMask(GL_TRUE);
}
