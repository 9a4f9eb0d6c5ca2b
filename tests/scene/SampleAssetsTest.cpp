// The sample show's generated assets, read back with the engine's own
// loaders. Runs the MakeSampleAssets tool built next to the player; skipped
// when it has not been built.
#include <gtest/gtest.h>

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "glext/GlExtensions.h"
#include "platform/MessageBox.h"
#include "scene/AseReader.h"
#include "scene/Scene.h"
#include "scene/TextureLoader.h"
#include "tests/support/GlTestContext.h"
#include "tests/support/TempDir.h"

using TestSupport::GlTestContext;
using TestSupport::TempDir;

namespace {

std::string ToolPath() {
    const std::string player = HALVENOR_BINARY;
    return player.substr(0, player.find_last_of('/') + 1) + "MakeSampleAssets";
}

bool ToolBuilt() { return access(ToolPath().c_str(), X_OK) == 0; }

bool RunTool(const std::string& directory) {
    const std::string command = "'" + ToolPath() + "' '" + directory + "' >/dev/null";
    return std::system(command.c_str()) == 0;
}

long FileSize(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

struct Texels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    // Row index counts from texture coordinate t = 0.
    const uint8_t* At(int x, int row) const { return &rgb[(static_cast<size_t>(row) * width + x) * 3]; }
    int Brightest(int x0, int row0, int w, int h) const {
        int best = 0;
        for (int row = row0; row < row0 + h; ++row) {
            for (int x = x0; x < x0 + w; ++x) {
                best = std::max(best, static_cast<int>(*std::max_element(At(x, row), At(x, row) + 3)));
            }
        }
        return best;
    }
};

Texels LoadTexels(const char* name) {
    Texels texels;
    if (LoadTexture(name) == 0) {
        return texels;
    }
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &texels.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &texels.height);
    texels.rgb.resize(static_cast<size_t>(texels.width) * texels.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.rgb.data());
    return texels;
}

class SampleAssetsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (ToolBuilt()) {
            show = new TempDir(false);
            generated = RunTool(show->Path());
        }
    }
    static void TearDownTestSuite() {
        delete show;
        show = nullptr;
    }
    void SetUp() override {
        if (!ToolBuilt()) {
            GTEST_SKIP() << ToolPath() << " is not built";
        }
        ASSERT_TRUE(generated);
        ASSERT_TRUE(GlTestContext::Open());
        char cwd[4096];
        previous = getcwd(cwd, sizeof cwd) != nullptr ? cwd : "/";
        ASSERT_EQ(0, chdir(show->Path().c_str()));
        Platform::ClearMessageBoxes();
    }
    void TearDown() override {
        if (!previous.empty()) {
            EXPECT_EQ(0, chdir(previous.c_str()));
        }
    }

    static TempDir* show;
    static bool generated;
    std::string previous;
};

TempDir* SampleAssetsTest::show = nullptr;
bool SampleAssetsTest::generated = false;

TEST_F(SampleAssetsTest, TexturesLoadAtTheirSizes) {
    struct Expected {
        const char* name;
        int size;
    };
    for (const Expected& e : {Expected{"texturas\\Blue.jpg", 128}, Expected{"texturas\\font.jpg", 256},
                              Expected{"texturas\\consola_fondo.jpg", 128}, Expected{"texturas\\checker.jpg", 256},
                              Expected{"texturas\\marble.tga", 256}, Expected{"texturas\\env.jpg", 256}}) {
        SCOPED_TRACE(e.name);
        const Texels texels = LoadTexels(e.name);
        EXPECT_EQ(e.size, texels.width);
        EXPECT_EQ(e.size, texels.height);
    }
    GLint format = 0;
    LoadTexture("texturas\\marble.tga");
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(GL_RGB, format);
    EXPECT_EQ("", show->Read("error_log.txt"));
}

TEST_F(SampleAssetsTest, FlareGlowsInTheMiddleAndIsBlackAtTheEdges) {
    const Texels flare = LoadTexels("texturas\\Blue.jpg");
    ASSERT_EQ(128, flare.width);
    EXPECT_GT(flare.Brightest(60, 60, 8, 8), 230);
    const uint8_t* middle = flare.At(64, 64);
    EXPECT_GE(middle[2], middle[0]);  // bluish, not yellow
    EXPECT_LT(flare.Brightest(0, 0, 128, 4), 8);
    EXPECT_LT(flare.Brightest(0, 0, 4, 128), 8);
}

// Glyph d is drawn from cell column d % 16, row d / 16 counted from the
// t = 1 edge, with the glyph's foot at the cell's smaller t.
TEST_F(SampleAssetsTest, FontCellsSitWhereTheFontQuadsLook) {
    const Texels font = LoadTexels("texturas\\font.jpg");
    ASSERT_EQ(256, font.width);
    auto cellRow = [](int glyph) { return 256 - 16 * (glyph / 16 + 1); };
    auto cellX = [](int glyph) { return 16 * (glyph % 16); };
    const int space = 0;
    EXPECT_LT(font.Brightest(cellX(space), cellRow(space), 16, 16), 40);
    for (const char c : {'A', 'g', '0'}) {
        SCOPED_TRACE(c);
        const int set0 = c - 32;
        const int set1 = c + 96;
        EXPECT_GT(font.Brightest(cellX(set0), cellRow(set0), 16, 16), 200);
        EXPECT_GT(font.Brightest(cellX(set1), cellRow(set1), 16, 16), 200);
    }
    const int underscore = '_' - 32;
    EXPECT_GT(font.Brightest(cellX(underscore), cellRow(underscore), 16, 4), 200);
    EXPECT_LT(font.Brightest(cellX(underscore), cellRow(underscore) + 6, 16, 10), 40);
    const int caret = '^' - 32;
    EXPECT_GT(font.Brightest(cellX(caret), cellRow(caret) + 10, 16, 6), 200);
    EXPECT_LT(font.Brightest(cellX(caret), cellRow(caret), 16, 6), 40);
    // The pen advances 10 texels: the right of each cell stays dark.
    EXPECT_LT(font.Brightest(cellX('W' - 32) + 10, cellRow('W' - 32), 6, 16), 40);
}

TEST_F(SampleAssetsTest, SceneReadsCompleteAndItsTexturesLoad) {
    EXPECT_LT(FileSize("escena.ase"), 2L * 1024 * 1024);
    Scene scene;
    AseReader reader;
    reader.Read("escena.ase", scene);
    EXPECT_TRUE(Platform::MessageBoxes().empty());
    ASSERT_EQ(4u, scene.ObjectCount());
    ASSERT_EQ(4u, scene.MaterialCount());
    ASSERT_EQ(2u, scene.CameraCount());
    ASSERT_EQ(3u, scene.LightCount());
    EXPECT_EQ(25, scene.GetParams().frameSpeed);

    // Opaque objects first; the translucent box last.
    EXPECT_STREQ("Cristal", scene.objects[3].name);
    EXPECT_NEAR(0.6f, scene.materials[scene.objects[3].materialRef].props.ambient[3], 1e-5f);
    for (uint32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(scene.objects[i].name);
        EXPECT_FLOAT_EQ(1.0f, scene.materials[scene.objects[i].materialRef].props.ambient[3]);
        EXPECT_EQ(scene.objects[i].faceCount, scene.objects[i].texFaceCount);
    }
    EXPECT_EQ(1, scene.materials[2].maps[0].sphereMap);
    EXPECT_EQ(scene.GetParams().lastFrame + 1, static_cast<int>(scene.cameras[0].SampleCount()));
    EXPECT_EQ(0u, scene.cameras[1].SampleCount());
    EXPECT_EQ(0, scene.lights[0].flare);
    EXPECT_EQ(0, scene.lights[1].flare);
    EXPECT_EQ(1, scene.lights[2].flare);

    scene.PrepareTextures();
    for (uint32_t m = 0; m < scene.MaterialCount(); ++m) {
        SCOPED_TRACE(scene.materials[m].props.name);
        EXPECT_EQ(1, scene.materials[m].props.mapCount);
        EXPECT_NE(0u, scene.materials[m].maps[0].texture);
    }
    EXPECT_NE(0u, scene.lights[2].flareTexture);
    EXPECT_EQ(std::string::npos, show->Read("error_log.txt").find("Error"));
    scene.Release();
}

TEST_F(SampleAssetsTest, MusicIsATwentySecondStereoLoop) {
    SF_INFO info{};
    SNDFILE* file = sf_open("musica.flac", SFM_READ, &info);
    if (file == nullptr) {
        file = sf_open("musica.wav", SFM_READ, &info);
    }
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(44100, info.samplerate);
    EXPECT_EQ(2, info.channels);
    EXPECT_NEAR(20.0, static_cast<double>(info.frames) / info.samplerate, 0.01);
    std::vector<short> samples(static_cast<size_t>(info.frames) * 2);
    ASSERT_EQ(info.frames, sf_readf_short(file, samples.data(), info.frames));
    sf_close(file);
    double energy = 0.0;
    int peak = 0;
    for (const short s : samples) {
        energy += static_cast<double>(s) * s;
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    }
    EXPECT_GT(std::sqrt(energy / samples.size()), 1000.0);
    EXPECT_LT(peak, 32000);  // no clipping
}

TEST_F(SampleAssetsTest, TwoRunsWriteTheSameBytes) {
    TempDir again(false);
    ASSERT_TRUE(RunTool(again.Path()));
    const std::string command = "diff -r -x error_log.txt '" + show->Path() + "' '" + again.Path() + "' >/dev/null";
    EXPECT_EQ(0, std::system(command.c_str()));
}

}  // namespace
