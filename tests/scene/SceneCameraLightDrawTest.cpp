// Scene drawing checked by drawing, for what frames the objects: clearing,
// the state a scene leaves for what draws after it, fog, cameras (with and
// without tracks, field of view, roll), lights and flares.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/scene/SceneDrawTest.h"
#include "tests/scene/TestScene.h"

namespace {

using TestSupport::Byte;
using TestSupport::kCentre;
using TestSupport::LoadedMap;
using TestSupport::Pixel;
using TestSupport::PlainTexture;
using TestSupport::QuadrantTexture;
using TestSupport::QuadSpec;
using TestSupport::SceneDrawTest;
using TestSupport::TestScene;

TEST_F(SceneDrawTest, ClearsToTheBackgroundColour) {
    TestScene t(&display);
    t.scene.params.background[0] = 0.2f;
    t.scene.params.background[1] = 0.4f;
    t.scene.params.background[2] = 0.6f;
    DrawChecked(t.Finish());
    EXPECT_PIXEL(0, 0, 51, 102, 153, 1);
    EXPECT_PIXEL(kCentre, kCentre, 51, 102, 153, 1);
}

TEST_F(SceneDrawTest, WithoutTheClearFlagOnlyDepthIsCleared) {
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(0.0);  // nothing would pass the depth test
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    TestScene t(&display);
    t.scene.params.background[1] = 1.0f;
    t.scene.clearBuffers = 0;
    t.AddStandardCamera();
    t.AddBlackLight();
    QuadSpec quad;
    quad.half = 5.0f;
    quad.material = t.AddShowing(0.0f, 0.0f, 1.0f);
    t.AddQuad(quad);
    t.Finish().Draw();
    EXPECT_PIXEL(0, 0, 255, 0, 0, 1);
    EXPECT_PIXEL(kCentre, kCentre, 0, 0, 255, 2);
}

// Whatever draws after a scene (particles, layers, the next scene) starts
// from the state the scene leaves.
TEST_F(SceneDrawTest, LeavesAdditiveBlendingWithoutLightingOnUnitZero) {
    TestScene t(&display);
    t.AddStandardCamera();
    t.AddBlackLight();
    QuadSpec quad;
    quad.material = t.AddShowing(0.0f, 1.0f, 0.0f);
    t.AddQuad(quad);
    DrawChecked(t.Finish());
    GLint source = 0;
    GLint destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_EQ(depthWrites, GL_TRUE);
    GLint unit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &unit);
    EXPECT_EQ(unit, GL_TEXTURE0_ARB);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
}

TEST_F(SceneDrawTest, LinearFogBlendsByEyeDistance) {
    TestScene t(&display);
    t.scene.params.fogEnabled = 1;
    t.scene.params.fogStart = 0.0f;
    t.scene.params.fogEnd = 200.0f;
    t.scene.params.fogColor[0] = 1.0f;
    t.scene.params.fogColor[3] = 1.0f;
    t.AddStandardCamera();
    t.AddBlackLight();
    QuadSpec quad;
    quad.material = t.AddShowing(0.04f, 0.24f, 0.44f);
    t.AddQuad(quad);
    t.Finish().Draw();
    // 100 units away, half way into the fog.
    EXPECT_PIXEL(kCentre, kCentre, Byte(0.52f), Byte(0.12f), Byte(0.22f), 3);
    EXPECT_TRUE(glIsEnabled(GL_FOG));

    t.scene.params.fogEnabled = 0;
    t.scene.Draw();
    EXPECT_PIXEL(kCentre, kCentre, Byte(0.04f), Byte(0.24f), Byte(0.44f), 3);
    EXPECT_FALSE(glIsEnabled(GL_FOG));
}

TEST_F(SceneDrawTest, SceneWithoutCamerasLooksAtTheOriginFromAbove) {
    display.SetFieldOfView(70.0f);
    TestScene t(&display);
    t.AddBlackLight();
    QuadSpec atOrigin;
    atOrigin.half = 3.0f;
    atOrigin.material = t.AddShowing(1.0f, 0.0f, 0.0f);
    t.AddQuad(atOrigin);
    QuadSpec above;
    above.half = 3.0f;
    above.centre[1] = 20.0f;
    above.material = t.AddShowing(0.0f, 1.0f, 0.0f);
    t.AddQuad(above);
    t.Finish().Draw();
    EXPECT_PIXEL(kCentre, kCentre, 255, 0, 0, 2);
    // From (0, 50, 80) with +Y up, (0, 20, 0) is about 9 rows above the centre
    // at the display's own 70 degrees.
    EXPECT_PIXEL(kCentre, kCentre + 9, 0, 255, 0, 2);
    EXPECT_PIXEL(kCentre, kCentre - 9, 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(display.fieldOfView, 70.0f);
}

TEST_F(SceneDrawTest, CameraHandsItsFieldOfViewToTheDisplay) {
    TestScene t(&display);
    t.AddBlackLight();
    t.AddCamera(0.0f, 0.0f, 100.0f, 0.0f, 0.0f, 0.0f, 30.0f);
    t.scene.currentCamera = 1;  // equal to the count: wraps to camera 0
    QuadSpec quad;
    quad.half = 20.0f;
    quad.material = t.AddShowing(1.0f, 1.0f, 1.0f);
    t.AddQuad(quad);
    t.Finish().Draw();
    EXPECT_EQ(t.scene.currentCamera, 0u);
    EXPECT_FLOAT_EQ(display.fieldOfView, 30.0f);
    // At 30 degrees the 40-unit quad fills about 3/4 of the window height.
    const int edge = kCentre + static_cast<int>(20.0f / (100.0f * std::tan(15.0f * M_PI / 180.0f)) * kCentre);
    EXPECT_PIXEL(kCentre, edge - 2, 255, 255, 255, 2);
    EXPECT_PIXEL(kCentre, edge + 2, 0, 0, 0, 0);
}

class CameraTrackTest : public SceneDrawTest {
protected:
    // Sample 0 looks at a red quad at the origin, sample 2 at a green one at
    // x = 200.
    void Build(TestScene& t) {
        t.AddBlackLight();
        QuadSpec red;
        red.material = t.AddShowing(1.0f, 0.0f, 0.0f);
        t.AddQuad(red);
        QuadSpec green;
        green.centre[0] = 200.0f;
        green.material = t.AddShowing(0.0f, 1.0f, 0.0f);
        t.AddQuad(green);
        Camera& camera = t.AddStandardCamera();
        track[0] = CameraKey{{0.0f, 0.0f, 100.0f}, {0.0f, 0.0f, 0.0f}, 0.0f, 1};
        track[1] = CameraKey{{100.0f, 0.0f, 100.0f}, {100.0f, 0.0f, 0.0f}, 0.0f, 1};
        track[2] = CameraKey{{200.0f, 0.0f, 100.0f}, {200.0f, 0.0f, 0.0f}, 0.0f, 1};
        camera.track = track;
        camera.sampleCount = 3;
        t.Finish();
    }
    CameraKey track[3];
};

TEST_F(CameraTrackTest, FrameAtTheEndOfTheTrackRestartsTheScene) {
    TestScene t(&display);
    Build(t);
    t.scene.currentFrame = 3.5f;
    t.scene.Draw();
    EXPECT_EQ(t.scene.currentFrame, 0.0f);
    EXPECT_PIXEL(kCentre, kCentre, 255, 0, 0, 2);
    // The field of view always comes from the key, not the samples.
    EXPECT_FLOAT_EQ(display.fieldOfView, 45.0f);
    t.cameras[0].track = nullptr;
}

TEST_F(CameraTrackTest, NegativeFrameUsesTheLastSample) {
    TestScene t(&display);
    Build(t);
    t.scene.currentFrame = -0.5f;
    t.scene.Draw();
    EXPECT_EQ(t.scene.currentFrame, 2.0f);
    EXPECT_PIXEL(kCentre, kCentre, 0, 255, 0, 2);

    t.scene.currentFrame = 2.9f;  // truncated to sample 2, left as it is
    t.scene.Draw();
    EXPECT_EQ(t.scene.currentFrame, 2.9f);
    EXPECT_PIXEL(kCentre, kCentre, 0, 255, 0, 2);

    t.scene.currentFrame = std::nanf("");
    t.scene.Draw();
    EXPECT_EQ(t.scene.currentFrame, 0.0f);
    EXPECT_PIXEL(kCentre, kCentre, 255, 0, 0, 2);
    t.cameras[0].track = nullptr;
}

TEST_F(SceneDrawTest, RollTurnsTheImageAboutTheViewingDirection) {
    TestScene t(&display);
    t.AddBlackLight();
    Camera& camera = t.AddStandardCamera();
    QuadSpec right;
    right.half = 5.0f;
    right.centre[0] = 20.0f;
    right.material = t.AddShowing(1.0f, 1.0f, 0.0f);
    t.AddQuad(right);
    t.Finish().Draw();
    const int side = Pixel(20.0f);
    EXPECT_PIXEL(side, kCentre, 255, 255, 0, 2);
    EXPECT_PIXEL(kCentre, side, 0, 0, 0, 0);

    camera.roll = 90.0f;
    t.scene.Draw();
    EXPECT_PIXEL(side, kCentre, 0, 0, 0, 0);
    EXPECT_PIXEL(kCentre, side, 255, 255, 0, 2);
}

TEST_F(SceneDrawTest, LightColourReachesALitFace) {
    TestScene t(&display);
    t.AddStandardCamera();
    t.AddLight(0, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 5000.0f);
    QuadSpec quad;
    quad.material = t.AddMaterial(0.0f, 0.0f, 0.0f);
    t.AddQuad(quad);
    DrawChecked(t.Finish());
    // The light's colour times the default diffuse 0.8, head on.
    EXPECT_PIXEL(kCentre, kCentre, 0, Byte(0.8f), Byte(0.4f), 3);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT2));
}

TEST_F(SceneDrawTest, LightsNumberedPastSixAndFlareLightsDoNotIlluminate) {
    TestScene t(&display);
    t.AddStandardCamera();
    t.AddLight(7, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 5000.0f);
    t.AddLight(1, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 5000.0f).flare = 1;  // behind the camera: not seen
    QuadSpec quad;
    quad.material = t.AddMaterial(0.0f, 0.0f, 0.0f);
    t.AddQuad(quad);
    t.Finish().Draw();
    EXPECT_PIXEL(kCentre, kCentre, 0, 0, 0, 1);
    for (int i = 0; i < 8; ++i) {
        EXPECT_FALSE(glIsEnabled(static_cast<GLenum>(GL_LIGHT0 + i))) << "light " << i;
    }
}

TEST_F(SceneDrawTest, SceneWithoutLightsIsLitByLightZero) {
    TestScene t(&display);
    t.AddStandardCamera();
    QuadSpec quad;
    quad.material = t.AddMaterial(0.0f, 0.0f, 0.0f);
    t.AddQuad(quad);
    t.Finish().Draw();
    // OpenGL's default light 0: white, from the viewer's side.
    EXPECT_PIXEL(kCentre, kCentre, Byte(0.8f), Byte(0.8f), Byte(0.8f), 3);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
}

TEST_F(SceneDrawTest, LightTrackShorterThanTheFrameHoldsItsLastSample) {
    Light light;
    light.key = LightKey{0, {1.0f, 1.0f, 1.0f, 1.0f}, {9.0f, 9.0f, 9.0f, 0.0f}};
    LightKey track[2] = {LightKey{0, {}, {1.0f, 2.0f, 3.0f, 0.0f}}, LightKey{0, {}, {4.0f, 5.0f, 6.0f, 0.0f}}};
    light.track = track;
    light.sampleCount = 2;
    light.Apply(1);
    EXPECT_EQ(light.key.position[0], 4.0f);
    EXPECT_EQ(light.key.position[3], 1.0f);  // always positional
    light.Apply(500);
    EXPECT_EQ(light.key.position[2], 6.0f);
    light.Apply(-3);
    EXPECT_EQ(light.key.position[0], 1.0f);
    light.Apply(0);
    EXPECT_EQ(light.key.position[1], 2.0f);
}

class FlareTest : public SceneDrawTest {
protected:
    // A flare light at (0, 0, 20) seen by the standard camera: 80 units away
    // it spans about 5.8 pixels either side of the centre.
    Light& AddFlare(TestScene& t) {
        Light& light = t.AddLight(0, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 20.0f);
        light.flare = 1;
        light.flareTexture = QuadrantTexture();
        return light;
    }
    void ExpectQuadrants() {
        EXPECT_PIXEL(kCentre - 3, kCentre - 3, 255, 0, 0, 2);
        EXPECT_PIXEL(kCentre + 3, kCentre - 3, 0, 255, 0, 2);
        EXPECT_PIXEL(kCentre - 3, kCentre + 3, 0, 0, 255, 2);
        EXPECT_PIXEL(kCentre + 3, kCentre + 3, 255, 255, 255, 2);
        EXPECT_PIXEL(kCentre + 8, kCentre + 8, 0, 0, 0, 0);
    }
};

TEST_F(FlareTest, FacesTheViewerWithItsTextureUpright) {
    TestScene t(&display);
    t.AddStandardCamera();
    AddFlare(t);
    t.Finish().Draw();
    ExpectQuadrants();

    // Seen from the side, still facing the viewer and the same size.
    t.cameras[0].key = CameraKey{{80.0f, 0.0f, 20.0f}, {0.0f, 0.0f, 20.0f}, 45.0f, 1};
    DrawChecked(t.scene);
    ExpectQuadrants();
}

TEST_F(FlareTest, AddsToTheImageAndHidesBehindGeometry) {
    TestScene t(&display);
    t.AddStandardCamera();
    AddFlare(t);
    QuadSpec behind;  // at z = 0, behind the flare
    behind.material = t.AddShowing(0.0f, 0.0f, 0.4f);
    t.AddQuad(behind);
    QuadSpec front;  // at z = 50, in front of it, covering the right half
    front.centre[2] = 50.0f;
    front.offset[0] = 10.0f;
    front.half = 10.0f;
    front.material = t.AddShowing(0.3f, 0.3f, 0.3f);
    t.AddQuad(front);
    t.Finish().Draw();
    EXPECT_PIXEL(kCentre - 3, kCentre - 3, 255, 0, Byte(0.4f), 2);
    EXPECT_PIXEL(kCentre - 3, kCentre + 3, 0, 0, 255, 2);
    EXPECT_PIXEL(kCentre + 3, kCentre + 3, Byte(0.3f), Byte(0.3f), Byte(0.3f), 2);
    EXPECT_PIXEL(kCentre + 3, kCentre - 3, Byte(0.3f), Byte(0.3f), Byte(0.3f), 2);
}

TEST_F(FlareTest, KeepsItsTextureAfterATwoMapOrSphereMappedMaterial) {
    TestScene t(&display);
    t.AddStandardCamera();
    AddFlare(t);
    // Off to the side, so the flare draws over the background only.
    QuadSpec twoMaps;
    twoMaps.centre[0] = -35.0f;
    twoMaps.half = 4.0f;
    twoMaps.material = t.AddShowing(1.0f, 1.0f, 1.0f);
    Material& material = t.MaterialAt(twoMaps.material);
    material.props.mapCount = 2;
    material.SetMap(0, LoadedMap(PlainTexture(255, 255, 255)));
    material.SetMap(1, LoadedMap(PlainTexture(128, 128, 128)));
    t.AddQuad(twoMaps);
    t.Finish().Draw();
    ExpectQuadrants();

    material.props.mapCount = 1;
    material.maps[0].sphereMap = 1;
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    t.scene.Draw();
    ExpectQuadrants();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
}

}  // namespace
