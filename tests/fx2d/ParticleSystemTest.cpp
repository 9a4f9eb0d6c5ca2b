// Particle paths, drawing read back from a real GL window, and the system's
// road through the registry: the PARTICULAS line, its ESCENA binding, the
// script's show and hide, the per-frame update and the frame composer.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "config/Script.h"
#include "core/Display.h"
#include "core/Engine.h"
#include "fx2d/Layer2D.h"
#include "fx2d/PBuffer.h"
#include "fx2d/ParticleSystem.h"
#include "glext/GlExtensions.h"
#include "scene/Scene.h"
#include "scene/TextureLoader.h"
#include "tests/support/GlTestContext.h"
#include "tests/support/TestDisplay.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

using TestSupport::GlTestContext;
using TestSupport::NearColour;
using TestSupport::Rgba;
using TestSupport::TempDir;

namespace {

constexpr int kSize = 64;
constexpr int kCentre = kSize / 2;

Particle At(float x, float y, float z, float halfSize, float brightness) {
    Particle p{};
    p.posX = x;
    p.posY = y;
    p.posZ = z;
    p.halfSize = halfSize;
    p.brightness = brightness;
    return p;
}

void MakeSystem(ParticleSystem& system, int32_t type, float range, std::initializer_list<Particle> particles) {
    system.AllocateParticles(static_cast<uint32_t>(particles.size()), 1.0f, range);
    system.type = type;
    uint32_t i = 0;
    for (const Particle& p : particles) {
        system.particles[i++] = p;
    }
}

TEST(ParticlePaths, RingSpiralFallAndRiseFollowTheirFormulas) {
    ParticleSystem ring;
    Particle centre{};
    centre.baseX = 10.0f;
    centre.baseY = 5.0f;
    centre.baseZ = -3.0f;
    centre.phase = 90.0f;
    centre.step = 4.0f;
    MakeSystem(ring, ParticleSystem::kRing, 20.0f, {centre});
    ring.Update();
    EXPECT_NEAR(ring.particles[0].posX, 30.0f, 1e-3);
    EXPECT_EQ(ring.particles[0].posY, 5.0f);
    EXPECT_NEAR(ring.particles[0].posZ, -3.0f, 1e-2);
    EXPECT_EQ(ring.particles[0].phase, 94.0f);

    ParticleSystem spiral;
    Particle top{};
    top.phase = 10.0f;
    top.step = 1.0f;
    MakeSystem(spiral, ParticleSystem::kSpiral, 10.0f, {top});
    spiral.Update();
    EXPECT_EQ(spiral.particles[0].posY, 10.0f);
    EXPECT_EQ(spiral.particles[0].phase, 0.0f);
    spiral.Update();
    EXPECT_EQ(spiral.particles[0].posY, -10.0f);
    EXPECT_EQ(spiral.particles[0].phase, 1.0f);

    ParticleSystem fall;
    Particle drop = At(1.0f, 0.5f, 2.0f, 1.0f, 1.0f);
    drop.phase = 12.0f;
    drop.step = 1.0f;
    MakeSystem(fall, ParticleSystem::kFall, 0.0f, {drop});
    fall.Update();
    EXPECT_EQ(fall.particles[0].posY, -0.5f);
    fall.Update();
    EXPECT_EQ(fall.particles[0].posY, 12.0f);
    EXPECT_EQ(fall.particles[0].posX, 1.0f);

    ParticleSystem rise;
    Particle column = At(3.0f, 0.0f, 4.0f, 1.0f, 1.0f);
    column.baseY = -2.0f;
    column.phase = 5.0f;
    column.step = 2.0f;
    MakeSystem(rise, ParticleSystem::kRise, 6.0f, {column});
    rise.Update();
    rise.Update();
    EXPECT_EQ(rise.particles[0].posY, 5.0f);
    EXPECT_EQ(rise.particles[0].phase, 0.0f);  // 7 is past the range

    ParticleSystem still;
    MakeSystem(still, 9, 10.0f, {column});
    still.Update();
    EXPECT_EQ(std::memcmp(&still.particles[0], &column, sizeof column), 0);
}

class ParticleDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TestSupport::OpenWithRunningState(display, kSize, kSize));
        glDisable(GL_LIGHTING);
        Clear(0.0f);
        LookFrom(0.0f, 0.0f, 100.0f);
        engine.display = &display;
    }
    void TearDown() override {
        engine.Shutdown();
        engine.display = nullptr;
    }

    static void Clear(float grey) {
        glClearColor(grey, grey, grey, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    void LookFrom(float x, float y, float z) {
        display.SetPerspective();
        glLoadIdentity();
        gluLookAt(x, y, z, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    }
    static void ExpectPixel(int x, int y, int r, int g, int b) {
        const Rgba pixel = GlTestContext::ReadPixel(x, y);
        EXPECT_TRUE(NearColour(pixel, r, g, b, 3)) << "pixel (" << x << ", " << y << ") is (" << int(pixel.r)
                                                    << ", " << int(pixel.g) << ", " << int(pixel.b) << "), expected ("
                                                    << r << ", " << g << ", " << b << ")";
    }

    TempDir dir;
    Display display;
    Engine engine;
};

TEST_F(ParticleDrawTest, BrightnessAddsUpAndBlendModeEightIsFullWhite) {
    ParticleSystem system;
    MakeSystem(system, 0, 0.0f, {At(0.0f, 0.0f, 0.0f, 10.0f, 0.25f)});
    Clear(0.6f);
    system.Draw();
    ExpectPixel(kCentre, kCentre, 217, 217, 217);  // 0.6 + 0.25
    ExpectPixel(2, 2, 153, 153, 153);

    // Destination colour times source colour: a brightness of 0.25 would
    // darken the frame; mode 8 draws at full white and leaves it unchanged.
    system.blendMode = 8;
    Clear(0.6f);
    system.Draw();
    ExpectPixel(kCentre, kCentre, 153, 153, 153);
    // Fixed state that scenes drawn next rely on.
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLboolean depthMask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_EQ(depthMask, GL_TRUE);
}

TEST_F(ParticleDrawTest, BillboardsFaceTheViewerAndFixedQuadsDoNot) {
    // Seen from +x, a quad in the xy plane is edge-on.
    LookFrom(100.0f, 0.0f, 0.0f);
    ParticleSystem system;
    MakeSystem(system, 0, 0.0f, {At(0.0f, 0.0f, 0.0f, 8.0f, 1.0f)});
    system.billboard = false;
    system.Draw();
    ExpectPixel(kCentre - 5, kCentre + 5, 0, 0, 0);

    system.billboard = true;
    LookFrom(100.0f, 0.0f, 0.0f);
    system.Draw();
    // A square facing the viewer: lit corners, black just outside.
    const int half = static_cast<int>(8.0 / (100.0 * std::tan(35.0 * M_PI / 180.0)) * kCentre);
    ExpectPixel(kCentre - half + 1, kCentre + half - 1, 255, 255, 255);
    ExpectPixel(kCentre + half - 1, kCentre - half + 1, 255, 255, 255);
    ExpectPixel(kCentre + half + 2, kCentre, 0, 0, 0);
    ExpectPixel(kCentre, kCentre - half - 2, 0, 0, 0);
}

TEST_F(ParticleDrawTest, AStrayTextureIndexDrawsWithTextureZero) {
    dir.Write("rojo.jpg", TestSupport::SolidRgbJpeg(8, 8, 255, 0, 0));
    ParticleSystem system;
    Particle textured = At(-20.0f, 0.0f, 0.0f, 6.0f, 1.0f);
    Particle stray = At(20.0f, 0.0f, 0.0f, 6.0f, 1.0f);
    stray.textureIndex = 7;
    Particle negative = At(0.0f, 20.0f, 0.0f, 6.0f, 1.0f);
    negative.textureIndex = -1;
    MakeSystem(system, 0, 0.0f, {textured, stray, negative});
    system.textures[0] = LoadTexture("rojo.jpg");
    ASSERT_NE(system.textures[0], 0u);
    system.textureCount = 1;
    system.Draw();
    const int offset = static_cast<int>(20.0 / (100.0 * std::tan(35.0 * M_PI / 180.0)) * kCentre);
    ExpectPixel(kCentre - offset, kCentre, 255, 0, 0);
    ExpectPixel(kCentre + offset, kCentre, 255, 255, 255);
    ExpectPixel(kCentre, kCentre + offset, 255, 255, 255);
}

// Scenes with one camera looking at the origin from +z, far enough that a
// particle at the origin is visible; the view loaded before is the identity,
// from which the same particle sits on the eye and is clipped.
TEST_F(ParticleDrawTest, ABoundSystemDrawsWithItsScenesCamera) {
    Scene scene;
    Camera camera;
    camera.key = CameraKey{{0.0f, 0.0f, 100.0f}, {0.0f, 0.0f, 0.0f}, 45.0f, 1};
    scene.cameras = &camera;
    scene.cameraCount = 1;
    scene.SetDisplay(&display);

    ParticleSystem system;
    MakeSystem(system, 0, 0.0f, {At(0.0f, 0.0f, 0.0f, 5.0f, 1.0f)});
    system.billboard = false;
    glLoadIdentity();
    system.Draw();
    ExpectPixel(kCentre, kCentre, 0, 0, 0);

    system.SetScene(&scene);
    glLoadIdentity();
    system.Draw();
    ExpectPixel(kCentre, kCentre, 255, 255, 255);
    EXPECT_FLOAT_EQ(display.fieldOfView, 45.0f);
    scene.cameras = nullptr;
}

// The scene draws into its pixel buffer: so do its particles, which reach
// the window only through a layer showing that buffer.
TEST_F(ParticleDrawTest, ABoundSystemDrawsIntoItsScenesPixelBufferAndHandsTheWindowBack) {
    Scene scene;
    Camera camera;
    camera.key = CameraKey{{0.0f, 0.0f, 100.0f}, {0.0f, 0.0f, 0.0f}, 45.0f, 1};
    scene.cameras = &camera;
    scene.cameraCount = 1;
    scene.SetDisplay(&display);
    PBuffer* pbuffer = engine.CreatePixelBuffer(kSize, kSize, PBuffer::kDepth, "PB_SALA");
    scene.SetPBuffer(pbuffer);
    scene.SetRenderToPBuffer(true);

    ParticleSystem system;
    MakeSystem(system, 0, 0.0f, {At(0.0f, 0.0f, 0.0f, 5.0f, 1.0f)});
    system.billboard = false;
    system.SetScene(&scene);
    const HGLRC windowRC = wglGetCurrentContext();
    GLint windowFramebuffer = -1;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &windowFramebuffer);
    glLoadIdentity();  // from here the particle would sit on the eye
    system.Draw();

    EXPECT_EQ(wglGetCurrentContext(), windowRC);
    GLint framebuffer = -2;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(framebuffer, windowFramebuffer);
    ExpectPixel(kCentre, kCentre, 0, 0, 0);
    // The window keeps the bound scene's view for what follows.
    EXPECT_FLOAT_EQ(display.fieldOfView, 45.0f);

    Layer2D screen;
    screen.SetUp(Layer2D::kPixelBuffer, "-", kSize, kSize);
    screen.texture.texture = pbuffer->Texture();
    screen.texture.loaded = 1;
    display.SetOrtho2D();
    screen.Draw();
    ExpectPixel(kCentre, kCentre, 255, 255, 255);
    ExpectPixel(3, 3, 0, 0, 0);
    scene.cameras = nullptr;
}

// Two falling particles side by side, written as a definition file.
void WriteSparks(const TempDir& dir) {
    ParticleSystem sparks;
    Particle left = At(-20.0f, 10.0f, 0.0f, 5.0f, 1.0f);
    left.phase = 10.0f;
    left.step = 1.0f;
    Particle right = left;
    right.posX = 20.0f;
    MakeSystem(sparks, ParticleSystem::kFall, 0.0f, {left, right});
    ASSERT_TRUE(sparks.Save("chispas.bin"));
}

TEST_F(ParticleDrawTest, ThePreconfigurationLoadsAndBindsSystemsAndTheScriptShowsThem) {
    WriteSparks(dir);
    auto* scene = new Scene();
    scene->SetName("Sala");
    engine.RegisterScene(scene);
    engine.ProcessPreconfigLine("LOAD PARTICULAS chispas.bin Chispas\n");
    engine.ProcessPreconfigLine("LOAD PARTICULAS chispas.bin Sueltas\n");
    engine.ProcessPreconfigLine("SET PARTICULAS chispas ESCENA sala\n");
    engine.ProcessPreconfigLine("SET PARTICULAS Sueltas ESCENA Ninguna\n");
    engine.ProcessPreconfigLine("SET PARTICULAS Nadie ESCENA Sala\n");
    EXPECT_EQ(dir.Read("error_log.txt"),
              "-- PRECONFIG -- Cargando Particulas [ chispas.bin ] como \"Chispas\"\n"
              "-- PRECONFIG -- Cargando Particulas [ chispas.bin ] como \"Sueltas\"\n"
              "-- PRECONFIG -- Configurando Particulas [ chispas ] \n"
              "             -- Asignando escena asociada a particulas.\n"
              "-- PRECONFIG -- Configurando Particulas [ Sueltas ] \n"
              "             -- Asignando escena asociada a particulas.\n"
              "-- PRECONFIG -- Configurando Particulas [ Nadie ] \n");
    ASSERT_EQ(engine.particleSystemCount, 2);
    ParticleSystem& bound = *engine.particleSystems[0];
    ParticleSystem& loose = *engine.particleSystems[1];
    EXPECT_EQ(bound.GetScene(), scene);
    EXPECT_EQ(loose.GetScene(), nullptr);
    bound.SetScene(nullptr);  // the scene has no camera; draw with the test's view

    dir.Write("guion.txt", "0 PARTICLE chispas FX_SHOW\n0 PARTICLE Sueltas FX_SHOW\n0 PARTICLE Sueltas FX_HIDE\n");
    engine.LoadScript("guion.txt");
    engine.script->NextEvent(engine.nextEvent);
    EXPECT_EQ(engine.RunDemoStep(), 1);
    EXPECT_TRUE(bound.IsVisible());
    EXPECT_FALSE(loose.IsVisible());
    EXPECT_EQ(bound.particles[0].posY, 9.0f);
    EXPECT_EQ(loose.particles[0].posY, 10.0f);

    // Only the visible system reaches the frame.
    LookFrom(0.0f, 0.0f, 100.0f);
    engine.ComposeFrame();
    const int offset = static_cast<int>(20.0 / (100.0 * std::tan(35.0 * M_PI / 180.0)) * kCentre);
    const int lift = static_cast<int>(9.0 / (100.0 * std::tan(35.0 * M_PI / 180.0)) * kCentre);
    ExpectPixel(kCentre - offset, kCentre + lift, 255, 255, 255);
    bound.SetVisible(false);
    LookFrom(0.0f, 0.0f, 100.0f);
    engine.ComposeFrame();
    ExpectPixel(kCentre - offset, kCentre + lift, 0, 0, 0);

    // Hidden systems keep their phase; shown again they go on from there.
    engine.RunDemoStep();
    EXPECT_EQ(bound.particles[0].posY, 9.0f);
    bound.SetVisible(true);
    engine.RunDemoStep();
    EXPECT_EQ(bound.particles[0].posY, 8.0f);
}

}  // namespace
