// The bitmap font: its 256 display lists over the glyph sheet, text drawn in
// both character sets and read back, and the lists freed at shutdown.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Display.h"
#include "glext/GlExtensions.h"
#include "tests/support/GlTestContext.h"
#include "tests/support/TestDisplay.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

using TestSupport::GlTestContext;
using TestSupport::NearColour;
using TestSupport::Rgba;
using TestSupport::TempDir;

namespace {

constexpr int kWidth = 128;
constexpr int kHeight = 64;

// A sheet whose set-0 glyphs (the cell rows nearest the texture's t = 1 edge,
// the last rows of the picture) are red and set-1 glyphs green.
std::string TwoSetSheet() {
    std::vector<uint8_t> rgb(256 * 256 * 3, 0);
    for (int row = 0; row < 256; ++row) {
        for (int x = 0; x < 256; ++x) {
            uint8_t* p = &rgb[(static_cast<size_t>(row) * 256 + x) * 3];
            p[row >= 128 ? 0 : 1] = 255;
        }
    }
    return TestSupport::EncodeJpeg(256, 256, JCS_RGB, 3, rgb);
}

class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TestSupport::OpenForDisplay(display, kWidth, kHeight));
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
    }
    void TearDown() override { display.FreeFont(); }

    static void Clear() {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    static std::vector<uint8_t> Frame() {
        std::vector<uint8_t> pixels(kWidth * kHeight * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    std::vector<uint8_t> Drawn(const char* text, int set) {
        Clear();
        display.DrawText(4, 4, text, set, 1.0f);
        return Frame();
    }
    static void ExpectPixel(int x, int y, int r, int g, int b) {
        const Rgba pixel = GlTestContext::ReadPixel(x, y);
        EXPECT_TRUE(NearColour(pixel, r, g, b, 8)) << "pixel (" << x << ", " << y << ") is (" << int(pixel.r)
                                                    << ", " << int(pixel.g) << ", " << int(pixel.b) << ")";
    }

    TempDir dir;
    Display display;
};

TEST_F(FontTest, SetsZeroAndOneDrawTheirGlyphsAndHigherSetsDrawAsSetOne) {
    dir.Write("texturas/font.jpg", TwoSetSheet());
    display.InitFont();
    ASSERT_NE(display.fontTexture, 0u);
    ASSERT_NE(display.fontListBase, 0u);

    Clear();
    display.DrawText(4, 4, "AB", 0, 1.0f);
    // Glyphs are 16 x 26 pixels and the pen advances 10.
    ExpectPixel(12, 16, 255, 0, 0);
    ExpectPixel(22, 16, 255, 0, 0);
    ExpectPixel(12, 32, 0, 0, 0);
    ExpectPixel(32, 16, 0, 0, 0);

    display.DrawText(4, 34, "A", 1, 0.5f);
    ExpectPixel(12, 46, 0, 128, 0);

    const std::vector<uint8_t> setOne = Drawn("Hola", 1);
    EXPECT_EQ(Drawn("Hola", 5), setOne);
    EXPECT_NE(Drawn("Hola", 0), setOne);

    // What the text leaves for the scenes drawn next.
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(FontTest, CodesBelowThirtyTwoInSetZeroDrawNothing) {
    dir.Write("texturas/font.jpg", TwoSetSheet());
    display.InitFont();
    // A list just below the font's, as another part of the program might own.
    const GLuint stray = display.fontListBase - 24;
    glNewList(stray, GL_COMPILE);
    glBegin(GL_QUADS);
    glVertex2i(0, 0);
    glVertex2i(kWidth, 0);
    glVertex2i(kWidth, kHeight);
    glVertex2i(0, kHeight);
    glEnd();
    glEndList();

    Clear();
    display.DrawText(4, 4, "\x08", 0, 1.0f);
    ExpectPixel(kWidth - 2, kHeight - 2, 0, 0, 0);
    // Left out without moving the pen.
    EXPECT_EQ(Drawn("\x08" "A\x7f" "B", 0), Drawn("A\x7f" "B", 0));
    glDeleteLists(stray, 1);
}

TEST_F(FontTest, AMissingFontImageIsLoggedAndTheListsStillWork) {
    display.InitFont();
    EXPECT_EQ(display.fontTexture, 0u);
    EXPECT_EQ(dir.Read("error_log.txt"), "-> [JPG LOADER] Error cargando la textura [ texturas\\font.jpg ].\n");
    const GLuint base = display.fontListBase;
    ASSERT_NE(base, 0u);
    EXPECT_TRUE(glIsList(base + 255));
    display.DrawText(4, 4, "sin fuente", 1, 1.0f);

    display.FreeFont();
    EXPECT_FALSE(glIsList(base));
    EXPECT_FALSE(glIsList(base + 255));
    EXPECT_EQ(display.fontListBase, 0u);
}

}  // namespace
