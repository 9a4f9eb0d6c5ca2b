// The author's tools as programs: --help, --version, a wrong argument, and the
// show checker's output and exit status.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/ControlServer.h"
#include "tests/support/TempDir.h"

using TestSupport::RunProgram;
using TestSupport::TempDir;

namespace {

std::string Tool(const char* name) { return std::string(HALVENOR_BINARY_DIR) + "/" + name; }

TEST(Tools, AnswerHelpAndVersionAndRefuseAWrongArgumentWithoutCreatingFiles) {
    for (const char* name : {"halvenor-check", "halvenor-ctl", "halvenor-capture", "halvenor-font", "MakeSampleAssets",
                             "ParticleTool", "SceneExport"}) {
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

// halvenor-ctl against a listening player (here its server alone, answering
// what a player would): the answer printed, the exit status by its kind.
TEST(Tools, TheRemoteControlToolSendsOneLineAndExitsByTheAnswer) {
    ControlServer server;
    std::string error;
    ASSERT_TRUE(server.Listen("", 0, &error)) << error;
    const std::string port = std::to_string(server.Port());
    std::atomic<bool> stop{false};
    std::vector<std::string> seen;
    std::thread player([&] {
        while (!stop) {
            server.Poll([&](const std::string& line) {
                seen.push_back(line);
                return line == "status" ? std::string("ok time=1.000 paused=no") : "error: unknown command '" + line + "'";
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    TempDir dir(false);
    const auto ok = RunProgram(dir.Path(), {Tool("halvenor-ctl"), "--port", port, "status"});
    const auto refused = RunProgram(dir.Path(), {Tool("halvenor-ctl"), "--host", "localhost", "--port", port, "step",
                                                 "-1", "now"});
    stop = true;
    player.join();
    server.Close();
    EXPECT_EQ(ok.exitCode, 0);
    EXPECT_EQ(ok.stdoutText, "ok time=1.000 paused=no\n");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.stderrText, "error: unknown command 'step -1 now'\n");
    EXPECT_EQ(seen, (std::vector<std::string>{"status", "step -1 now"}));

    // The port is closed now: nobody listens.
    const auto nobody = RunProgram(dir.Path(), {Tool("halvenor-ctl"), "--port", port, "status"});
    EXPECT_EQ(nobody.exitCode, 2);
    EXPECT_NE(nobody.stderrText.find("halvenor-ctl: no player answers on 127.0.0.1:" + port), std::string::npos)
        << nobody.stderrText;
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{Tool("halvenor-ctl")}, {Tool("halvenor-ctl"), "--port", "http", "status"},
          {Tool("halvenor-ctl"), "--port"}, {Tool("halvenor-ctl"), "seek\n1"}}) {
        const auto run = RunProgram(dir.Path(), wrong);
        EXPECT_EQ(run.exitCode, 2) << wrong.back();
        EXPECT_NE(run.stderrText.find("usage: halvenor-ctl"), std::string::npos) << run.stderrText;
    }
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
