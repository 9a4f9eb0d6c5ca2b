#include "author/HeldFrame.h"

#include "glext/GlExtensions.h"

namespace {

// Sizes a texture of any driver takes.
int PowerOfTwoAtLeast(int size) {
    int power = 1;
    while (power < size) {
        power *= 2;
    }
    return power;
}

}  // namespace

void HeldFrame::Keep(int newWidth, int newHeight) {
    if (newWidth <= 0 || newHeight <= 0) {
        return;
    }
    if (texture == 0 || newWidth > textureWidth || newHeight > textureHeight) {
        Release();
        GLuint name = 0;
        glGenTextures(1, &name);
        texture = name;
        textureWidth = PowerOfTwoAtLeast(newWidth);
        textureHeight = PowerOfTwoAtLeast(newHeight);
        glBindTexture(GL_TEXTURE_2D, texture);
        // Nearest texels: the copy comes back exactly as it was.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, 0);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, textureWidth, textureHeight, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    }
    width = newWidth;
    height = newHeight;
    glBindTexture(GL_TEXTURE_2D, texture);
    glReadBuffer(GL_BACK);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
}

void HeldFrame::Draw() const {
    if (texture == 0) {
        return;
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_TEXTURE_BIT);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_ALPHA_TEST);
    glDepthMask(GL_FALSE);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const float u = static_cast<float>(width) / static_cast<float>(textureWidth);
    const float v = static_cast<float>(height) / static_cast<float>(textureHeight);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(u, 0.0f);
    glVertex2f(w, 0.0f);
    glTexCoord2f(u, v);
    glVertex2f(w, h);
    glTexCoord2f(0.0f, v);
    glVertex2f(0.0f, h);
    glEnd();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glPopAttrib();
    glDepthMask(GL_TRUE);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void HeldFrame::Release() {
    if (texture != 0) {
        GLuint name = texture;
        glDeleteTextures(1, &name);
        texture = 0;
    }
}
