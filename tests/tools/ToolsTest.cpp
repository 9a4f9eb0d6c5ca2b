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
    for (const char* name : {"halvenor-check", "halvenor-capture", "halvenor-font", "MakeSampleAssets", "ParticleTool",
                             "SceneExport"}) {
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

TEST(Tools, TheTrackerShowsModuleIsMadeByCodeAndTheCheckerPassesTheShow) {
    TempDir dir(false);
    ASSERT_EQ(RunProgram(dir.Path(), {Tool("MakeSampleAssets"), "--tracker", "show"}).exitCode, 0);
    const std::string tracker = std::string(HALVENOR_SOURCE_DIR) + "/shows/tracker/";
    const std::string copy = "cp '" + tracker + "preconfig.txt' '" + tracker + "guion.txt' '" + dir.File("show") + "'";
    ASSERT_EQ(std::system(copy.c_str()), 0);
    const std::string module = dir.Read("show/musica.mod");
    ASSERT_GT(module.size(), 1084u);
    EXPECT_EQ(module.substr(1080, 4), "M.K.");
    EXPECT_LT(module.size(), 16384u) << "a module is tiny beside the same music as FLAC";

    const auto good = RunProgram(dir.Path(), {Tool("halvenor-check"), "show"});
    EXPECT_EQ(good.exitCode, 0);
    EXPECT_EQ(good.stderrText, "");
    EXPECT_NE(good.stdoutText.find("music        musica.mod, 15.36 s (loops); module: ProTracker MOD (M.K.) "
                                   "\"halvenor tracker\", 4 channels, 2 orders\n"),
              std::string::npos)
        << good.stdoutText;
    EXPECT_NE(good.stdoutText.find("ends at 15.30 s"), std::string::npos) << good.stdoutText;
    // Two runs write the same module.
    ASSERT_EQ(RunProgram(dir.Path(), {Tool("MakeSampleAssets"), "--tracker", "again"}).exitCode, 0);
    EXPECT_TRUE(dir.Read("again/musica.mod") == module);
}

}  // namespace
