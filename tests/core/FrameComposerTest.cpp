// Frame composition of the registered scenes, checked by drawing into a
// real GL window and reading the frame back.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "core/Display.h"
#include "core/Engine.h"
#include "glext/GlExtensions.h"
#include "scene/Scene.h"
#include "tests/support/GlTestContext.h"

namespace {

using TestSupport::GlTestContext;
using TestSupport::NearColour;
using TestSupport::Rgba;

constexpr int kSize = 64;
constexpr int kCentre = kSize / 2;

// A scene with a background colour, one camera and, optionally, one small
// square at the origin facing the camera and showing its emission (which a
// material applies only when its red is above 0). The scene
// does not own these records (its created flags stay clear).
class ComposedScene {
public:
    ComposedScene(float r, float g, float b, float fov = 45.0f) {
        scene.params.background[0] = r;
        scene.params.background[1] = g;
        scene.params.background[2] = b;
        camera.key = CameraKey{{0.0f, 0.0f, 100.0f}, {0.0f, 0.0f, 0.0f}, fov, 1};
        scene.cameras = &camera;
        scene.cameraCount = 1;
        // A black light, so that surfaces show their emission only.
        light.key = LightKey{0, {0.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 100.0f, 1.0f}};
        scene.lights = &light;
        scene.lightCount = 1;
    }
    ~ComposedScene() {
        scene.cameras = nullptr;
        scene.lights = nullptr;
        scene.objects = nullptr;
        scene.materials = nullptr;
    }

    void AddSquare(float r, float g, float b) {
        const float corners[4][2] = {{-10.0f, -10.0f}, {10.0f, -10.0f}, {10.0f, 10.0f}, {-10.0f, 10.0f}};
        for (int i = 0; i < 4; ++i) {
            vertices[i] = DefaultVertex();
            vertices[i].position[0] = corners[i][0];
            vertices[i].position[1] = corners[i][1];
            vertices[i].normal[2] = 1.0f;
        }
        faces[0] = Face{0, 1, 2, nullptr, nullptr, nullptr, {0.0f, 0.0f, 1.0f}};
        faces[1] = Face{0, 2, 3, nullptr, nullptr, nullptr, {0.0f, 0.0f, 1.0f}};
        object.vertices = vertices;
        object.vertexCount = 4;
        object.faces = faces;
        object.faceCount = 2;
        material.props.ambient[3] = 1.0f;
        material.props.emission[0] = r;
        material.props.emission[1] = g;
        material.props.emission[2] = b;
        scene.materials = &material;
        scene.materialCount = 1;
        scene.objects = &object;
        scene.objectCount = 1;
    }

    Scene scene;
    Camera camera;
    Light light;
    Material material;
    SceneObject object;
    Vertex vertices[4];
    Face faces[2];
};

class FrameComposerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(GlTestContext::Open(kSize, kSize));
        display.width = kSize;
        display.height = kSize;
        display.InitGL();
        display.SetRunningState();
        const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
        glDisable(GL_TEXTURE_2D);
        // Something other than black, to see the composer clear it.
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        engine.display = &display;
    }
    void TearDown() override {
        // The scenes belong to the test, not to the engine.
        engine.sceneCount = 0;
    }

    void Register(ComposedScene& composed) {
        composed.scene.SetDisplay(&display);
        engine.scenes[engine.sceneCount++] = &composed.scene;
    }

    void ExpectPixel(int x, int y, int r, int g, int b) {
        const Rgba pixel = GlTestContext::ReadPixel(x, y);
        EXPECT_TRUE(NearColour(pixel, r, g, b, 2))
            << "pixel (" << x << ", " << y << ") is (" << int(pixel.r) << ", " << int(pixel.g) << ", "
            << int(pixel.b) << "), expected (" << r << ", " << g << ", " << b << ")";
    }

    Display display;
    Engine engine;
};

TEST_F(FrameComposerTest, NothingActiveGivesABlackFrame) {
    ComposedScene hidden(1.0f, 1.0f, 0.0f);
    Register(hidden);
    engine.ComposeFrame();
    ExpectPixel(kCentre, kCentre, 0, 0, 0);
    ExpectPixel(0, kSize - 1, 0, 0, 0);
}

TEST_F(FrameComposerTest, ActiveScenesAreDrawnInRegistryOrder) {
    ComposedScene first(0.0f, 0.0f, 1.0f);
    first.scene.SetActive(true);
    ComposedScene second(1.0f, 0.0f, 0.0f);
    second.AddSquare(1.0f, 1.0f, 0.0f);
    second.scene.SetClearBuffers(false);
    second.scene.SetActive(true);
    Register(first);
    Register(second);
    engine.ComposeFrame();
    // The second scene keeps the first one's picture around its square.
    ExpectPixel(kCentre, kCentre, 255, 255, 0);
    ExpectPixel(2, 2, 0, 0, 255);

    second.scene.SetClearBuffers(true);
    engine.ComposeFrame();
    ExpectPixel(kCentre, kCentre, 255, 255, 0);
    ExpectPixel(2, 2, 255, 0, 0);
}

TEST_F(FrameComposerTest, SceneForAPixelBufferIsNotDrawnButItsCameraIsApplied) {
    ComposedScene drawn(0.0f, 0.0f, 1.0f, 45.0f);
    drawn.scene.SetActive(true);
    ComposedScene offscreen(1.0f, 0.0f, 0.0f, 30.0f);
    offscreen.AddSquare(1.0f, 1.0f, 1.0f);
    offscreen.camera.key.eye[0] = 40.0f;
    offscreen.camera.key.target[0] = 40.0f;
    offscreen.scene.SetActive(true);
    offscreen.scene.SetRenderToPBuffer(true);
    ComposedScene inactive(0.0f, 1.0f, 0.0f, 60.0f);
    Register(drawn);
    Register(offscreen);
    Register(inactive);
    engine.ComposeFrame();
    ExpectPixel(kCentre, kCentre, 0, 0, 255);

    // What follows the scenes sees the last active scene's camera, with its
    // field of view in the projection.
    EXPECT_FLOAT_EQ(display.fieldOfView, 30.0f);
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[5], 1.0 / std::tan(15.0 * M_PI / 180.0), 1e-4);
    GLfloat view[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    // The eye at x = 40 looking down -z: world x = 40 is straight ahead.
    const float eyeX = view[0] * 40.0f + view[12];
    EXPECT_NEAR(eyeX, 0.0f, 1e-3);
}

}  // namespace
