// The developer console drawn into a real window and read back: where the
// history and the input line go, the two panels over the frame, and the
// background's alpha pulse.
#include "fx2d/Console.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "glext/GlExtensions.h"
#include "tests/support/GlTestContext.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

using TestSupport::GlTestContext;
using TestSupport::NearColour;
using TestSupport::Rgba;
using TestSupport::TempDir;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 600;

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(GlTestContext::Open(kWidth, kHeight));
        dir.Write("texturas/font.jpg", TestSupport::MarkerGlyphSheet('#'));
        console.display.width = kWidth;
        console.display.height = kHeight;
        console.display.InitGL();
        console.display.SetRunningState();
        console.display.InitFont();
    }
    void TearDown() override { console.display.FreeFont(); }

    void InitWithBackground(uint8_t grey) {
        dir.Write("texturas/consola_fondo.jpg", TestSupport::SolidRgbJpeg(8, 8, grey, grey, grey));
        console.Init();
    }
    static void Clear(float r, float g, float b) {
        glClearColor(r, g, b, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    static std::vector<Rgba> Frame() {
        std::vector<Rgba> pixels(static_cast<size_t>(kWidth) * kHeight);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    static void Expect(const std::vector<Rgba>& frame, int x, int y, int r, int g, int b) {
        const Rgba& pixel = frame[static_cast<size_t>(y) * kWidth + x];
        EXPECT_TRUE(NearColour(pixel, r, g, b, 10)) << "pixel (" << x << ", " << y << ") is (" << int(pixel.r)
                                                     << ", " << int(pixel.g) << ", " << int(pixel.b)
                                                     << "), expected (" << r << ", " << g << ", " << b << ")";
    }
    // The glyph's foot is exactly at y: its lowest row lit, the row below dark.
    static void ExpectFoot(const std::vector<Rgba>& frame, int x, int y, int channel) {
        const auto level = [&](int row) {
            const Rgba& p = frame[static_cast<size_t>(row) * kWidth + x];
            return channel == 0 ? p.r : p.g;
        };
        EXPECT_GT(level(y), 128) << "x " << x << ", y " << y;
        EXPECT_LT(level(y - 1), 40) << "x " << x << ", y " << y - 1;
    }
    void Type(const std::string& keys) {
        for (const char c : keys) {
            console.text.AppendChar(c);
        }
    }

    TempDir dir;
    Console console;
};

// Line k carries its '#' 2k places after the prompt, so that the glyphs of
// neighbouring lines never share a column.
TEST_F(ConsoleTest, TheNewestLineSitsAtTheFootOfThePanelAndTheInputLineBelowIt) {
    InitWithBackground(0);
    for (int k = 1; k <= 11; ++k) {
        Type(std::string(2 * k, ' ') + "#");
        console.text.Commit();
    }
    ASSERT_EQ(console.text.LineCount(), 10);
    EXPECT_EQ(std::string(console.text.Line(0)), ":     #");  // the first commit is gone
    Type("#");
    Clear(0.0f, 0.0f, 0.0f);
    console.Draw();
    const std::vector<Rgba> frame = Frame();

    // Glyphs are 16 x 26 pixels from their bottom-left corner; the pen
    // advances 10 pixels and starts at x = 2.
    for (int k = 2; k <= 11; ++k) {
        const int x = 2 + 10 * (2 + 2 * k) + 8;
        const int y = kHeight - 200 + 20 * (11 - k);  // 400 for the newest, 580 for the oldest
        Expect(frame, x, y + 2, 255, 0, 0);
        Expect(frame, x, y + 18, 255, 0, 0);
        ExpectFoot(frame, x, y, 0);
        if (y + 28 < kHeight) {
            Expect(frame, x, y + 28, 0, 0, 0);
        }
    }
    // The first line's column stays dark all the way up.
    for (int y = 0; y < kHeight; y += 2) {
        ASSERT_LT(frame[static_cast<size_t>(y) * kWidth + 50].r, 40) << "y " << y;
    }
    // The input line, in character set 1, with its glyphs' foot at 375.
    Expect(frame, 30, 377, 0, 255, 0);
    Expect(frame, 30, 398, 0, 255, 0);
    ExpectFoot(frame, 30, 375, 1);
    Expect(frame, 30, 403, 0, 0, 0);
}

TEST_F(ConsoleTest, ThePanelsDarkenTheTopOfTheFrameAndLeaveTheRest) {
    InitWithBackground(128);
    Clear(0.0f, 0.0f, 1.0f);
    console.Draw();
    const std::vector<Rgba> frame = Frame();
    // Source plus destination times one minus source alpha: the history
    // panel at alpha 0.7 over blue, the input strip at 0.8.
    Expect(frame, kWidth / 2, 500, 90, 90, 166);
    Expect(frame, kWidth - 1, kHeight - 1, 90, 90, 166);
    Expect(frame, 0, 400, 90, 90, 166);
    Expect(frame, kWidth / 2, 385, 102, 102, 153);
    Expect(frame, kWidth - 1, 372, 102, 102, 153);
    // The three rows between the panels and everything below are untouched.
    Expect(frame, kWidth / 2, 398, 0, 0, 255);
    Expect(frame, kWidth / 2, 370, 0, 0, 255);
    Expect(frame, 0, 0, 0, 0, 255);
}

TEST_F(ConsoleTest, TheBackgroundPulsesBetweenItsTwoAlphas) {
    InitWithBackground(0);
    float lowest = 1.0f;
    float highest = 0.0f;
    int turns = 0;
    bool rising = true;
    float previous = console.background.alpha;
    for (int frame = 0; frame < 320; ++frame) {
        console.Draw();
        const float alpha = console.background.alpha;
        lowest = std::min(lowest, alpha);
        highest = std::max(highest, alpha);
        if ((rising && alpha < previous) || (!rising && alpha > previous)) {
            rising = !rising;
            turns += 1;
        }
        previous = alpha;
    }
    EXPECT_GE(lowest, 0.7f - 1e-6f);
    EXPECT_LE(highest, 0.802f + 1e-6f);
    EXPECT_GE(highest, 0.8f);
    // About 100 frames a round trip: up, down, up, down, up.
    EXPECT_GE(turns, 5);
}

}  // namespace
