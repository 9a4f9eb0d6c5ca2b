// What the scene drawing tests share: a 64 x 64 window with a clean frame
// for each test, where a point of the z = 0 plane lands, pixel checks, and
// small textures made on the spot.
//
// Most scenes are lit by one black light and the tests switch the global
// ambient light off, so that a surface shows exactly its emission.
#ifndef HALVENOR_TESTS_SCENE_SCENEDRAWTEST_H
#define HALVENOR_TESTS_SCENE_SCENEDRAWTEST_H

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/Display.h"
#include "glext/GlExtensions.h"
#include "scene/Scene.h"
#include "tests/scene/TestScene.h"
#include "tests/support/GlTestContext.h"
#include "tests/support/TestDisplay.h"

namespace TestSupport {

constexpr int kSize = 64;
constexpr int kCentre = kSize / 2;
// Half the height seen at 100 units by a 45-degree camera.
const float kHalfView = 100.0f * std::tan(22.5f * static_cast<float>(M_PI) / 180.0f);

inline int Byte(float value) {
    return static_cast<int>(std::lround(std::fmin(1.0f, std::fmax(0.0f, value)) * 255.0f));
}

// Window column (or row) of a point at x (or y) on the z = 0 plane seen by
// the standard camera.
inline int Pixel(float coordinate) {
    return kCentre + static_cast<int>(std::floor(coordinate / kHalfView * kCentre));
}

inline std::string Describe(const Rgba& c) {
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) + ")";
}

#define EXPECT_PIXEL(x, y, r, g, b, tolerance)                                                       \
    do {                                                                                             \
        const TestSupport::Rgba pixel_ = TestSupport::GlTestContext::ReadPixel((x), (y));            \
        EXPECT_TRUE(TestSupport::NearColour(pixel_, (r), (g), (b), (tolerance)))                     \
            << "pixel (" << (x) << ", " << (y) << ") is " << TestSupport::Describe(pixel_)           \
            << ", expected (" << (r) << ", " << (g) << ", " << (b) << ")";                           \
    } while (0)

// A texture of four texels: red, green (bottom row), blue, white (top row).
inline uint32_t QuadrantTexture() {
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

inline uint32_t PlainTexture(uint8_t r, uint8_t g, uint8_t b) {
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
inline TextureMap LoadedMap(uint32_t texture) {
    TextureMap map;
    map.loaded = 1;
    map.texture = texture;
    return map;
}

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

}  // namespace TestSupport

#endif
