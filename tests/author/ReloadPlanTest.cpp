// What a reload does for each kind of change to a playing show's files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "author/ReloadPlan.h"
#include "checker/ShowChecker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestAudio.h"
#include "tests/support/TestImages.h"

using TestSupport::TempDir;

namespace {

const char* const kPreconfig =
    "LOAD DISPLAY 320 240 32 NO\n"
    "LOAD SOUND musica.wav\n"
    "LOAD ESCENA_ASE escena.ase Sala\n"
    "LOAD ESCENA_ASE escena.ase Copia\n"
    "LOAD LAYER2D texturas\\cartel.jpg BOARD Cartel\n"
    "LOAD SCRIPT guion.txt\n";

std::string SceneNaming(const char* texture) {
    return std::string("*MATERIAL_LIST {\n\t*MATERIAL_COUNT 1\n\t*MATERIAL 0 {\n\t\t*BITMAP \"") + texture +
           "\"\n\t}\n}\n*GEOMOBJECT {\n\t*NODE_NAME \"Caja\"\n\t*MATERIAL_REF 0\n}\n";
}

class ReloadPlanTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TestSupport::WriteTone(dir.File("musica.wav"), 220.0, 2.0, 8000, 1, 0.1));
        const std::string jpeg = TestSupport::SolidRgbJpeg(4, 4, 200, 100, 50);
        for (const char* name : {"pared", "nueva", "cartel", "font", "consola_fondo"}) {
            dir.Write(std::string("texturas/") + name + ".jpg", jpeg);
        }
        dir.Write("escena.ase", SceneNaming("texturas\\pared.jpg"));
        dir.Write("guion.txt", "0.0 SCENE Sala FX_SHOW\n1.0 DEMO x FX_STOP\n");
        dir.Write("preconfig.txt", kPreconfig);
        before.Check();
    }

    std::string PlanFor(const std::vector<std::string>& changed) {
        ShowChecker now;
        now.Check();
        return ReloadPlan::For(before, now, changed).Describe();
    }

    TempDir dir;
    ShowChecker before;
};

TEST_F(ReloadPlanTest, EachKindOfFileReloadsOnlyWhatItHolds) {
    EXPECT_EQ(PlanFor({"guion.txt"}), "script");
    EXPECT_EQ(PlanFor({"texturas/pared.jpg"}), "texture texturas/pared.jpg");
    EXPECT_EQ(PlanFor({"texturas/cartel.jpg"}), "texture texturas/cartel.jpg");
    // One file, two scenes read from it.
    EXPECT_EQ(PlanFor({"escena.ase", "guion.txt"}), "script; scene Sala, Copia");
    EXPECT_EQ(PlanFor({"notas.txt", "texturas/nueva.jpg"}), "nothing");
    ShowChecker now;
    now.Check();
    EXPECT_TRUE(ReloadPlan::For(before, now, {"notas.txt"}).Empty());
    // A scene that now names another texture: the new one is the new
    // check's, and the scene is read again.
    dir.Write("escena.ase", SceneNaming("texturas\\nueva.jpg"));
    EXPECT_EQ(PlanFor({"escena.ase", "texturas/nueva.jpg"}), "scene Sala, Copia; texture texturas/nueva.jpg");
}

TEST_F(ReloadPlanTest, ThePreconfigurationTheMusicAndTheEnginesTexturesRebuildTheShow) {
    EXPECT_EQ(PlanFor({"guion.txt", "preconfig.txt"}), "the whole show");
    EXPECT_EQ(PlanFor({"musica.wav"}), "the whole show");
    EXPECT_EQ(PlanFor({"texturas/font.jpg"}), "the whole show");
    dir.Write("preconfig.txt", std::string(kPreconfig) + "LOAD LAYER2D texturas\\nueva.jpg OVERLAY Marca\n");
    EXPECT_EQ(PlanFor({"preconfig.txt"}), "the whole show");
    dir.Write("preconfig.txt", "LOAD DISPLAY 640 480 32 NO\nLOAD SCRIPT guion.txt\n");
    EXPECT_EQ(PlanFor({"preconfig.txt"}), "the whole show, in a new window");
    // A reload by hand is a rebuild, in a new window when the line changed.
    ShowChecker now;
    now.Check();
    const ReloadPlan plan = ReloadPlan::Everything(before, now);
    EXPECT_TRUE(plan.rebuild);
    EXPECT_TRUE(plan.reopenWindow);
}

}  // namespace
