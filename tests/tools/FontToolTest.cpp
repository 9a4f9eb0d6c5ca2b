// halvenor-font's sheet read back by the engine's own font code: glyphs of
// both character sets land in the 16 x 26 quad where the console draws them,
// upright and on a common baseline.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/Display.h"
#include "glext/GlExtensions.h"
#include "tests/support/GlTestContext.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDisplay.h"

using TestSupport::GlTestContext;
using TestSupport::RunProgram;
using TestSupport::TempDir;

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kPenX = 8;
constexpr int kPenY = 8;
constexpr int kLit = 100;

// The lit pixels of one character drawn at the pen, as a box in window
// pixels relative to the pen (y up); empty when nothing is lit.
struct Box {
    int left = 1000, right = -1000, bottom = 1000, top = -1000;
    int red = 0, blue = 0;
    bool Empty() const { return right < left; }
};

Box DrawnBox(Display& display, const char* text, int set) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    display.DrawText(kPenX, kPenY, text, set, 1.0f);
    std::vector<uint8_t> pixels(kWidth * kHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    Box box;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* p = &pixels[(y * kWidth + x) * 4];
            if (p[0] > kLit) {
                box.left = std::min(box.left, x - kPenX);
                box.right = std::max(box.right, x - kPenX);
                box.bottom = std::min(box.bottom, y - kPenY);
                box.top = std::max(box.top, y - kPenY);
                box.red = std::max<int>(box.red, p[0]);
                box.blue = std::max<int>(box.blue, p[2]);
            }
        }
    }
    return box;
}

TEST(FontTool, ItsSheetDrawsKnownGlyphsWhereTheConsoleExpectsThem) {
    TempDir dir;
    const auto run = RunProgram(dir.Path(), {std::string(HALVENOR_BINARY_DIR) + "/halvenor-font", "--size", "16",
                                             "texturas/font.jpg"});
    ASSERT_EQ(run.exitCode, 1) << "texturas/ does not exist yet";
    dir.Write("texturas/.keep", "");
    const auto made = RunProgram(dir.Path(), {std::string(HALVENOR_BINARY_DIR) + "/halvenor-font",
                                              "texturas/font.jpg"});
    ASSERT_EQ(made.exitCode, 0) << made.stderrText;

    Display display;
    ASSERT_TRUE(TestSupport::OpenForDisplay(display, kWidth, kHeight));
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    display.InitFont();
    ASSERT_NE(display.fontTexture, 0u);

    // A space draws nothing.
    EXPECT_TRUE(DrawnBox(display, " ", 0).Empty());
    // '|' is a tall thin bar in the middle of the 10-pixel advance, reaching
    // below the baseline and up near the top of the quad.
    const Box bar = DrawnBox(display, "|", 0);
    ASSERT_FALSE(bar.Empty());
    EXPECT_GE(bar.left, 3);
    EXPECT_LE(bar.right, 6);
    EXPECT_GE(bar.top - bar.bottom, 14);
    EXPECT_GE(bar.bottom, 0);
    EXPECT_LE(bar.top, 25);
    // '_' lies low and wide, '^' high: the sheet is upright, not mirrored.
    const Box low = DrawnBox(display, "_", 0);
    const Box high = DrawnBox(display, "^", 0);
    ASSERT_FALSE(low.Empty());
    ASSERT_FALSE(high.Empty());
    EXPECT_GE(low.right - low.left, 6);
    EXPECT_LT(low.top, bar.bottom + 4);
    EXPECT_GT(high.bottom, low.top + 8);
    // Set 0 is white and set 1 amber, with the same glyphs in the same place.
    const Box white = DrawnBox(display, "|", 0);
    const Box amber = DrawnBox(display, "|", 1);
    EXPECT_GT(white.red, 150);
    EXPECT_GT(white.blue * 10, white.red * 9);
    EXPECT_GT(amber.red, 150);
    EXPECT_LT(amber.blue * 10, amber.red * 6);
    EXPECT_EQ(amber.left, white.left);
    EXPECT_EQ(amber.top, white.top);
    display.FreeFont();
}

}  // namespace
