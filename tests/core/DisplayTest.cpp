// The window and the OpenGL state that the DISPLAY line leaves, read back from
// a real context, and the two projections checked by drawing.
#include "core/Display.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>

#include "core/Engine.h"
#include "glext/GlExtensions.h"
#include "tests/support/GlTestContext.h"
#include "tests/support/TempDir.h"

using TestSupport::GlTestContext;
using TestSupport::NearColour;
using TestSupport::TempDir;

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

class DisplayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new TempDir();
        engine = new Engine();
        engine->ProcessPreconfigLine("LOAD DISPLAY 160 120 32 NO\n");
    }
    static void TearDownTestSuite() {
        // The display is never deleted by the engine.
        delete engine->display;
        delete engine;
        delete dir;
    }

    void SetUp() override {
        ASSERT_NE(engine->display, nullptr);
        glDisable(GL_CULL_FACE);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    void TearDown() override {
        glEnable(GL_CULL_FACE);
        glEnable(GL_TEXTURE_2D);
    }

    static void DrawPoint(float x, float y, float z) {
        glPointSize(1.0f);
        glColor3f(1.0f, 1.0f, 1.0f);
        glBegin(GL_POINTS);
        glVertex3f(x, y, z);
        glEnd();
    }

    static TempDir* dir;
    static Engine* engine;
};

TempDir* DisplayTest::dir = nullptr;
Engine* DisplayTest::engine = nullptr;

TEST_F(DisplayTest, OpensAWindowOfTheRequestedSizeWithTheLogTexts) {
    const SDL_Surface* surface = SDL_GetVideoSurface();
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->w, kWidth);
    EXPECT_EQ(surface->h, kHeight);
    char* title = nullptr;
    SDL_WM_GetCaption(&title, nullptr);
    ASSERT_NE(title, nullptr);
    EXPECT_STREQ(title, "Halvenor Engine");
    EXPECT_EQ(dir->Read("error_log.txt"),
              "-- PRECONFIG -- Configurando pantalla a [ 160 x 120 x 32 ] [ Fullscreen: NO ]\n"
              "-> La inicializacion grafica fue correcta.\n"
              "-> Inicializando fuentes.\n"
              "-> [JPG LOADER] Error cargando la textura [ texturas\\font.jpg ].\n");
    EXPECT_FALSE(engine->display->Fullscreen());
}

TEST(DisplayDefaults, ConstructorKeepsTheProjectionDefaults) {
    const Display display;
    EXPECT_FLOAT_EQ(display.fieldOfView, 70.0f);
    EXPECT_FLOAT_EQ(display.nearPlane, 1.0f);
    EXPECT_FLOAT_EQ(display.farPlane, 30000.0f);
}

TEST_F(DisplayTest, LeavesTheRunningStateOfTheShow) {
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], kWidth);
    EXPECT_EQ(viewport[3], kHeight);

    GLint value = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LESS);
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    EXPECT_EQ(value, GL_BACK);
    glGetIntegerv(GL_LIGHT_MODEL_LOCAL_VIEWER, &value);
    EXPECT_EQ(value, 1);
    glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &value);
    EXPECT_EQ(value, GL_NICEST);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

    GLfloat depth = 0.0f;
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &depth);
    EXPECT_FLOAT_EQ(depth, 1.0f);
    EXPECT_NE(glActiveTextureARB, nullptr);
    EXPECT_NE(glMultiTexCoord2fARB, nullptr);
}

TEST_F(DisplayTest, PerspectiveLooksDownMinusZWithTheDisplaysFieldOfView) {
    engine->display->SetFieldOfView(70.0f);
    glLoadIdentity();
    DrawPoint(0.0f, 0.0f, -10.0f);
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(kWidth / 2, kHeight / 2), 255, 255, 255));

    // A point on the top edge of a 45 degree frustum: tan(22.5) * depth.
    engine->display->SetFieldOfView(45.0f);
    engine->display->SetPerspective();
    const float depth = 100.0f;
    const float y = std::tan(22.5f * 3.14159265f / 180.0f) * depth * (kHeight - 3.0f) / kHeight;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    DrawPoint(0.0f, y, -depth);
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(kWidth / 2, kHeight - 2), 255, 255, 255));
    EXPECT_FLOAT_EQ(engine->display->FieldOfView(), 45.0f);
    engine->display->SetFieldOfView(70.0f);
}

TEST_F(DisplayTest, Ortho2DMapsWindowPixelsFromTheBottomLeft) {
    engine->display->SetOrtho2D();
    glLoadIdentity();
    DrawPoint(0.5f, 0.5f, 0.0f);
    DrawPoint(kWidth - 0.5f, kHeight - 0.5f, 0.0f);
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(0, 0), 255, 255, 255));
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(kWidth - 1, kHeight - 1), 255, 255, 255));
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(kWidth - 1, 0), 0, 0, 0));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(DisplayTest, DepthTestPassesOnlyNearerFragments) {
    engine->display->SetOrtho2D();
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    const auto quad = [](float r, float g, float z) {
        glColor3f(r, g, 0.0f);
        glBegin(GL_QUADS);
        glVertex3f(0, 0, z);
        glVertex3f(20, 0, z);
        glVertex3f(20, 20, z);
        glVertex3f(0, 20, z);
        glEnd();
    };
    quad(1.0f, 0.0f, -0.5f);
    quad(0.0f, 1.0f, -0.5f);
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(10, 10), 255, 0, 0));
    quad(0.0f, 1.0f, -0.25f);
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(10, 10), 0, 255, 0));
}

TEST_F(DisplayTest, AZeroHeightKeepsTheProjectionFinite) {
    Display display;
    display.width = 64;
    display.height = 0;
    display.SetPerspective();
    GLfloat matrix[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, matrix);
    for (const float element : matrix) {
        EXPECT_TRUE(std::isfinite(element));
    }
    EXPECT_NE(matrix[0], 0.0f);
    engine->display->SetPerspective();
}

}  // namespace
