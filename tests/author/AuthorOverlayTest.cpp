// The author overlay drawn into a 640 x 480 window over a frame of one known
// colour: light text on a dark panel in the top-left corner, the rest of the
// frame untouched, and the frame's OpenGL state as it was.
#include "author/AuthorOverlay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "glext/GlExtensions.h"
#include "tests/support/CaptureRun.h"
#include "tests/support/GlTestContext.h"
#include "tests/support/TempDir.h"

using TestSupport::GlTestContext;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kRed = 40, kGreen = 110, kBlue = 170;

AuthorOverlayInfo BusyInfo() {
    AuthorOverlayInfo info;
    info.status.time = 754.321;
    info.status.paused = true;
    info.status.speed = 0.25;
    info.status.loopSet = true;
    info.status.loopStart = 750.0;
    info.status.loopEnd = 760.5;
    info.status.fps = 59.9;
    info.status.findings = 2;
    info.frameMs = 16.7;
    info.scene = "tunnel";
    info.camera = 1;
    info.musicPosition = "12:40";
    for (int i = 0; i < 5; ++i) {
        info.events.push_back({120 + i, "LAYER FADE fondo" + std::to_string(i) + " 0.0 1.0 2000"});
    }
    info.findings.push_back("guion.txt:57: error: la capa 'humo' no existe, y esta linea es tan larga que "
                            "no cabe en la ventana de ninguna manera");
    return info;
}

// The frame from the top row down, as the window shows it.
TestSupport::Picture ReadFrame() {
    TestSupport::Picture picture;
    picture.width = kWidth;
    picture.height = kHeight;
    std::vector<uint8_t> rows(static_cast<size_t>(kWidth) * kHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    picture.rgb.resize(rows.size());
    for (int y = 0; y < kHeight; ++y) {
        std::copy_n(rows.begin() + (kHeight - 1 - y) * kWidth * 3, kWidth * 3, picture.rgb.begin() + y * kWidth * 3);
    }
    return picture;
}

class AuthorOverlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(GlTestContext::Open(kWidth, kHeight));
        glClearColor(kRed / 255.0f, kGreen / 255.0f, kBlue / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    void TearDown() override { overlay.Release(); }

    AuthorOverlay overlay;
};

}  // namespace

TEST_F(AuthorOverlayTest, TextIsLightOnADarkPanelAndTheRestOfTheFrameStays) {
    std::string error;
    ASSERT_TRUE(overlay.Init("", &error)) << error;
    overlay.Draw(BusyInfo(), kWidth, kHeight);
    const TestSupport::Picture frame = ReadFrame();
    if (const char* directory = std::getenv("HALVENOR_FRAME_DIR")) {
        TestSupport::WritePng(std::string(directory) + "/author_overlay.png", frame);
    }

    int light = 0, warning = 0, dark = 0, bottom = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* p = &frame.rgb[static_cast<size_t>(y * kWidth + x) * 3];
            const bool untouched = p[0] == kRed && p[1] == kGreen && p[2] == kBlue;
            if (untouched) {
                continue;
            }
            bottom = std::max(bottom, y);
            light += p[0] > 200 && p[1] > 200 && p[2] > 200;
            warning += p[0] > 200 && p[1] > 120 && p[1] < 200 && p[2] < 110;
            dark += p[0] < kRed && p[1] < kGreen / 2 && p[2] < kBlue / 2;
        }
    }
    EXPECT_GT(light, 400);
    EXPECT_GT(warning, 100);
    EXPECT_GT(dark, 20000);
    // The panel holds the corner: darkened right at it, ending well above
    // the bottom, the long finding wrapped onto a second line.
    const uint8_t* corner = &frame.rgb[0];
    EXPECT_LT(corner[2], kBlue / 2);
    EXPECT_LT(bottom, kHeight / 2);
    EXPECT_GT(bottom, 100);
}

TEST_F(AuthorOverlayTest, ALongFindingGoesOnBelowRatherThanLosingItsEnd) {
    std::string error;
    ASSERT_TRUE(overlay.Init("", &error)) << error;
    // The lowest row the overlay drew on, and the lowest of its warning text.
    const auto reach = [](const TestSupport::Picture& frame, bool warning) {
        int lowest = -1;
        for (size_t i = 0; i + 2 < frame.rgb.size(); i += 3) {
            const uint8_t* p = &frame.rgb[i];
            const bool drawn = p[0] != kRed || p[1] != kGreen || p[2] != kBlue;
            if (drawn && (!warning || (p[0] > 200 && p[1] > 120 && p[1] < 200 && p[2] < 110))) {
                lowest = static_cast<int>(i / 3 / kWidth);
            }
        }
        return lowest;
    };
    AuthorOverlayInfo info = BusyInfo();
    info.findings = {"guion.txt:57: error: la capa 'humo' no existe"};
    overlay.Draw(info, kWidth, kHeight);
    const int oneRow = reach(ReadFrame(), false);
    glClear(GL_COLOR_BUFFER_BIT);
    // About two and a half window widths of text: three rows of 13-pixel text.
    info.findings[0] += ", y esta linea es tan larga que no cabe en la ventana de ninguna manera, ni aunque la"
                        " ventana fuera el doble de ancha, ni el triple: hay que partirla en varias filas";
    overlay.Draw(info, kWidth, kHeight);
    const TestSupport::Picture frame = ReadFrame();
    EXPECT_GE(reach(frame, false) - oneRow, 2 * 13);
    EXPECT_GT(reach(frame, true), oneRow + 13) << "the finding's end is drawn on the last row";
}

TEST_F(AuthorOverlayTest, DrawingLeavesTheFramesStateAsItWas) {
    std::string error;
    ASSERT_TRUE(overlay.Init("", &error)) << error;
    // A frame's state in mid-show: depth test and culling on, a perspective,
    // a moved camera, a texture on each of two units (the second one black), the second unit active.
    GLuint textures[2];
    glGenTextures(2, textures);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(70.0, 4.0 / 3.0, 1.0, 30000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1.0f, 2.0f, -30.0f);
    glRotatef(30.0f, 0.0f, 1.0f, 0.0f);
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textures[1]);
    const uint8_t black[4] = {0, 0, 0, 255};
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, black);
    glColor4f(0.2f, 0.3f, 0.4f, 0.5f);

    GLdouble modelview[16], projection[16], after[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    overlay.Draw(BusyInfo(), kWidth, kHeight);

    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    GLint value = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &value);
    EXPECT_EQ(value, GL_TEXTURE1_ARB);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(static_cast<GLuint>(value), textures[1]);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[2], 0.4f);
    glGetDoublev(GL_MODELVIEW_MATRIX, after);
    EXPECT_TRUE(std::equal(after, after + 16, modelview));
    glGetDoublev(GL_PROJECTION_MATRIX, after);
    EXPECT_TRUE(std::equal(after, after + 16, projection));
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(static_cast<GLuint>(value), textures[0]);

    // The second unit's texture did not tint the text: it still reads light.
    const TestSupport::Picture frame = ReadFrame();
    int light = 0;
    for (size_t i = 0; i + 2 < frame.rgb.size(); i += 3) {
        light += frame.rgb[i] > 200 && frame.rgb[i + 1] > 200 && frame.rgb[i + 2] > 200;
    }
    EXPECT_GT(light, 400);
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glDeleteTextures(2, textures);
}

TEST_F(AuthorOverlayTest, AFontThatCannotBeReadIsACleanRefusal) {
    TestSupport::TempDir dir;
    dir.Write("not_a_font.ttf", std::string(4096, 'x'));
    for (const std::string& file : {dir.File("missing.ttf"), dir.File("not_a_font.ttf")}) {
        std::string error;
        EXPECT_FALSE(overlay.Init(file, &error));
        EXPECT_NE(error.find(file), std::string::npos) << error;
    }
    // Nothing to draw with: the frame stays as it was.
    overlay.Draw(BusyInfo(), kWidth, kHeight);
    const TestSupport::Rgba corner = GlTestContext::ReadPixel(0, kHeight - 1);
    EXPECT_TRUE(TestSupport::NearColour(corner, kRed, kGreen, kBlue, 0));
}
