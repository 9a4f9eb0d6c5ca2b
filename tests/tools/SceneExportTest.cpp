// The SceneExport tool run on a real export in a show directory: its exit
// status and messages, the gathered textures, and a binary scene that draws
// the same picture as the ASE scene it came from.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/Display.h"
#include "core/Engine.h"
#include "glext/GlExtensions.h"
#include "scene/Scene.h"
#include "tests/support/GlTestContext.h"
#include "tests/support/TestDisplay.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

using TestSupport::GlTestContext;
using TestSupport::TempDir;

namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

std::string ToolPath() {
    const std::string player = HALVENOR_BINARY;
    return player.substr(0, player.find_last_of('/') + 1) + "SceneExport";
}

// Runs the tool in the directory with the given arguments.
ToolRun RunTool(const TempDir& dir, const std::string& arguments) {
    const std::string command = "cd '" + dir.Path() + "' && '" + ToolPath() + "' " + arguments +
                                " >tool.out 2>tool.err";
    const int raw = std::system(command.c_str());
    ToolRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, dir.Read("tool.out"), dir.Read("tool.err")};
    std::remove(dir.File("tool.out").c_str());
    std::remove(dir.File("tool.err").c_str());
    return run;
}

std::string RealExport() {
    std::ifstream in(std::string(HALVENOR_SOURCE_DIR) + "/tests/scene/data/realistic.ase", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// An uncompressed 24-bit TGA of one colour.
std::string SolidTga(int size, uint8_t r, uint8_t g, uint8_t b) {
    std::string tga(18, '\0');
    tga[2] = 2;
    tga[12] = static_cast<char>(size);
    tga[14] = static_cast<char>(size);
    tga[16] = 24;
    for (int i = 0; i < size * size; ++i) {
        tga += static_cast<char>(b);
        tga += static_cast<char>(g);
        tga += static_cast<char>(r);
    }
    return tga;
}

// The real export with the three textures it names, one of them on the
// modeller's drive.
void WriteShow(const TempDir& dir) {
    dir.Write("sala.ase", RealExport());
    dir.Write("C:/3dsmax/maps/suelo.jpg", TestSupport::SolidRgbJpeg(8, 8, 200, 120, 40));
    dir.Write("texturas/cristal.tga", SolidTga(4, 40, 90, 220));
    dir.Write("texturas/entorno.jpg", TestSupport::SolidRgbJpeg(8, 8, 250, 250, 250));
}

TEST(SceneExport, WritesARealExportAndGathersItsTextures) {
    TempDir dir(false);
    WriteShow(dir);
    const ToolRun run = RunTool(dir, "sala.ase sala.bin --gather-textures");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "SceneExport: sala.ase -> sala.bin: 4 objects, 3 materials, 2 cameras, 3 lights\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(dir.Read("sala.bin.TXT"),
              "Copiando C:\\3dsmax\\maps\\suelo.jpg -> texturas\\suelo.jpg ...OK\n"
              "Copiando texturas\\cristal.tga -> texturas\\cristal.tga ...OK\n"
              "Copiando texturas\\entorno.jpg -> texturas\\entorno.jpg ...OK\n");
    EXPECT_EQ(dir.Read("texturas/suelo.jpg"), dir.Read("C:/3dsmax/maps/suelo.jpg"));
    EXPECT_EQ(dir.Read("texturas/cristal.tga"), SolidTga(4, 40, 90, 220));
    EXPECT_LT(dir.Read("sala.bin").size(), dir.Read("sala.ase").size());
    EXPECT_NE(dir.Read("error_log.txt").find("FINALIZADA LA CARGA DEL FICHERO ASE"), std::string::npos);
}

TEST(SceneExport, ExplainsItsUseAndFailsClearly) {
    TempDir dir(false);
    ToolRun run = RunTool(dir, "--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("usage: SceneExport IN.ase OUT.bin [--gather-textures]\n", 0), 0u) << run.out;

    run = RunTool(dir, "");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("usage: SceneExport"), std::string::npos);
    run = RunTool(dir, "a.ase b.bin --fast");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("unknown option --fast"), std::string::npos);

    run = RunTool(dir, "falta.ase sala.bin");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot read falta.ase"), std::string::npos) << run.err;
    EXPECT_FALSE(dir.Exists("sala.bin"));

    WriteShow(dir);
    run = RunTool(dir, "sala.ase no/hay/sala.bin");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("could not write no/hay/sala.bin"), std::string::npos) << run.err;
    run = RunTool(dir, "sala.ase /dev/full");
    EXPECT_EQ(run.status, 1);

    // The two names swapped: the ASE file is left alone.
    ASSERT_EQ(RunTool(dir, "sala.ase sala.bin").status, 0);
    run = RunTool(dir, "sala.bin sala.ase");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("sala.bin holds no scene"), std::string::npos) << run.err;
    EXPECT_EQ(dir.Read("sala.ase"), RealExport());

    // A texture that is not there: the scene is written, the status says so.
    std::remove(dir.File("texturas/entorno.jpg").c_str());
    run = RunTool(dir, "sala.ase sala.bin --gather-textures");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("1 texture(s) could not be copied"), std::string::npos) << run.err;
    EXPECT_TRUE(dir.Exists("sala.bin"));
}

// Every pixel of the test window, as RGB.
std::vector<uint8_t> Frame() {
    std::vector<uint8_t> pixels(static_cast<size_t>(GlTestContext::Width()) * GlTestContext::Height() * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, GlTestContext::Width(), GlTestContext::Height(), GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

size_t DistinctColours(const std::vector<uint8_t>& pixels) {
    std::set<uint32_t> colours;
    for (size_t i = 0; i + 2 < pixels.size(); i += 3) {
        colours.insert(uint32_t(pixels[i]) << 16 | uint32_t(pixels[i + 1]) << 8 | pixels[i + 2]);
    }
    return colours.size();
}

TEST(SceneExport, TheBinarySceneDrawsTheSamePictureAsTheAseScene) {
    TempDir dir(false);
    WriteShow(dir);
    ASSERT_EQ(RunTool(dir, "sala.ase sala.bin").status, 0);
    TempDir enter;  // the engine reads texture names relative to the show
    ASSERT_EQ(0, chdir(dir.Path().c_str()));
    Display display;
    ASSERT_TRUE(TestSupport::OpenWithRunningState(display, 96, 72));
    Engine engine;
    engine.display = &display;
    engine.LoadSceneAse("sala.ase", "Ase");
    engine.LoadSceneBin("sala.bin", "Bin");
    Scene& fromAse = *engine.FindScene("Ase");
    Scene& fromBin = *engine.FindScene("Bin");
    for (const uint32_t camera : {0u, 1u}) {
        for (const float frame : {0.0f, 3.0f}) {
            SCOPED_TRACE("camera " + std::to_string(camera) + " frame " + std::to_string(frame));
            fromAse.SelectCamera(camera);
            fromAse.currentFrame = frame;
            fromAse.Draw();
            const std::vector<uint8_t> expected = Frame();
            fromBin.SelectCamera(camera);
            fromBin.currentFrame = frame;
            fromBin.Draw();
            EXPECT_GT(DistinctColours(expected), 3u);
            EXPECT_TRUE(Frame() == expected);
        }
    }
    engine.display = nullptr;
}

}  // namespace
