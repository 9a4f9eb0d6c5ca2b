// Live reload's transaction on a show on disk: a settled save is read and
// planned, a broken save is refused with its findings and the fixing save
// brings everything changed meanwhile, and files the new show names are
// watched as soon as it names them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "author/LiveReload.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

using TestSupport::TempDir;

namespace {

const char* const kPreconfig =
    "LOAD DISPLAY 320 240 32 NO\n"
    "LOAD ESCENA_ASE escena.ase Sala\n"
    "LOAD SCRIPT guion.txt\n";
const char* const kScript = "0.0 SCENE Sala FX_SHOW\n0.0 DEMO x FX_STOP\n";
const char* const kScene = "*GEOMOBJECT {\n\t*NODE_NAME \"Caja\"\n}\n";

class LiveReloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string jpeg = TestSupport::SolidRgbJpeg(4, 4, 10, 20, 30);
        dir.Write("texturas/font.jpg", jpeg);
        dir.Write("texturas/consola_fondo.jpg", jpeg);
        dir.Write("preconfig.txt", kPreconfig);
        dir.Write("guion.txt", kScript);
        dir.Write("escena.ase", kScene);
        live.Start();
        ASSERT_TRUE(live.LastReadOk()) << live.Report();
    }

    // Polls like a frame loop until something settles (or a generous
    // deadline passes); the plan's description, or "refused".
    std::string NextOutcome() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            ReloadPlan plan;
            const LiveReload::Outcome outcome = live.Poll(plan);
            if (outcome == LiveReload::Outcome::Reload) {
                live.Taken();
                return plan.Describe();
            }
            if (outcome == LiveReload::Outcome::Refused) {
                return "refused";
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return "nothing settled";
    }

    // An editor's save: the new text written beside the file, renamed over it.
    void Save(const std::string& name, const std::string& text) {
        dir.Write(name + ".tmp", text);
        ASSERT_EQ(std::rename(dir.File(name + ".tmp").c_str(), dir.File(name).c_str()), 0);
    }

    TempDir dir;
    LiveReload live{30};
};

TEST_F(LiveReloadTest, ASettledSaveIsReadAndPlannedForWhatChanged) {
    EXPECT_EQ(live.WatchedCount(), 5u);
    Save("guion.txt", "0.0 SCENE Sala FX_HIDE\n0.0 DEMO x FX_STOP\n");
    EXPECT_EQ(NextOutcome(), "script");
    EXPECT_TRUE(live.LastReadOk());
    EXPECT_EQ(live.FindingCount(), 0);
    dir.Write("escena.ase", std::string(kScene) + "*GEOMOBJECT {\n\t*NODE_NAME \"Otra\"\n}\n");
    EXPECT_EQ(NextOutcome(), "scene Sala");
    EXPECT_NE(live.Playing().Summary().find("scene        Sala (escena.ase): 2 objects"), std::string::npos)
        << live.Playing().Summary();

    // By hand: the script again, and whatever changed unseen.
    ReloadPlan plan;
    ASSERT_EQ(live.ReloadNow(plan), LiveReload::Outcome::Reload);
    EXPECT_EQ(plan.Describe(), "script");
}

TEST_F(LiveReloadTest, ABrokenSaveIsRefusedAndTheFixingSaveBringsEverythingChangedMeanwhile) {
    Save("guion.txt", "0.0 SCENE Sala FX_SHWO\n0.0 DEMO x FX_STOP\n");
    EXPECT_EQ(NextOutcome(), "refused");
    EXPECT_FALSE(live.LastReadOk());
    EXPECT_EQ(live.FindingCount(), 1);
    EXPECT_EQ(live.Report().rfind("guion.txt:1: error: unknown effect 'FX_SHWO'", 0), 0u) << live.Report();
    // Still broken: the scene saved meanwhile waits with it.
    dir.Write("escena.ase", std::string(kScene) + "\n");
    EXPECT_EQ(NextOutcome(), "refused");
    Save("guion.txt", kScript);
    EXPECT_EQ(NextOutcome(), "script; scene Sala");
    EXPECT_TRUE(live.LastReadOk());
    EXPECT_EQ(live.PendingCount(), 0u);
}

TEST_F(LiveReloadTest, AFileTheNewShowNamesIsWatchedAsSoonAsItIsNamed) {
    Save("preconfig.txt", std::string(kPreconfig) + "LOAD LAYER2D texturas\\cartel.jpg BOARD Cartel\n");
    EXPECT_EQ(NextOutcome(), "refused");
    EXPECT_NE(live.Report().find("image 'texturas\\cartel.jpg' not found"), std::string::npos) << live.Report();
    dir.Write("texturas/cartel.jpg", TestSupport::SolidRgbJpeg(4, 4, 200, 0, 0));
    EXPECT_EQ(NextOutcome(), "the whole show");
    EXPECT_EQ(live.WatchedCount(), 6u);
}

}  // namespace
