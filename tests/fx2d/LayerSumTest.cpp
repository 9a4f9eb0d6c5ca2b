// Summed copies of full-window layers drawn into a real window and read back:
// the one pass must leave the very picture that the same copies drawn pass
// by pass leave, and what it cannot draw must be left to the caller.
#include "fx2d/LayerSum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fx2d/Layer2D.h"
#include "glext/GlExtensions.h"
#include "tests/support/GlTestContext.h"

using TestSupport::GlTestContext;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// A picture of a pixel buffer's kind (RGB with automatic mipmaps): smooth
// ramps with sharp noise over them, so that the filtering between texels
// and the rounding of every copy both show.
GLuint MakeTexture(int size, unsigned seed) {
    std::vector<uint8_t> texels(static_cast<size_t>(size) * size * 3);
    std::srand(seed);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            uint8_t* texel = &texels[(static_cast<size_t>(y) * size + x) * 3];
            texel[0] = static_cast<uint8_t>(x * 255 / size);
            texel[1] = static_cast<uint8_t>(y * 255 / size);
            texel[2] = static_cast<uint8_t>(std::rand() % 256);
        }
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return texture;
}

class LayerSumTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(GlTestContext::OpenFlat(kWidth, kHeight));
        LayerSum::SetEnabled(true);
        for (int i = 0; i < 2; ++i) {
            layers[i].SetUp(Layer2D::kPixelBuffer, "-", kWidth, kHeight);
            layers[i].texture.texture = MakeTexture(i == 0 ? 256 : 64, 7u + static_cast<unsigned>(i));
            layers[i].texture.loaded = 1;
        }
    }
    void TearDown() override {
        LayerSum::SetEnabled(true);
        for (Layer2D& layer : layers) {
            glDeleteTextures(1, &layer.texture.texture);
        }
    }

    // A background that is not black, so that the sum is seen to add to it
    // and to clamp at white.
    static void ClearToBackground() {
        glClearColor(0.3f, 0.1f, 0.7f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    static std::vector<uint8_t> ReadFrame() {
        std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    // The largest difference of any colour channel.
    static int LargestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
        int largest = 0;
        for (size_t i = 0; i < a.size(); ++i) {
            if (i % 4 != 3) {
                largest = std::max(largest, std::abs(int(a[i]) - int(b[i])));
            }
        }
        return largest;
    }

    // The copies one by one, each a blend-mode-0 draw of its layer.
    static void DrawOneByOne(const std::vector<LayerSum::Copy>& copies) {
        for (const LayerSum::Copy& copy : copies) {
            Layer2D& layer = const_cast<Layer2D&>(*copy.layer);
            const Layer2D kept = layer;
            layer.blendMode = 0;
            layer.alpha = copy.alpha;
            layer.scaleX = copy.scale;
            layer.scaleY = copy.scale;
            layer.Draw();
            layer.blendMode = kept.blendMode;
            layer.alpha = kept.alpha;
            layer.scaleX = kept.scaleX;
            layer.scaleY = kept.scaleY;
        }
    }

    // The difference between the summed pass and the passes one by one.
    int SumAgainstPasses(const std::vector<LayerSum::Copy>& copies) {
        ClearToBackground();
        DrawOneByOne(copies);
        const std::vector<uint8_t> passes = ReadFrame();
        ClearToBackground();
        EXPECT_TRUE(LayerSum::Draw(copies.data(), static_cast<int>(copies.size()), kWidth, kHeight));
        return LargestDifference(passes, ReadFrame());
    }

    Layer2D layers[2];
};

TEST_F(LayerSumTest, TheSumIsThePictureOfThePassesOneByOne) {
    if (!LayerSum::IsAvailable()) {
        GTEST_SKIP() << "this driver has no shading language: the passes are drawn one by one";
    }
    // The blur's frame and feedback at half each: the very same picture.
    std::vector<LayerSum::Copy> copies = {{&layers[0], 0.5f, 1.0f}, {&layers[1], 0.5f, 1.0f}};
    EXPECT_EQ(SumAgainstPasses(copies), 0);
    EXPECT_EQ(SumAgainstPasses({{&layers[0], 1.5f, 1.0f}}), 0) << "an alpha beyond 1 draws as 1";
    // A zoomed copy finds its texture coordinates by another float path
    // than a zoomed quad's rasteriser does; where that tips the filter
    // between two texels, a copy may differ by one level.
    EXPECT_LE(SumAgainstPasses({{&layers[1], 0.37f, 1.3f}}), 1);
    // With the seven zoomed feedback copies the picture saturates in places.
    for (float scale = 1.1f; scale < 1.6f; scale += 0.08f) {
        copies.push_back({&layers[1], scale / 10.0f + 0.1f, scale});
    }
    EXPECT_LE(SumAgainstPasses(copies), 2);
}

TEST_F(LayerSumTest, AShrunkenPictureReadsTheSameMipmapLevels) {
    if (!LayerSum::IsAvailable()) {
        GTEST_SKIP() << "this driver has no shading language: the passes are drawn one by one";
    }
    // The feedback buffer's case: the window's projection over a smaller
    // view, which shows the larger picture through its smaller levels.
    glViewport(0, 0, 100, 80);
    EXPECT_EQ(SumAgainstPasses({{&layers[0], 0.5f, 1.0f}, {&layers[1], 0.5f, 1.0f}}), 0);
}


TEST_F(LayerSumTest, WhatOnePassCannotDrawIsLeftToTheCaller) {
    Layer2D third;
    third.SetUp(Layer2D::kPixelBuffer, "-", kWidth, kHeight);
    third.texture.texture = MakeTexture(32, 3u);
    third.texture.loaded = 1;
    Layer2D turning = layers[1];
    turning.rotationSpeed = 2.0f;
    Layer2D small = layers[1];
    small.x1 = kWidth / 2.0f;
    small.centerX = kWidth / 4.0f;
    const std::vector<std::vector<LayerSum::Copy>> refused = {
        {{&layers[0], 0.5f, 1.0f}, {&layers[1], 0.5f, 0.8f}},                            // a smaller copy
        {{&layers[0], 0.5f, 1.0f}, {&layers[1], 0.5f, 1.0f}, {&third, 0.5f, 1.0f}},      // a third texture
        {{&layers[0], 0.5f, 1.0f}, {&layers[1], 0.5f, 1.0f}, {&layers[0], 0.5f, 1.0f}},  // textures interleaved
        {{&layers[0], 0.5f, 1.0f}, {&turning, 0.5f, 1.0f}},                              // a turning layer
        {{&small, 0.5f, 1.0f}},                                                          // not the whole view
    };
    ClearToBackground();
    const std::vector<uint8_t> before = ReadFrame();
    for (const auto& copies : refused) {
        EXPECT_FALSE(LayerSum::Draw(copies.data(), static_cast<int>(copies.size()), kWidth, kHeight));
    }
    LayerSum::SetEnabled(false);
    const LayerSum::Copy plain[] = {{&layers[0], 0.5f, 1.0f}};
    EXPECT_FALSE(LayerSum::Draw(plain, 1, kWidth, kHeight));
    EXPECT_FALSE(LayerSum::IsAvailable());
    EXPECT_EQ(LargestDifference(before, ReadFrame()), 0);
    glDeleteTextures(1, &third.texture.texture);
}

TEST_F(LayerSumTest, TheStateAfterwardsIsThatOfTheLastCopyDrawnByItself) {
    if (!LayerSum::IsAvailable()) {
        GTEST_SKIP() << "this driver has no shading language: the passes are drawn one by one";
    }
    // A scene's second map stays bound on the second unit.
    GLuint secondMap = MakeTexture(8, 5u);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glBindTexture(GL_TEXTURE_2D, secondMap);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    const LayerSum::Copy copies[] = {{&layers[0], 0.5f, 1.0f}, {&layers[1], 0.25f, 1.2f}};
    ASSERT_TRUE(LayerSum::Draw(copies, 2, kWidth, kHeight));
    GLfloat summedView[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, summedView);
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, 0);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), layers[1].texture.texture);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), secondMap);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    glActiveTextureARB(GL_TEXTURE0_ARB);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    // The last copy's zoomed view stays loaded, as after drawing it alone.
    DrawOneByOne({copies[1]});
    GLfloat aloneView[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, aloneView);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(summedView[i], aloneView[i]) << "modelview element " << i;
    }
    glDeleteTextures(1, &secondMap);
}

}  // namespace
