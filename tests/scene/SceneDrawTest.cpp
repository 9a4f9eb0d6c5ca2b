// Scene drawing checked by drawing: small scenes rendered into a real GL
// window and read back pixel by pixel.
//
// Most scenes are lit by one black light and the tests switch the global
// ambient light off, so that a surface shows exactly its emission.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "core/Display.h"
#include "glext/GlExtensions.h"
#include "scene/Scene.h"
#include "tests/support/GlTestContext.h"
#include "tests/support/TestDisplay.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

namespace {

using TestSupport::GlTestContext;
using TestSupport::NearColour;
using TestSupport::Rgba;

constexpr int kSize = 64;
constexpr int kCentre = kSize / 2;
// Half the height seen at 100 units by a 45-degree camera.
const float kHalfView = 100.0f * std::tan(22.5f * static_cast<float>(M_PI) / 180.0f);

int Byte(float value) { return static_cast<int>(std::lround(std::fmin(1.0f, std::fmax(0.0f, value)) * 255.0f)); }

// Window column (or row) of a point at x (or y) on the z = 0 plane seen by
// the standard camera.
int Pixel(float coordinate) { return kCentre + static_cast<int>(std::floor(coordinate / kHalfView * kCentre)); }

std::string Describe(const Rgba& c) {
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) + ")";
}

#define EXPECT_PIXEL(x, y, r, g, b, tolerance)                                                   \
    do {                                                                                         \
        const Rgba pixel_ = GlTestContext::ReadPixel((x), (y));                                  \
        EXPECT_TRUE(NearColour(pixel_, (r), (g), (b), (tolerance)))                              \
            << "pixel (" << (x) << ", " << (y) << ") is " << Describe(pixel_) << ", expected (" \
            << (r) << ", " << (g) << ", " << (b) << ")";                                         \
    } while (0)

// A texture of four texels: red, green (bottom row), blue, white (top row).
uint32_t QuadrantTexture() {
    const uint8_t texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return name;
}

uint32_t PlainTexture(uint8_t r, uint8_t g, uint8_t b) {
    const uint8_t texel[4] = {r, g, b, 255};
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return name;
}

// A map that is already loaded with the given texture.
TextureMap LoadedMap(uint32_t texture) {
    TextureMap map;
    map.loaded = 1;
    map.texture = texture;
    return map;
}

struct MeshData {
    std::vector<Vertex> vertices;
    std::vector<Face> faces;
    std::vector<TexVertex> texVertices;
    std::vector<TexFace> texFaces;
};

struct QuadSpec {
    float centre[3] = {0.0f, 0.0f, 0.0f};  // the object's position
    float offset[2] = {0.0f, 0.0f};        // of the quad's middle from the position
    float half = 20.0f;
    bool facingAway = false;  // wound clockwise as seen from +z
    int32_t material = 0;
};

// A scene built from records the test owns; the scene's created flags stay
// clear, so releasing it leaves these arrays alone.
class TestScene {
public:
    explicit TestScene(Display* display) { scene.display = display; }
    ~TestScene() {
        for (MeshData& mesh : meshes) {
            for (Vertex& vertex : mesh.vertices) {
                delete[] vertex.adjacentNormals;
            }
        }
        for (SceneObject& object : objects) {
            delete[] object.restVertices;
        }
        scene.objects = nullptr;
        scene.materials = nullptr;
        scene.cameras = nullptr;
        scene.lights = nullptr;
    }

    // An opaque material showing the given emission (lit by the black light).
    int32_t AddMaterial(float r, float g, float b, float opacity = 1.0f) {
        Material material;
        material.props.ambient[0] = material.props.ambient[1] = material.props.ambient[2] = 1.0f;
        material.props.ambient[3] = opacity;
        material.props.emission[0] = r;
        material.props.emission[1] = g;
        material.props.emission[2] = b;
        materials.push_back(material);
        return static_cast<int32_t>(materials.size() - 1);
    }
    // A surface showing (r, g, b). Emission reaches the surface only when its
    // red is above 0: a red of 0 is drawn as a red too small to see.
    int32_t AddShowing(float r, float g, float b, float opacity = 1.0f) {
        return AddMaterial(std::fmax(r, 0.001f), g, b, opacity);
    }
    Material& MaterialAt(int32_t index) { return materials[index]; }

    SceneObject& AddQuad(const QuadSpec& spec) {
        meshes.emplace_back();
        MeshData& mesh = meshes.back();
        const float corners[4][2] = {{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}};
        for (const auto& corner : corners) {
            Vertex vertex = DefaultVertex();
            vertex.position[0] = spec.offset[0] + corner[0] * spec.half;
            vertex.position[1] = spec.offset[1] + corner[1] * spec.half;
            mesh.vertices.push_back(vertex);
            mesh.texVertices.push_back(TexVertex{(corner[0] + 1.0f) / 2.0f, (corner[1] + 1.0f) / 2.0f, 0.0f, 0.0f});
        }
        const float nz = spec.facingAway ? -1.0f : 1.0f;
        if (spec.facingAway) {
            mesh.faces.push_back(Face{0, 2, 1, nullptr, nullptr, nullptr, {0.0f, 0.0f, nz}});
            mesh.faces.push_back(Face{0, 3, 2, nullptr, nullptr, nullptr, {0.0f, 0.0f, nz}});
            mesh.texFaces.push_back(TexFace{0, 2, 1, nullptr, nullptr, nullptr});
            mesh.texFaces.push_back(TexFace{0, 3, 2, nullptr, nullptr, nullptr});
        } else {
            mesh.faces.push_back(Face{0, 1, 2, nullptr, nullptr, nullptr, {0.0f, 0.0f, nz}});
            mesh.faces.push_back(Face{0, 2, 3, nullptr, nullptr, nullptr, {0.0f, 0.0f, nz}});
            mesh.texFaces.push_back(TexFace{0, 1, 2, nullptr, nullptr, nullptr});
            mesh.texFaces.push_back(TexFace{0, 2, 3, nullptr, nullptr, nullptr});
        }
        SceneObject object;
        object.materialRef = spec.material;
        for (int axis = 0; axis < 3; ++axis) {
            object.position[axis] = spec.centre[axis];
        }
        objects.push_back(object);
        meshOf.push_back(meshes.size() - 1);
        return objects.back();
    }
    MeshData& MeshOf(size_t objectIndex) { return meshes[meshOf[objectIndex]]; }

    Camera& AddCamera(float ex, float ey, float ez, float tx, float ty, float tz, float fov = 45.0f) {
        Camera camera;
        camera.key = CameraKey{{ex, ey, ez}, {tx, ty, tz}, fov, 1};
        cameras.push_back(camera);
        return cameras.back();
    }
    Camera& AddStandardCamera() { return AddCamera(0.0f, 0.0f, 100.0f, 0.0f, 0.0f, 0.0f); }

    Light& AddLight(int32_t number, float r, float g, float b, float x, float y, float z) {
        Light light;
        light.key = LightKey{number, {r, g, b, 1.0f}, {x, y, z, 1.0f}};
        lights.push_back(light);
        return lights.back();
    }
    Light& AddBlackLight() { return AddLight(0, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1000.0f); }

    // Hands the arrays to the scene and runs the creation steps that need no
    // files: material links, preparation, snapshot.
    Scene& Finish() {
        scene.objects = objects.empty() ? nullptr : objects.data();
        scene.objectCount = static_cast<uint32_t>(objects.size());
        scene.materials = materials.empty() ? nullptr : materials.data();
        scene.materialCount = static_cast<uint32_t>(materials.size());
        scene.cameras = cameras.empty() ? nullptr : cameras.data();
        scene.cameraCount = static_cast<uint32_t>(cameras.size());
        scene.lights = lights.empty() ? nullptr : lights.data();
        scene.lightCount = static_cast<uint32_t>(lights.size());
        for (size_t i = 0; i < objects.size(); ++i) {
            MeshData& mesh = MeshOf(i);
            SceneObject& object = objects[i];
            object.vertices = mesh.vertices.data();
            object.vertexCount = static_cast<uint32_t>(mesh.vertices.size());
            object.faces = mesh.faces.data();
            object.faceCount = static_cast<uint32_t>(mesh.faces.size());
            object.texVertices = mesh.texVertices.data();
            object.texVertexCount = static_cast<uint32_t>(mesh.texVertices.size());
            object.texFaces = mesh.texFaces.data();
            object.texFaceCount = static_cast<uint32_t>(mesh.texFaces.size());
        }
        scene.LinkMaterials();
        for (SceneObject& object : objects) {
            object.Prepare(false);
            object.Snapshot();
        }
        return scene;
    }

    Scene scene;
    std::vector<SceneObject> objects;
    std::vector<Material> materials;
    std::vector<Camera> cameras;
    std::vector<Light> lights;

private:
    std::deque<MeshData> meshes;
    std::vector<size_t> meshOf;
};

class SceneDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TestSupport::OpenWithRunningState(display, kSize, kSize));
        // Each test starts from a clean frame, not from what the last left.
        glDisable(GL_BLEND);
        for (const GLenum unit : {GL_TEXTURE1_ARB, GL_TEXTURE0_ARB}) {
            glActiveTextureARB(unit);
            glDisable(GL_TEXTURE_2D);
            glDisable(GL_TEXTURE_GEN_S);
            glDisable(GL_TEXTURE_GEN_T);
        }
        const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        glMaterialfv(GL_FRONT, GL_EMISSION, none);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    // Draws and checks that drawing raised no OpenGL error (reading pixels
    // back may raise its own, so earlier errors are dropped first).
    void DrawChecked(Scene& scene) {
        while (glGetError() != GL_NO_ERROR) {
        }
        scene.Draw();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    void SaveFrame(const char* name) {
        const char* directory = std::getenv("HALVENOR_FRAME_DIR");
        if (directory != nullptr) {
            GlTestContext::SaveFrame(std::string(directory) + "/" + name + ".ppm");
        }
    }

    Display display;
};

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
