// Scene drawing checked by drawing, for the objects and their materials:
// blend modes and opacity, two-sided faces, turning, the default material,
// broken faces and deformation, texture maps, and the textures a scene loads
// for its maps and flares.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "tests/scene/SceneDrawTest.h"
#include "tests/scene/TestScene.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

namespace {

using TestSupport::Byte;
using TestSupport::kCentre;
using TestSupport::LoadedMap;
using TestSupport::MeshData;
using TestSupport::Pixel;
using TestSupport::PlainTexture;
using TestSupport::QuadrantTexture;
using TestSupport::QuadSpec;
using TestSupport::SceneDrawTest;
using TestSupport::TestScene;

struct BlendCase {
    int32_t mode;
    float expected[3];
};

TEST_F(SceneDrawTest, TranslucentMaterialsBlendByTheirMode) {
    // Source S = (0.5, 0.3, 0.2) with alpha 1 (the lit alpha is the default
    // diffuse alpha), destination D = (0.4, 0.6, 0.2).
    const BlendCase cases[] = {
        {0, {0.9f, 0.9f, 0.4f}},    // S + D
        {1, {0.9f, 0.9f, 0.4f}},    // S a + D
        {2, {0.74f, 0.54f, 0.36f}}, // S a + D (1 - D)
        {3, {0.66f, 0.66f, 0.24f}}, // S + D D
        {4, {0.46f, 0.48f, 0.2f}},  // S (1 - D) + D D
        {5, {0.5f, 0.3f, 0.2f}},    // S + D min(a, 1 - destination alpha 1)
        {6, {0.5f, 0.3f, 0.2f}},    // S + D (1 - a)
        {7, {0.4f, 0.36f, 0.08f}},  // S D + D S
        {8, {0.2f, 0.18f, 0.04f}},  // S D
        {9, {0.45f, 0.51f, 0.2f}},  // S S + D (1 - S)
    };
    for (const BlendCase& c : cases) {
        TestScene t(&display);
        t.scene.params.background[0] = 0.4f;
        t.scene.params.background[1] = 0.6f;
        t.scene.params.background[2] = 0.2f;
        t.AddStandardCamera();
        t.AddBlackLight();
        QuadSpec quad;
        quad.material = t.AddShowing(0.5f, 0.3f, 0.2f, 0.5f);
        t.MaterialAt(quad.material).props.blendMode = c.mode;
        t.AddQuad(quad);
        SCOPED_TRACE("blend mode " + std::to_string(c.mode));
        DrawChecked(t.Finish());
        EXPECT_PIXEL(kCentre, kCentre, Byte(c.expected[0]), Byte(c.expected[1]), Byte(c.expected[2]), 3);
        }
}

TEST_F(SceneDrawTest, UnknownBlendModeKeepsTheBlendFunctionInForce) {
    TestScene t(&display);
    t.scene.params.background[1] = 0.6f;
    t.AddStandardCamera();
    t.AddBlackLight();
    QuadSpec quad;
    quad.material = t.AddShowing(0.5f, 0.3f, 0.2f, 0.5f);
    t.MaterialAt(quad.material).props.blendMode = 10;
    t.AddQuad(quad);
    t.Finish();
    glBlendFunc(GL_ZERO, GL_ONE);
    t.scene.Draw();
    EXPECT_PIXEL(kCentre, kCentre, 0, Byte(0.6f), 0, 2);
}

TEST_F(SceneDrawTest, OpacityDecidesBlendingAndDepthWrites) {
    TestScene t(&display);
    t.AddStandardCamera();
    t.AddBlackLight();
    const int32_t opaque = t.AddShowing(0.5f, 0.0f, 0.0f, 1.0f);
    const int32_t translucent = t.AddShowing(0.0f, 0.5f, 0.0f, 0.999f);
    t.MaterialAt(translucent).props.blendMode = 0;
    // Opaque objects first, translucent ones after them, as the scene stores
    // them. The nearer translucent quad comes first and must not hide the
    // farther one.
    QuadSpec far;
    far.material = opaque;
    t.AddQuad(far);
    QuadSpec nearer;
    nearer.centre[2] = 40.0f;
    nearer.half = 10.0f;
    nearer.material = translucent;
    t.AddQuad(nearer);
    QuadSpec middle;
    middle.centre[2] = 20.0f;
    middle.half = 10.0f;
    middle.material = translucent;
    t.AddQuad(middle);
    t.Finish().Draw();
    // 0.5 red + 0.5 green + 0.5 green.
    EXPECT_PIXEL(kCentre, kCentre, Byte(0.5f), 255, 0, 2);
    EXPECT_PIXEL(Pixel(18.0f), kCentre, Byte(0.5f), 0, 0, 2);
}

TEST_F(SceneDrawTest, TwoSidedMaterialsAreNotCulled) {
    TestScene t(&display);
    t.AddStandardCamera();
    t.AddBlackLight();
    QuadSpec away;
    away.facingAway = true;
    away.material = t.AddMaterial(1.0f, 1.0f, 1.0f);
    t.AddQuad(away);
    t.Finish().Draw();
    EXPECT_PIXEL(kCentre, kCentre, 0, 0, 0, 0);

    t.MaterialAt(away.material).props.twoSided = 1;
    t.scene.Draw();
    EXPECT_PIXEL(kCentre, kCentre, 255, 255, 255, 2);
}

TEST_F(SceneDrawTest, ObjectsTurnOnlyWhileTheirSpeedIsPositive) {
    TestScene t(&display);
    t.AddStandardCamera();
    t.AddBlackLight();
    QuadSpec quad;
    quad.offset[0] = 20.0f;  // turning about z by 180 degrees puts it at x = -20
    quad.half = 5.0f;
    quad.material = t.AddShowing(1.0f, 1.0f, 1.0f);
    SceneObject& object = t.AddQuad(quad);
    object.rotationAxis[2] = 1.0f;
    object.rotationAngle = 180.0f;
    t.Finish();
    for (const float speed : {0.0f, -2.0f, 1.0f}) {
        t.objects[0].rotationSpeed = speed;
        t.scene.Draw();
        const bool turned = speed > 0.0f;
        SCOPED_TRACE("speed " + std::to_string(speed));
        EXPECT_PIXEL(Pixel(20.0f), kCentre, turned ? 0 : 255, turned ? 0 : 255, turned ? 0 : 255, 2);
        EXPECT_PIXEL(Pixel(-20.0f), kCentre, turned ? 255 : 0, turned ? 255 : 0, turned ? 255 : 0, 2);
    }
}

// An object whose material index is outside the material array is drawn with
// the default material (opaque, untextured, no emission: black under the
// black light), whatever the drawing before it left, frame after frame.
TEST_F(SceneDrawTest, ObjectsOutsideTheMaterialArrayAreDrawnWithTheDefaultMaterial) {
    TestScene t(&display);
    t.AddStandardCamera();
    t.AddBlackLight();
    const int32_t red = t.AddShowing(1.0f, 0.0f, 0.0f);
    for (float& channel : t.scene.params.background) {
        channel = 1.0f;
    }
    QuadSpec right;
    right.centre[0] = 20.0f;
    right.half = 5.0f;
    right.material = 5;
    t.AddQuad(right);
    QuadSpec middle = right;
    middle.centre[0] = 0.0f;
    middle.material = -1;
    t.AddQuad(middle);
    QuadSpec left = right;
    left.centre[0] = -20.0f;
    left.material = red;
    t.AddQuad(left);
    t.Finish();
    EXPECT_EQ(t.objects[0].material, nullptr);
    EXPECT_EQ(t.objects[2].material, &t.materials[0]);
    // Whatever an earlier drawing left: additive blending, a texture, a glow.
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    const GLfloat glow[4] = {0.0f, 1.0f, 0.0f, 1.0f};
    glMaterialfv(GL_FRONT, GL_EMISSION, glow);
    for (int frame = 0; frame < 2; ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        DrawChecked(t.scene);
        EXPECT_PIXEL(Pixel(20.0f), kCentre, 0, 0, 0, 2);
        EXPECT_PIXEL(kCentre, kCentre, 0, 0, 0, 2);
        EXPECT_PIXEL(Pixel(-20.0f), kCentre, 255, 0, 0, 2);
    }
    // A scene without any material draws its objects with it too.
    TestScene bare(&display);
    bare.AddStandardCamera();
    bare.AddBlackLight();
    bare.AddQuad(middle);
    for (float& channel : bare.scene.params.background) {
        channel = 1.0f;
    }
    bare.Finish();
    glEnable(GL_BLEND);
    glMaterialfv(GL_FRONT, GL_EMISSION, glow);
    DrawChecked(bare.scene);
    EXPECT_PIXEL(kCentre, kCentre, 0, 0, 0, 2);
}

TEST_F(SceneDrawTest, BrokenFacesAreSkippedAndDeformationRunsPerDraw) {
    TestScene t(&display);
    t.AddStandardCamera();
    t.AddBlackLight();
    QuadSpec quad;
    quad.material = t.AddShowing(1.0f, 1.0f, 1.0f);
    SceneObject& object = t.AddQuad(quad);
    object.SetDeformation(DEFORM_PUSH_Z, 10.0, 0.0, 0.0, 0.5);
    MeshData& mesh = t.MeshOf(0);
    mesh.faces[1].b = 99;  // the upper-left triangle is lost
    mesh.faces.push_back(Face{-1, 0, 1, nullptr, nullptr, nullptr, {0.0f, 0.0f, 1.0f}});
    mesh.texFaces.push_back(TexFace{0, 1, 2, nullptr, nullptr, nullptr});
    t.Finish();
    for (int i = 0; i < 3; ++i) {
        t.scene.Draw();
    }
    EXPECT_FLOAT_EQ(t.objects[0].deformTime, 1.5f);
    EXPECT_FLOAT_EQ(mesh.vertices[0].position[2], 10.0f);  // pushed along its normal
    EXPECT_PIXEL(Pixel(10.0f), Pixel(-10.0f), 255, 255, 255, 2);
    EXPECT_PIXEL(Pixel(-10.0f), Pixel(10.0f), 0, 0, 0, 0);

    // Switched off, the shape stays as the last deformation left it.
    t.objects[0].deformFlags = 0;
    t.scene.Draw();
    EXPECT_FLOAT_EQ(t.objects[0].deformTime, 1.5f);
    EXPECT_FLOAT_EQ(mesh.vertices[0].position[2], 10.0f);
}

TEST_F(SceneDrawTest, TexturedLitSceneShowsBothMapsModulated) {
    TestScene t(&display);
    t.scene.params.background[2] = 0.3f;
    t.AddStandardCamera();
    t.AddLight(0, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 5000.0f);
    Light& flare = t.AddLight(1, 1.0f, 1.0f, 1.0f, 25.0f, 25.0f, 30.0f);
    flare.flare = 1;
    flare.flareTexture = PlainTexture(200, 160, 60);
    QuadSpec quad;
    quad.half = 30.0f;
    quad.material = t.AddMaterial(0.0f, 0.0f, 0.0f);
    Material& material = t.MaterialAt(quad.material);
    material.props.mapCount = 2;
    material.SetMap(0, LoadedMap(QuadrantTexture()));
    material.maps[0].uTiling = 2.0f;  // map 0 repeats twice across the quad
    material.maps[0].vTiling = 2.0f;
    material.SetMap(1, LoadedMap(PlainTexture(255, 128, 255)));
    t.AddQuad(quad);
    DrawChecked(t.Finish());
    SaveFrame("textured_lit");
    // Lit 0.8 everywhere, times map 0's texel, times map 1 (1, 0.5, 1).
    // At quad u = 0.125, v = 0.125 map 0 is at 0.25, 0.25: red.
    EXPECT_PIXEL(Pixel(-22.5f), Pixel(-22.5f), Byte(0.8f), 0, 0, 4);
    // u = 0.375: map 0 at 0.75, 0.25: green, halved by map 1.
    EXPECT_PIXEL(Pixel(-7.5f), Pixel(-22.5f), 0, Byte(0.4f), 0, 4);
    // u = 0.375, v = 0.375: white texel.
    EXPECT_PIXEL(Pixel(-7.5f), Pixel(-7.5f), Byte(0.8f), Byte(0.4f), Byte(0.8f), 4);
}

TEST_F(SceneDrawTest, PrepareTexturesLoadsUsedMapsAndOneFlarePicturePerFlareLight) {
    TestSupport::TempDir dir;
    dir.Write("texturas/Blue.jpg", TestSupport::SolidRgbJpeg(4, 4, 200, 200, 200));
    TestScene t(&display);
    Light& first = t.AddLight(0, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f);
    first.flare = 1;
    Light& plain = t.AddLight(1, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f);
    std::snprintf(plain.flareFile, sizeof(plain.flareFile), "%s", "keep.jpg");
    t.AddLight(2, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f).flare = 1;
    const int32_t index = t.AddMaterial(0.0f, 0.0f, 0.0f);
    Material& material = t.MaterialAt(index);
    material.props.mapCount = 1;
    std::snprintf(material.maps[0].file, sizeof(material.maps[0].file), "%s", "texturas\\Blue.jpg");
    std::snprintf(material.maps[1].file, sizeof(material.maps[1].file), "%s", "texturas\\Blue.jpg");
    t.MaterialAt(t.AddMaterial(0.0f, 0.0f, 0.0f)).props.mapCount = 9;  // never past the two slots
    t.Finish().PrepareTextures();

    EXPECT_STREQ(t.lights[0].flareFile, "texturas\\Blue.jpg");
    EXPECT_STREQ(t.lights[2].flareFile, "texturas\\Blue.jpg");
    EXPECT_STREQ(t.lights[1].flareFile, "keep.jpg");
    EXPECT_NE(t.lights[0].flareTexture, 0u);
    EXPECT_NE(t.lights[2].flareTexture, 0u);
    // Both flares name the one picture, so they share its texture.
    EXPECT_EQ(t.lights[0].flareTexture, t.lights[2].flareTexture);
    EXPECT_EQ(t.lights[1].flareTexture, 0u);
    EXPECT_EQ(t.materials[0].maps[0].loaded, 1);
    EXPECT_NE(t.materials[0].maps[0].texture, 0u);
    EXPECT_EQ(t.materials[0].maps[1].loaded, 0);
}

TEST_F(SceneDrawTest, MissingFlarePictureLeavesTextureZero) {
    TestSupport::TempDir dir;
    TestScene t(&display);
    t.AddLight(0, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f).flare = 1;
    t.Finish().PrepareTextures();
    EXPECT_EQ(t.lights[0].flareTexture, 0u);
    EXPECT_STREQ(t.lights[0].flareFile, "texturas\\Blue.jpg");
}

}  // namespace
