// Pixel buffers over the WGL stand-in, against the real driver: formats,
// shared textures, copies into the texture, the window handed back exactly,
// and the creation failures with their stderr texts and exit status.
#include "fx2d/PBuffer.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <vector>

#include "glext/GlExtensions.h"
#include "tests/support/GlTestContext.h"

using TestSupport::GlTestContext;
using TestSupport::NearColour;
using TestSupport::Rgba;

namespace {

constexpr int kSize = 64;

class PBufferTest : public ::testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        ASSERT_TRUE(GlTestContext::Open(kSize, kSize));
        glViewport(0, 0, kSize, kSize);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_BLEND);
        glDisable(GL_LIGHTING);
    }
};

// A quad over the whole viewport, textured or in the current colour.
void FillViewport() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
}

GLuint SolidTexture(uint8_t r, uint8_t g, uint8_t b) {
    const uint8_t texels[4 * 3] = {r, g, b, r, g, b, r, g, b, r, g, b};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    return texture;
}

TEST_F(PBufferTest, DrawsOffScreenSharesTexturesAndHandsTheWindowBack) {
    const GLuint shared = SolidTexture(200, 40, 90);
    HDC windowDC = wglGetCurrentDC();
    HGLRC windowRC = wglGetCurrentContext();
    GLint windowFramebuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &windowFramebuffer);

    PBuffer pbuffer(100, 60, PBuffer::kDepth, "PB_PRUEBA");
    pbuffer.Create(true);
    EXPECT_EQ(pbuffer.width, 100);
    EXPECT_EQ(pbuffer.height, 60);
    EXPECT_EQ(wglGetCurrentDC(), windowDC);
    EXPECT_EQ(wglGetCurrentContext(), windowRC);

    // The window's texture, drawn inside the pixel buffer's context.
    pbuffer.MakeCurrent();
    EXPECT_EQ(wglGetCurrentDC(), pbuffer.pbufferDC);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, shared);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    FillViewport();
    pbuffer.CopyToTexture();
    pbuffer.MakeWindowCurrent();

    GLint afterFramebuffer = -1;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &afterFramebuffer);
    EXPECT_EQ(afterFramebuffer, windowFramebuffer);

    // The copy, whole (the size is not a power of two), shown in the window.
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, pbuffer.Texture());
    GLint level0Width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &level0Width);
    EXPECT_EQ(level0Width, 100);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(0, 0, kSize / 2, kSize);
    FillViewport();
    glViewport(0, 0, kSize, kSize);
    glDisable(GL_TEXTURE_2D);
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(1, 1), 200, 40, 90));
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(kSize / 2 - 2, kSize - 2), 200, 40, 90));
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(kSize - 2, kSize / 2), 0, 0, 255));

    // What the screen shows after the swap is the window's own picture.
    SDL_GL_SwapBuffers();
    EXPECT_TRUE(NearColour(GlTestContext::ScreenPixel(2, kSize - 3), 200, 40, 90));
    EXPECT_TRUE(NearColour(GlTestContext::ScreenPixel(kSize - 3, 3), 0, 0, 255));
    GLuint name = shared;
    glDeleteTextures(1, &name);
}

// A show built again releases its buffers while the window stays: each
// buffer's texture must go with it, or every rebuild keeps a picture more.
TEST_F(PBufferTest, AReleasedBufferDeletesItsTexture) {
    GLuint texture = 0;
    {
        PBuffer pbuffer(64, 64, PBuffer::kDepth, "PB_SUELTO");
        pbuffer.Create(true);
        texture = pbuffer.Texture();
        ASSERT_NE(texture, 0u);
        EXPECT_EQ(glIsTexture(texture), GL_TRUE);
    }
    EXPECT_EQ(glIsTexture(texture), GL_FALSE);
}

TEST_F(PBufferTest, ContextsAreSharedOnlyBeforeTheyAreFirstCurrent) {
    HDC windowDC = wglGetCurrentDC();
    HGLRC windowRC = wglGetCurrentContext();
    PBuffer pbuffer(32, 32, PBuffer::kDepth, "PB_A");
    pbuffer.Create(true);
    // Once it has been current it may own objects: sharing is refused.
    EXPECT_FALSE(wglShareLists(windowRC, pbuffer.pbufferRC));
    EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_BUSY));
    EXPECT_TRUE(wglMakeCurrent(windowDC, windowRC));
}

TEST_F(PBufferTest, StandInFailuresAnswerWindowsCodes) {
    HDC windowDC = wglGetCurrentDC();
    const int unknown[] = {0x7FFF, 1, 0};
    int formats[4];
    UINT count = 9;
    EXPECT_FALSE(wglChoosePixelFormatARB(windowDC, unknown, nullptr, 4, formats, &count));
    EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_INVALID_DATA));

    const int rgba[] = {WGL_DRAW_TO_PBUFFER_ARB, 1, WGL_PIXEL_TYPE_ARB, WGL_TYPE_RGBA_ARB, WGL_RED_BITS_ARB, 8, 0};
    ASSERT_TRUE(wglChoosePixelFormatARB(windowDC, rgba, nullptr, 4, formats, &count));
    ASSERT_GT(count, 0u);
    EXPECT_EQ(wglCreatePbufferARB(windowDC, -3, 16, 16, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_INVALID_PIXEL_FORMAT));
    EXPECT_EQ(wglCreatePbufferARB(windowDC, formats[0], 0, 16, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_INVALID_DATA));
    // Far beyond what the server can hold: its X error comes back as a code,
    // and the process goes on.
    EXPECT_EQ(wglCreatePbufferARB(windowDC, formats[0], 1 << 20, 1 << 20, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_NO_SYSTEM_RESOURCES));
    EXPECT_EQ(wglGetCurrentDC(), windowDC);
}

TEST_F(PBufferTest, AFormatRequestThatFindsNothingEndsTheProcess) {
    // Colour-index pixel buffers do not exist on a true-colour screen.
    EXPECT_EXIT(
        {
            PBuffer pbuffer(64, 64, PBuffer::kColourIndex | PBuffer::kDepth, "PB_INDICE");
            pbuffer.Create(true);
        },
        ::testing::ExitedWithCode(255), "^pbuffer creation error:  Couldn't find a suitable pixel format\\.\n$");
}

TEST_F(PBufferTest, AFailingPixelBufferCreationEndsTheProcess) {
    EXPECT_EXIT(
        {
            PBuffer pbuffer(1 << 20, 1 << 20, PBuffer::kDepth, "PB_ENORME");
            pbuffer.Create(true);
        },
        ::testing::ExitedWithCode(255),
        "^pbuffer creation error:  wglCreatePbufferARB\\(\\) failed\nerror:  ERROR_NO_SYSTEM_RESOURCES\n$");
}

TEST_F(PBufferTest, SwitchesBackAndForthKeepTheWindowAndStillReportFailures) {
    HDC windowDC = wglGetCurrentDC();
    HGLRC windowRC = wglGetCurrentContext();
    GLint windowFramebuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &windowFramebuffer);
    PBuffer pbuffer(32, 32, PBuffer::kDepth, "PB_VAIVEN");
    pbuffer.Create(true);
    // Both contexts have been current: from here on the switches ask the
    // server nothing of their own, and every one still lands.
    for (int i = 0; i < 3; ++i) {
        pbuffer.MakeCurrent();
        EXPECT_EQ(wglGetCurrentDC(), pbuffer.pbufferDC);
        EXPECT_EQ(wglGetCurrentContext(), pbuffer.pbufferRC);
        pbuffer.MakeWindowCurrent();
        EXPECT_EQ(wglGetCurrentDC(), windowDC);
        GLint framebuffer = -1;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
        EXPECT_EQ(framebuffer, windowFramebuffer);
    }
    // A switch that fails answers a code and leaves the process going; the
    // window can be made current after it.
    pbuffer.MakeCurrent();
    SetLastError(0);
    EXPECT_FALSE(wglMakeCurrent(windowDC, reinterpret_cast<HGLRC>(&pbuffer)));
    EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(wglMakeCurrent(windowDC, windowRC));
    EXPECT_EQ(wglGetCurrentContext(), windowRC);
}

}  // namespace
