// Frame composition of the registered scenes, checked by drawing into a
// real GL window and reading the frame back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/Display.h"
#include "core/Engine.h"
#include "fx2d/Layer2D.h"
#include "fx2d/LayerSum.h"
#include "fx2d/PBuffer.h"
#include "glext/GlExtensions.h"
#include "scene/Scene.h"
#include "tests/support/GlTestContext.h"
#include "tests/support/TestDisplay.h"

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
        ASSERT_TRUE(TestSupport::OpenWithRunningState(display, kSize, kSize));
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
        for (int32_t i = 0; i < engine.layerCount; ++i) {
            delete engine.layers[i];
        }
        engine.layerCount = 0;
        for (int32_t i = 0; i < engine.pixelBufferCount; ++i) {
            delete engine.pixelBuffers[i];
        }
        engine.pixelBufferCount = 0;
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
    offscreen.scene.SetPBuffer(engine.CreatePixelBuffer(32, 32, PBuffer::kDepth, "PB_FUERA"));
    offscreen.scene.SetRenderToPBuffer(true);
    ComposedScene inactive(0.0f, 1.0f, 0.0f, 60.0f);
    Register(drawn);
    Register(offscreen);
    Register(inactive);
    engine.ComposeFrame();
    ExpectPixel(kCentre, kCentre, 0, 0, 255);

    // What follows the scenes sees the last active scene's camera, with its
    // field of view (the 2D passes load their own projection afterwards).
    EXPECT_FLOAT_EQ(display.fieldOfView, 30.0f);
    GLfloat view[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    // The eye at x = 40 looking down -z: world x = 40 is straight ahead.
    const float eyeX = view[0] * 40.0f + view[12];
    EXPECT_NEAR(eyeX, 0.0f, 1e-3);
}

// A layer of the window's size in its colour only (no image): a plain
// source of (alpha, alpha, alpha).
Layer2D* AddPlainLayer(Engine& engine, const char* name, float alpha, int mode) {
    Layer2D* layer = engine.CreateLayer("-", Layer2D::kBackground, name);
    // White, so that no texture left bound by another layer colours it.
    const uint8_t white[4 * 3] = {255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, white);
    layer->texture.texture = texture;
    layer->texture.loaded = 1;
    layer->alpha = alpha;
    layer->blendMode = static_cast<int8_t>(mode);
    layer->SetVisible(true);
    return layer;
}

TEST_F(FrameComposerTest, APixelBufferLayerShowsItsSceneUprightAndWhole) {
    // Not a power of two: the whole picture must still reach the layer.
    PBuffer* pbuffer = engine.CreatePixelBuffer(96, 40, PBuffer::kDepth, "PB_ESCENA");
    ComposedScene offscreen(1.0f, 0.0f, 0.0f);
    offscreen.AddSquare(1.0f, 1.0f, 0.0f);
    for (Vertex& vertex : offscreen.vertices) {
        vertex.position[1] += 25.0f;  // in the upper part of the view
    }
    offscreen.scene.SetPBuffer(pbuffer);
    offscreen.scene.SetRenderToPBuffer(true);
    offscreen.scene.SetActive(true);
    Register(offscreen);
    Layer2D* screen = engine.CreateLayer("-", Layer2D::kPixelBuffer, "Pantalla");
    ASSERT_EQ(engine.AssignLayerPixelBuffer("PANTALLA", "pb_escena"), 1);
    EXPECT_EQ(engine.AssignLayerPixelBuffer("Pantalla", "PB_NADA"), -1);
    screen->SetVisible(true);
    engine.ComposeFrame();
    // The pixel buffer's context has the default ambient light: a trace of it.
    EXPECT_TRUE(NearColour(GlTestContext::ReadPixel(kCentre, kSize - 12), 255, 255, 0, 12));
    ExpectPixel(kCentre, 8, 255, 0, 0);
    ExpectPixel(0, 0, 255, 0, 0);
    ExpectPixel(kSize - 1, kSize - 1, 255, 0, 0);

    // Switched on without a pixel buffer, the scene is drawn into the frame.
    offscreen.scene.SetPBuffer(nullptr);
    screen->SetVisible(false);
    engine.ComposeFrame();
    ExpectPixel(4, 4, 255, 0, 0);
}

class BlurPassTest : public FrameComposerTest {
protected:
    void SetUp() override {
        FrameComposerTest::SetUp();
        engine.CreateBlurResources();
        still.scene.SetActive(true);
        Register(still);
    }

    int Brightness(int x, int y) { return GlTestContext::ReadPixel(x, y).g; }

    ComposedScene still{0.2f, 0.2f, 0.2f};
};

TEST_F(BlurPassTest, AStillPictureConvergesToItsBrightnessThroughTheFeedback) {
    engine.blurEnabled = true;
    engine.ComposeFrame();
    // The frame at half, over a black trail.
    EXPECT_NEAR(Brightness(kCentre, kCentre), 51 / 2, 3);
    for (int frame = 0; frame < 30; ++frame) {
        engine.ComposeFrame();
    }
    EXPECT_NEAR(Brightness(kCentre, kCentre), 51, 3);
    EXPECT_NEAR(Brightness(1, kSize - 2), 51, 3);

    // The seven zoom passes add 0.21 + 0.23 + ... + 0.258 = 1.638 of the trail.
    engine.saturateEnabled = true;
    engine.ComposeFrame();
    EXPECT_NEAR(Brightness(kCentre, kCentre), 51 * 2.638, 5);
    const Layer2D* trail = engine.FindLayer("LAYER_BLUR2");
    EXPECT_FLOAT_EQ(trail->scaleX, 1.0f);
    EXPECT_FLOAT_EQ(trail->alpha, 0.5f);
}

TEST_F(BlurPassTest, AnOverlayIsDrawnAboveTheBlurAndStaysSharp) {
    Layer2D* overlay = AddPlainLayer(engine, "Marco", 0.25f, Layer2D::kOverlayMode);
    overlay->x1 = kSize / 2;  // the left half
    engine.blurEnabled = true;
    engine.ComposeFrame();
    // Over the first blurred frame at once: 2 x 0.25 x what is there.
    EXPECT_NEAR(Brightness(kSize / 2 - 1, kCentre), 51 / 4, 3);
    EXPECT_NEAR(Brightness(kSize / 2, kCentre), 51 / 2, 3);
    for (int frame = 0; frame < 30; ++frame) {
        engine.ComposeFrame();
    }
    EXPECT_NEAR(Brightness(kSize / 2 - 1, kCentre), 51 / 2, 3);
    EXPECT_NEAR(Brightness(kSize / 2, kCentre), 51, 3);

    // Any other mode is part of the blurred frame: it comes through the
    // feedback, at half its strength in the first frame.
    engine.blurEnabled = false;
    overlay->blendMode = 1;
    engine.ComposeFrame();
    EXPECT_NEAR(Brightness(4, kCentre), 51 + 16, 3);
    engine.blurEnabled = true;
    for (int frame = 0; frame < 30; ++frame) {
        engine.ComposeFrame();
    }
    EXPECT_NEAR(Brightness(4, kCentre), 51 + 16, 3);
    overlay->SetVisible(false);
    engine.ComposeFrame();
    EXPECT_NEAR(Brightness(4, kCentre), 51 + 8, 3);
}

// Frames of the blur over a coloured square, from a black feedback trail,
// read back whole; the zoom passes from frame saturatedFrom on. Before frame
// resizedAt the feedback layer gets the size an FX_RESIZE 2 2 event gives.
std::vector<std::vector<uint8_t>> BlurredFrames(Engine& engine, int frames, int saturatedFrom, int resizedAt = -1) {
    PBuffer* feedback = engine.FindPixelBuffer("PB_BLUR2");
    feedback->MakeCurrent();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    feedback->CopyToTexture();
    feedback->MakeWindowCurrent();
    std::vector<std::vector<uint8_t>> pictures;
    for (int frame = 0; frame < frames; ++frame) {
        engine.saturateEnabled = frame >= saturatedFrom;
        if (frame == resizedAt) {
            engine.FindLayer("LAYER_BLUR2")->scaleX = 2.0f;
            engine.FindLayer("LAYER_BLUR2")->scaleY = 2.0f;
        }
        engine.ComposeFrame();
        std::vector<uint8_t> pixels(static_cast<size_t>(kSize) * kSize * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        pictures.push_back(pixels);
    }
    return pictures;
}

TEST_F(BlurPassTest, TheSummedLayerPassDrawsTheFramesOfThePassesOneByOne) {
    if (!LayerSum::IsAvailable()) {
        GTEST_SKIP() << "this driver has no shading language: the blur is drawn pass by pass anyway";
    }
    ComposedScene square{0.0f, 0.0f, 0.0f};
    square.AddSquare(0.9f, 0.5f, 0.1f);
    square.scene.SetActive(true);
    Register(square);
    engine.blurEnabled = true;
    const auto summed = BlurredFrames(engine, 12, 6);
    LayerSum::SetEnabled(false);
    const auto passes = BlurredFrames(engine, 12, 6);
    LayerSum::SetEnabled(true);
    const Layer2D* trail = engine.FindLayer("LAYER_BLUR2");
    EXPECT_FLOAT_EQ(trail->scaleX, 1.0f);
    EXPECT_FLOAT_EQ(trail->alpha, 0.5f);
    EXPECT_EQ(trail->blendMode, 0);
    for (size_t frame = 0; frame < summed.size(); ++frame) {
        int largest = 0;
        for (size_t i = 0; i < summed[frame].size(); ++i) {
            largest = std::max(largest, std::abs(int(summed[frame][i]) - int(passes[frame][i])));
        }
        // Zoomed copies may tip the filter between two texels: a level or
        // two where the square's edges are.
        EXPECT_LE(largest, 2) << "frame " << frame;
    }
    // The square is there, brightened by the zoom passes in the last frame.
    EXPECT_GT(GlTestContext::ReadPixel(kCentre, kCentre).r, 200);
}

// The state the window's context is left in by a frame: what the next
// drawing would inherit.
std::vector<float> LeftState() {
    std::vector<float> state(16);
    glGetFloatv(GL_MODELVIEW_MATRIX, state.data());
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    state.insert(state.end(), colour, colour + 4);
    GLint values[4];
    for (const GLenum name : {GL_BLEND_SRC, GL_BLEND_DST, GL_ACTIVE_TEXTURE, GL_TEXTURE_BINDING_2D,
                              GL_CURRENT_PROGRAM, GL_DEPTH_WRITEMASK}) {
        glGetIntegerv(name, values);
        state.push_back(static_cast<float>(values[0]));
    }
    for (const GLenum cap : {GL_BLEND, GL_TEXTURE_2D, GL_DEPTH_TEST, GL_CULL_FACE, GL_FOG, GL_LIGHTING}) {
        state.push_back(glIsEnabled(cap) ? 1.0f : 0.0f);
    }
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, values);
    state.push_back(static_cast<float>(values[0]));
    state.push_back(glIsEnabled(GL_TEXTURE_2D) ? 1.0f : 0.0f);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    return state;
}

TEST_F(BlurPassTest, AFeedbackLayerResizedByAnEventIsBackAtScaleOneAfterTheZoomPasses) {
    ComposedScene square{0.0f, 0.0f, 0.0f};
    square.AddSquare(0.9f, 0.5f, 0.1f);
    square.scene.SetActive(true);
    Register(square);
    engine.blurEnabled = true;
    const Layer2D* trail = engine.FindLayer("LAYER_BLUR2");
    std::vector<float> leftBy[2];
    for (const bool summed : {true, false}) {
        SCOPED_TRACE(summed ? "summed pass" : "pass by pass");
        LayerSum::SetEnabled(summed);
        const auto plain = BlurredFrames(engine, 5, 0);
        const auto resized = BlurredFrames(engine, 5, 0, 1);
        leftBy[summed ? 0 : 1] = LeftState();
        EXPECT_FLOAT_EQ(trail->scaleX, 1.0f);
        EXPECT_FLOAT_EQ(trail->scaleY, 1.0f);
        EXPECT_FLOAT_EQ(trail->alpha, 0.5f);
        EXPECT_EQ(trail->blendMode, 0);
        // The enlarged feedback is drawn in the one frame after the event;
        // the feedback picture made in it is the same already.
        EXPECT_NE(plain[1], resized[1]);
        for (size_t frame = 2; frame < plain.size(); ++frame) {
            EXPECT_EQ(plain[frame], resized[frame]) << "frame " << frame;
        }
    }
    LayerSum::SetEnabled(true);
    EXPECT_EQ(leftBy[0], leftBy[1]);
}

TEST_F(BlurPassTest, WithTheBlurOffItsResourcesAreNotTouched) {
    PBuffer* frame = engine.FindPixelBuffer("PB_BLUR");
    PBuffer* feedback = engine.FindPixelBuffer("PB_BLUR2");
    Layer2D* trail = engine.FindLayer("LAYER_BLUR2");
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(feedback, nullptr);
    ASSERT_NE(trail, nullptr);
    // Marks that the pass would overwrite: the texture corners and the
    // blend mode that the zoom passes reset.
    const uint8_t mark[3] = {9, 99, 199};
    for (const PBuffer* pbuffer : {frame, feedback}) {
        glBindTexture(GL_TEXTURE_2D, pbuffer->Texture());
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, mark);
    }
    trail->blendMode = 3;
    engine.saturateEnabled = true;
    for (int i = 0; i < 3; ++i) {
        engine.ComposeFrame();
    }
    ExpectPixel(kCentre, kCentre, 51, 51, 51);
    EXPECT_EQ(trail->blendMode, 3);
    for (const PBuffer* pbuffer : {frame, feedback}) {
        std::vector<uint8_t> texels(static_cast<size_t>(pbuffer->Width()) * pbuffer->Height() * 3);
        glBindTexture(GL_TEXTURE_2D, pbuffer->Texture());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        EXPECT_EQ(texels[0], mark[0]);
        EXPECT_EQ(texels[1], mark[1]);
        EXPECT_EQ(texels[2], mark[2]);
    }
}

}  // namespace
