// Reading preconfig.txt: the line rules, the SET actions on scenes and the log
// texts, without a window (lines that need one are refused).
#include <gtest/gtest.h>

#include <string>

#include "core/Engine.h"
#include "scene/Scene.h"
#include "tests/support/TempDir.h"

using TestSupport::TempDir;

namespace {

class Preconfiguration : public ::testing::Test {
protected:
    std::string Read(const std::string& contents) {
        dir.Write("preconfig.txt", contents);
        EXPECT_TRUE(engine.ReadPreconfiguration("preconfig.txt"));
        return dir.Read("error_log.txt");
    }

    Scene* AddScene(const char* name) {
        Scene* scene = new Scene();
        scene->SetName(name);
        engine.RegisterScene(scene);
        return scene;
    }

    TempDir dir;
    Engine engine;
};

const char* const kHeader = "-- PRECONFIG -- Configurando Escena [ %s ] \n";

// Layers, pixel buffers and the loading screen need the window.
std::string Refused(const std::string& what) {
    return "-- PRECONFIG -- Falta la linea DISPLAY antes de [ " + what + " ]: se ignora.\n";
}

std::string Header(const std::string& name) {
    std::string text = kHeader;
    return text.replace(text.find("%s"), 2, name);
}

TEST_F(Preconfiguration, ReadsEveryLineThatEndsWithALineBreak) {
    const std::string log = Read("SET ESCENA one\nSET ESCENA two\r\nSET ESCENA three");
    EXPECT_EQ(log, Header("one") + Header("two"));
}

TEST_F(Preconfiguration, CommentsAndUnknownCommandsWriteNothing) {
    const std::string log = Read(
        "// SET ESCENA commented\n"
        "//SET ESCENA glued\n"
        "PUT ESCENA other\n"
        "SET NOTHING x\n"
        "\n"
        "   \n"
        "set escena lower\n");
    EXPECT_EQ(log, Header("lower"));
}

TEST_F(Preconfiguration, LongLinesAreReadAsSeveralLinesOf149Characters) {
    // 149 characters with the line break: one line, whose name is cut to fit.
    const std::string fits = "SET ESCENA " + std::string(137, 'a') + "\n";
    // One character more: the first 149 are a line (its last character taken
    // as the line feed), the rest a line of its own.
    const std::string over = "SET ESCENA " + std::string(138, 'b') + " SET ESCENA tail\n";
    EXPECT_EQ(Read(fits + over),
              Header(std::string(99, 'a')) + Header(std::string(99, 'b')) + Header("tail"));
}

TEST_F(Preconfiguration, AMissingFileIsReported) {
    EXPECT_FALSE(engine.ReadPreconfiguration("preconfig.txt"));
}

TEST_F(Preconfiguration, SetSceneFogClearAndPixelBuffer) {
    Scene* scene = AddScene("Intro");
    const std::string log = Read(
        "SET ESCENA intro FOG 10 500 0.5 1 0.5 0.25\n"
        "SET ESCENA INTRO CLEAR no\n"
        "SET ESCENA Intro PBUFFER PB_ESCENA\n"
        "SET ESCENA Intro UNKNOWN 1\n"
        "SET ESCENA Missing CLEAR YES\n");
    const SceneParams params = scene->GetParams();
    EXPECT_EQ(params.fogEnabled, 1);
    EXPECT_FLOAT_EQ(params.fogStart, 10.0f);
    EXPECT_FLOAT_EQ(params.fogEnd, 500.0f);
    EXPECT_FLOAT_EQ(params.fogDensity, 0.5f);
    EXPECT_FLOAT_EQ(params.fogColor[0], 1.0f);
    EXPECT_FLOAT_EQ(params.fogColor[1], 0.5f);
    EXPECT_FLOAT_EQ(params.fogColor[2], 0.25f);
    EXPECT_STREQ(params.name, "Intro");
    EXPECT_EQ(scene->clearBuffers, 0);
    EXPECT_EQ(scene->GetPBuffer(), nullptr);
    EXPECT_EQ(log, Header("intro") + "             -- Configurando Niebla\n" + Header("INTRO") +
                       "             -- Configurando borrado de Depth/Color buffer [ no ]\n" + Header("Intro") +
                       "             -- Asignando PBUFFER PB_ESCENA \n" + Header("Intro") + Header("Missing"));

    Read("SET ESCENA Intro CLEAR yEs\n");
    EXPECT_EQ(scene->clearBuffers, 1);
}

TEST_F(Preconfiguration, LoadLinesWriteTheirLogTextsAndNeedTheDisplay) {
    const std::string log = Read(
        "LOAD LAYER2D fondo.jpg BACKGROUND Fondo\n"
        "LOAD LAYER2D tablero.tga board Tablero\n"
        "LOAD LAYER2D - PBUFFER Espejo\n"
        "LOAD LAYER2D x.jpg OVERLAY Titulo\n"
        "LOAD LAYER2D x.jpg ODD Raro\n"
        "LOAD PARTICULAS humo.par Humo\n"
        "LOAD PBUFFER PB_ESCENA 256 128\n"
        "LOAD LOAD_SCREEN carga.jpg\n"
        "LOAD ESCENA_BIN nave.bin Nave\n");
    EXPECT_EQ(log,
              "-- PRECONFIG -- Cargando Layer [ fondo.jpg ] como \"Fondo\" tipo 2\n" +
                  Refused("fondo.jpg") +
                  "-- PRECONFIG -- Cargando Layer [ tablero.tga ] como \"Tablero\" tipo 1\n" +
                  Refused("tablero.tga") +
                  "-- PRECONFIG -- Cargando Layer [ - ] como \"Espejo\" tipo 4\n" + Refused("-") +
                  "-- PRECONFIG -- Cargando Layer [ x.jpg ] como \"Titulo\" tipo 3\n" + Refused("x.jpg") +
                  "-- PRECONFIG -- Cargando Layer [ x.jpg ] como \"Raro\" tipo 0\n" + Refused("x.jpg") +
                  "-- PRECONFIG -- Cargando Particulas [ humo.par ] como \"Humo\"\n" + Refused("humo.par") +
                  "-- PRECONFIG -- [ Creando pixelbuffer \"PB_ESCENA\" :: 256 x 128 ]\n" +
                  Refused("PB_ESCENA") +
                  "-- PRECONFIG -- [ Poniendo pantalla de carga  \"carga.jpg\" ]\n" + Refused("carga.jpg") +
                  "-- PRECONFIG -- Cargando Escena [ nave.bin ] como \"Nave\"\n" + Refused("nave.bin"));
}

TEST_F(Preconfiguration, ScenesBeforeTheDisplayAreRefused) {
    dir.Write("escena.ase", "*SCENE {\n}\n");
    const std::string log = Read("LOAD ESCENA_ASE escena.ase Intro\n");
    EXPECT_EQ(log,
              "-- PRECONFIG -- Cargando Escena [ escena.ase ] como \"Intro\"\n"
              "-- PRECONFIG -- Falta la linea DISPLAY antes de [ escena.ase ]: se ignora.\n");
    EXPECT_EQ(engine.sceneCount, 0);
}

TEST_F(Preconfiguration, AFullSceneRegistryRefusesMoreScenes) {
    for (int i = 0; i < Engine::kMaxScenes; ++i) {
        AddScene("s");
    }
    Scene* extra = new Scene();
    EXPECT_FALSE(engine.RegisterScene(extra));
    delete extra;
    EXPECT_EQ(engine.LoadSceneAse("escena.ase", "Extra"), Engine::kMaxScenes);
    EXPECT_EQ(engine.sceneCount, Engine::kMaxScenes);
    EXPECT_NE(dir.Read("error_log.txt").find("Demasiadas escenas (maximo 100): se ignora [ escena.ase ]"),
              std::string::npos);
}

TEST_F(Preconfiguration, ASecondScriptLeavesNothingOfTheFirstDue) {
    dir.Write("primero.txt", "0.0 DEMO x FX_STOP\n");
    Read("LOAD SCRIPT primero.txt\nLOAD SCRIPT falta.txt\n");
    EXPECT_EQ(engine.RunDemoStep(), 1);
    EXPECT_EQ(engine.RunDemoStep(), 1);
}

TEST_F(Preconfiguration, LookupsIgnoreLetterCaseAndAnswerTheFirstMatch) {
    Scene* first = AddScene("Tunel");
    AddScene("TUNEL");
    EXPECT_EQ(engine.FindScene("tunel"), first);
    EXPECT_EQ(engine.FindScene("TUNEL"), first);
    EXPECT_EQ(engine.FindScene("Tune"), nullptr);
    EXPECT_EQ(engine.currentScene, 1);
    engine.SetCurrentScene(5);
    EXPECT_EQ(engine.currentScene, 1);
    engine.SetCurrentScene(0);
    EXPECT_EQ(engine.currentScene, 0);
}

}  // namespace
