// The author's tools as programs: --help, --version, a wrong argument, and the
// show checker's output and exit status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TempDir.h"

using TestSupport::RunProgram;
using TestSupport::TempDir;

namespace {

std::string Tool(const char* name) { return std::string(HALVENOR_BINARY_DIR) + "/" + name; }

TEST(Tools, AnswerHelpAndVersionAndRefuseAWrongArgumentWithoutCreatingFiles) {
    for (const char* name : {"halvenor-check", "halvenor-capture", "MakeSampleAssets", "ParticleTool", "SceneExport"}) {
        SCOPED_TRACE(name);
        TempDir dir(false);
        const auto help = RunProgram(dir.Path(), {Tool(name), "--help"});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_EQ(help.stdoutText.rfind(std::string("usage: ") + name, 0), 0u) << help.stdoutText;
        const auto version = RunProgram(dir.Path(), {Tool(name), "--version"});
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_EQ(version.stdoutText.rfind(name, 0), 0u);
        const auto wrong = RunProgram(dir.Path(), {Tool(name), "--bogus"});
        EXPECT_EQ(wrong.exitCode, 2);
        EXPECT_NE(wrong.stderrText.find(std::string("usage: ") + name), std::string::npos) << wrong.stderrText;
        EXPECT_FALSE(dir.Exists("--bogus"));
        EXPECT_FALSE(dir.Exists("--help"));
        EXPECT_FALSE(dir.Exists("--version"));
    }
}

TEST(Tools, TheCheckerPassesTheSampleShowAndReportsMistakesWithTheShowPath) {
    TempDir dir(false);
    ASSERT_EQ(RunProgram(dir.Path(), {Tool("MakeSampleAssets"), "show"}).exitCode, 0);
    const std::string sample = std::string(HALVENOR_SOURCE_DIR) + "/shows/sample/";
    const std::string copy = "cp '" + sample + "preconfig.txt' '" + sample + "guion.txt' '" + dir.File("show") + "'";
    ASSERT_EQ(std::system(copy.c_str()), 0);

    const auto good = RunProgram(dir.Path(), {Tool("halvenor-check"), "show"});
    EXPECT_EQ(good.exitCode, 0);
    EXPECT_EQ(good.stderrText, "");
    EXPECT_NE(good.stdoutText.find("scene        Sala (escena.bin): 4 objects [0, 1, 2, 3], 2 cameras"), std::string::npos) << good.stdoutText;
    EXPECT_FALSE(dir.Exists("show/error_log.txt"));

    dir.Write("show/guion.txt", "0.0 SCENE Sala FX_SHWO\n19.5 DEMO x FX_STOP\n");
    const auto bad = RunProgram(dir.Path(), {Tool("halvenor-check"), "--quiet", "show"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.stderrText,
              "show/guion.txt:1: error: unknown effect 'FX_SHWO' (did you mean FX_SHOW?): the event does nothing\n");
    EXPECT_EQ(bad.stdoutText, "");
}

// A scene whose face line comes before its face count ends the player; the
// checker used to end with it, printing nothing. Now it reports it and the rest.
TEST(Tools, TheCheckerReportsASceneThatWouldEndThePlayer) {
    TempDir dir(false);
    dir.Write("preconfig.txt", "LOAD DISPLAY 320 240 32 NO\nLOAD ESCENA_ASE roto.ase Sala\nLOAD SCRIPT guion.txt\n");
    dir.Write("guion.txt", "0.0 SCENE Sala FX_SHOW\n");
    dir.Write("roto.ase", "*GEOMOBJECT {\n*MESH {\n*MESH_VERTEX 0 1.0 2.0 3.0\n*MESH_NUMVERTEX 1\n}\n}\n");
    const auto run = RunProgram(dir.Path(), {Tool("halvenor-check")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.stderrText.find("roto.ase: error: reading it ends halvenor with exit status 1 after the box "
                                  "[Error de inicializacion] No esta iniciado el vector de vertices\n"),
              std::string::npos)
        << run.stderrText;
    EXPECT_NE(run.stderrText.find("guion.txt: error: no DEMO FX_STOP event"), std::string::npos) << run.stderrText;
    EXPECT_NE(run.stdoutText.find("scene        Sala (roto.ase): not read by the checker"), std::string::npos)
        << run.stdoutText;
}

}  // namespace
