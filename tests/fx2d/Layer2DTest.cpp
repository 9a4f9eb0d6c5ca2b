// 2D layers drawn into a real window and read back: type geometry, blend
// arithmetic, and the animation program ticking on a clock the tests move.
#include "fx2d/Layer2D.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "glext/GlExtensions.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "tests/support/GlTestContext.h"

using TestSupport::GlTestContext;
using TestSupport::NearColour;
using TestSupport::Rgba;

namespace {

// The layers' timers read the platform's virtual clock, which moves only here.
void AdvanceMs(double milliseconds) {
    Platform::SetVirtualTimeNs(Platform::VirtualTimeNs() + static_cast<int64_t>(milliseconds * 1000000.0));
}

constexpr int kWidth = 640;
constexpr int kHeight = 480;

class Layer2DTest : public ::testing::Test {
protected:
    void SetUp() override {
        Platform::UseVirtualClock(true);
        ASSERT_TRUE(GlTestContext::Open(kWidth, kHeight));
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluOrtho2D(0.0, kWidth, 0.0, kHeight);
        glMatrixMode(GL_MODELVIEW);
        // No texture: an incomplete one leaves the layer in its colour, so
        // the picture shows alpha directly.
        glBindTexture(GL_TEXTURE_2D, 0);
        Clear(0.0f, 0.0f, 0.0f);
    }
    void TearDown() override { Platform::UseVirtualClock(false); }

    static void Clear(float r, float g, float b) {
        glClearColor(r, g, b, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    static void ExpectPixel(int x, int y, int r, int g, int b) {
        const Rgba pixel = GlTestContext::ReadPixel(x, y);
        EXPECT_TRUE(NearColour(pixel, r, g, b, 2)) << "pixel (" << x << ", " << y << ") is (" << int(pixel.r)
                                                   << ", " << int(pixel.g) << ", " << int(pixel.b) << "), expected ("
                                                   << r << ", " << g << ", " << b << ")";
    }

    static int Grey(int x, int y) { return GlTestContext::ReadPixel(x, y).r; }
};

TEST_F(Layer2DTest, ABackgroundCoversTheWholeWindowWithBlendingOff) {
    Layer2D layer;
    layer.SetUp(Layer2D::kBackground, "-", kWidth, kHeight);
    EXPECT_FLOAT_EQ(layer.x0, 0.0f);
    EXPECT_FLOAT_EQ(layer.y0, 0.0f);
    EXPECT_FLOAT_EQ(layer.x1, 641.0f);
    EXPECT_FLOAT_EQ(layer.y1, 481.0f);
    layer.alpha = 0.6f;
    Clear(1.0f, 0.0f, 0.0f);
    layer.Draw();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    for (const auto& [x, y] : {std::pair{0, 0}, {kWidth - 1, kHeight - 1}, {0, kHeight - 1}, {kWidth - 1, 0}}) {
        ExpectPixel(x, y, 153, 153, 153);
    }
}

TEST_F(Layer2DTest, ABoardSitsInTheUpperLeftAboutItsPivot) {
    Layer2D layer;
    layer.SetUp(Layer2D::kBoard, "-", kWidth, kHeight);
    EXPECT_FLOAT_EQ(layer.centerX, 276.0f);
    EXPECT_FLOAT_EQ(layer.centerY, 266.0f);
    EXPECT_EQ(layer.blendMode, 0);
    layer.Draw();
    ExpectPixel(20, 202, 255, 255, 255);
    ExpectPixel(531, 329, 255, 255, 255);
    ExpectPixel(19, 250, 0, 0, 0);
    ExpectPixel(532, 250, 0, 0, 0);
    ExpectPixel(100, 201, 0, 0, 0);
    ExpectPixel(100, 330, 0, 0, 0);

    // Scale and rotation turn about the pivot.
    Clear(0.0f, 0.0f, 0.0f);
    layer.scaleX = 2.0f;
    layer.scaleY = 2.0f;
    layer.Draw();
    ExpectPixel(276 - 510, 266, 0, 0, 0);
    ExpectPixel(30, 140, 255, 255, 255);
    ExpectPixel(780, 390, 0, 0, 0);
    Clear(0.0f, 0.0f, 0.0f);
    layer.scaleX = 1.0f;
    layer.scaleY = 1.0f;
    layer.rotationSpeed = 90.0f;
    layer.Draw();
    ExpectPixel(276, 266 + 200, 255, 255, 255);
    ExpectPixel(100, 266, 0, 0, 0);
}

// Source colour (a, a, a, a) over destination (r, g, b, 1), for every mode.
TEST_F(Layer2DTest, EveryBlendModeHasItsArithmetic) {
    const float a = 0.5f;
    const float d[3] = {0.8f, 0.4f, 0.2f};
    const float dstAlpha = 1.0f;  // cleared to 1, or no alpha stored at all
    const float saturate = std::fmin(a, 1.0f - dstAlpha);
    // Per mode: result channel from the destination channel.
    auto expected = [&](int mode, float dc) -> float {
        switch (mode) {
            case 0: return a + dc;
            case 1: return a * a + dc;
            case 2: return a * a + dc * (1.0f - dc);
            case 3: return a + dc * dc;
            case 4: return a * (1.0f - dc) + dc * dc;
            case 5: return a + dc * saturate;
            case 6: return a + dc * (1.0f - a);
            case 7: return dc * a + dc * a;
            case 8: return dc * a;
            case 9: return a * a + dc * (1.0f - a);
            default: return a * saturate;
        }
    };
    Layer2D layer;
    layer.SetUp(Layer2D::kBackground, "-", kWidth, kHeight);
    layer.alpha = a;
    for (int mode = 0; mode <= 10; ++mode) {
        Clear(d[0], d[1], d[2]);
        glBlendFunc(GL_ONE, GL_ZERO);
        layer.blendMode = static_cast<int8_t>(mode);
        layer.Draw();
        const bool rejected = glGetError() != GL_NO_ERROR;
        const Rgba pixel = GlTestContext::ReadPixel(kWidth / 2, kHeight / 2);
        const uint8_t got[3] = {pixel.r, pixel.g, pixel.b};
        for (int c = 0; c < 3; ++c) {
            // A driver that rejects a factor keeps the previous (ONE, ZERO).
            const float want = std::fmin(1.0f, (mode == 5 && rejected) ? a : expected(mode, d[c]));
            EXPECT_NEAR(got[c], want * 255.0f, 2.5f) << "mode " << mode << " channel " << c;
        }
    }
}

TEST_F(Layer2DTest, TicksComeFromTheLayersOwnTimer) {
    Layer2D every;
    every.SetUp(Layer2D::kBackground, "-", kWidth, kHeight);
    every.AddFadeStep(0.0f, 1.0f, 100.0f);
    for (int frame = 0; frame < 5; ++frame) {
        every.Animate();
    }
    EXPECT_NEAR(every.alpha, 0.05f, 1e-5f) << "interval 0: one tick per call";

    Layer2D paced;
    paced.SetUp(Layer2D::kBackground, "-", kWidth, kHeight);
    paced.AddFadeStep(0.0f, 1.0f, 100.0f);
    paced.SetTickInterval(40.0f);
    paced.Animate();
    EXPECT_FLOAT_EQ(paced.alpha, 0.0f);
    AdvanceMs(39.0);
    paced.Animate();
    EXPECT_FLOAT_EQ(paced.alpha, 0.0f);
    AdvanceMs(1.0);
    for (int frame = 0; frame < 10; ++frame) {
        paced.Animate();
    }
    EXPECT_NEAR(paced.alpha, 0.01f, 1e-5f) << "at most one tick per 40 ms, however many frames";
    AdvanceMs(45.0);
    paced.Animate();
    EXPECT_NEAR(paced.alpha, 0.02f, 1e-5f);
}

TEST_F(Layer2DTest, FadeThenFadeAndTheLayerIsNoLongerDrawnAfterItsLastStep) {
    Layer2D layer;
    layer.SetUp(Layer2D::kBackground, "-", kWidth, kHeight);
    layer.AddFadeStep(0.0f, 1.0f, 10.0f);
    layer.AddFadeStep(1.0f, 0.0f, 10.0f);
    std::vector<float> alphas;
    for (int frame = 0; frame < 21; ++frame) {
        layer.Animate();
        alphas.push_back(layer.alpha);
    }
    EXPECT_NEAR(alphas[0], 0.1f, 1e-5f);
    EXPECT_NEAR(alphas[9], 1.0f, 1e-5f);
    EXPECT_NEAR(alphas[10], 1.0f, 1e-5f) << "one tick enters the second step";
    EXPECT_NEAR(alphas[11], 0.9f, 1e-5f);
    EXPECT_NEAR(alphas[20], 0.0f, 1e-5f);
    EXPECT_EQ(Grey(5, 5), 0);

    // Still drawn at the step's end (alpha 0.5 shows it), then never again.
    layer.ResetAnimation();
    EXPECT_FLOAT_EQ(layer.alpha, 0.0f);
    for (int frame = 0; frame < 21; ++frame) {
        layer.Animate();
    }
    layer.alpha = 0.5f;
    Clear(0.0f, 0.0f, 0.0f);
    layer.Animate();
    EXPECT_EQ(Grey(5, 5), 0) << "the program has run out";
    layer.ResetAnimation();
    layer.Animate();
    EXPECT_NEAR(Grey(5, 5), 0.1f * 255.0f, 2.0f) << "drawn again after a reset";
}

TEST_F(Layer2DTest, MoveStepsTakeTheirDeltasFromTheConfiguredPosition) {
    Layer2D layer;
    layer.SetUp(Layer2D::kBoard, "-", kWidth, kHeight);
    layer.MoveTo(0.0f, 400.0f);
    layer.AddMoveStep(100.0f, 400.0f, 10.0f);
    layer.AddMoveStep(300.0f, 300.0f, 10.0f);
    for (int frame = 0; frame < 10; ++frame) {
        layer.Animate();
    }
    EXPECT_NEAR(layer.x0, 100.0f, 1e-3f);
    layer.Animate();  // enters the second step
    for (int frame = 0; frame < 10; ++frame) {
        layer.Animate();
    }
    // The second step moves by its own target less the configured position.
    EXPECT_NEAR(layer.x0, 400.0f, 1e-3f);
    EXPECT_NEAR(layer.y1, 300.0f, 1e-3f);
    EXPECT_NEAR(layer.centerX, 400.0f + 256.0f, 1e-3f);
}

TEST_F(Layer2DTest, AScrollingLayerScrollsAndIsDrawnForEver) {
    Layer2D layer;
    layer.SetUp(Layer2D::kBackground, "-", kWidth, kHeight);
    layer.alpha = 0.5f;
    layer.SetMapScroll(0.25f);
    ASSERT_TRUE(layer.IsAnimated());
    for (int frame = 0; frame < 1000; ++frame) {
        layer.Animate();
    }
    EXPECT_FLOAT_EQ(layer.texCoords[0][0], 250.0f);
    EXPECT_FLOAT_EQ(layer.texCoords[0][1], 1.0f);
    EXPECT_NEAR(Grey(5, 5), 128, 2);
}

TEST_F(Layer2DTest, StepsBeyondThirtyAndLongNamesAreRefused) {
    Layer2D layer;
    for (int step = 0; step < Layer2D::kMaxSteps; ++step) {
        EXPECT_TRUE(layer.AddMoveStep(1.0f, 1.0f, 1.0f));
        EXPECT_TRUE(layer.AddFadeStep(0.0f, 1.0f, 1.0f));
    }
    EXPECT_FALSE(layer.AddMoveStep(1.0f, 1.0f, 1.0f));
    EXPECT_FALSE(layer.AddFadeStep(0.0f, 1.0f, 1.0f));
    EXPECT_EQ(layer.moveStepCount, 30u);
    const std::string longName(400, 'n');
    layer.SetName(longName.c_str());
    EXPECT_EQ(std::string(layer.Name()), longName.substr(0, Layer2D::kNameSize - 1));

    // A shake whose whole part is 0 is no shake.
    layer.SetUp(Layer2D::kBackground, "-", kWidth, kHeight);
    layer.shakeAmplitude = 0.5f;
    layer.Draw();
    ExpectPixel(0, 0, 255, 255, 255);
}

// A show run up without drawing must reach the state drawing reaches: the
// spin, growth, shake (and its random numbers) and animation ticks of a
// layer move the same whether it is drawn or only advanced.
TEST_F(Layer2DTest, AdvancingWithoutDrawingMovesTheLayerAsDrawingDoes) {
    Layer2D layers[2];
    for (Layer2D& layer : layers) {
        layer.SetUp(Layer2D::kBoard, "-", kWidth, kHeight);
        layer.AddFadeStep(0.0f, 1.0f, 7.0f);
        layer.AddMoveStep(40.0f, 30.0f, 5.0f);
        layer.rotationSpeed = 3.0f;
        layer.scaleSpeed = 0.01f;
        layer.shakeAmplitude = 6.0f;
        layer.SetVisible(true);
    }
    uint32_t randAfter[2] = {0, 0};
    for (int which = 0; which < 2; ++which) {
        Platform::SeedRand(7);
        for (int frame = 0; frame < 12; ++frame) {
            layers[which].Animate(which == 0);
        }
        randAfter[which] = Platform::RandState();
    }
    EXPECT_NE(randAfter[0], 7u) << "the shake drew random numbers";
    EXPECT_EQ(randAfter[0], randAfter[1]);
    EXPECT_FLOAT_EQ(layers[0].angle, layers[1].angle);
    EXPECT_FLOAT_EQ(layers[0].scaleX, layers[1].scaleX);
    EXPECT_FLOAT_EQ(layers[0].alpha, layers[1].alpha);
    EXPECT_FLOAT_EQ(layers[0].x0, layers[1].x0);
    EXPECT_EQ(layers[0].fadeStepIndex, layers[1].fadeStepIndex);
}

}  // namespace
