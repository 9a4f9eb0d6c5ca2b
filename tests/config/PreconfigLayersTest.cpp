// Preconfiguration lines about layers, pixel buffers and the loading screen,
// read with a real window (they need one) on a 640 x 480 display.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/Display.h"
#include "core/Engine.h"
#include "fx2d/Layer2D.h"
#include "fx2d/PBuffer.h"
#include "glext/GlExtensions.h"
#include "scene/Scene.h"
#include "tests/support/GlTestContext.h"
#include "tests/support/TestDisplay.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

using TestSupport::GlTestContext;
using TestSupport::NearColour;
using TestSupport::TempDir;

namespace {

const char* const kIndent = "             ";

class PreconfigLayers : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TestSupport::OpenForDisplay(display, 640, 480));
        engine.display = &display;
    }
    void TearDown() override {
        engine.Shutdown();
        engine.display = nullptr;
    }

    // Reads the lines; the log from where it stood before.
    std::string Read(const std::string& contents) {
        const size_t before = dir.Exists("error_log.txt") ? dir.Read("error_log.txt").size() : 0;
        dir.Write("preconfig.txt", contents);
        EXPECT_TRUE(engine.ReadPreconfiguration("preconfig.txt"));
        return dir.Read("error_log.txt").substr(before);
    }

    TempDir dir;
    Display display;
    Engine engine;
};

TEST_F(PreconfigLayers, LayerSettingsWithTheirLogTexts) {
    const std::string log = Read(
        "LOAD LAYER2D - BOARD Tablero\n"
        "SET LAYER2D tablero MOVE 10 20\n"
        "SET LAYER2D Tablero MOVE_ANIMATION 100 50 25\n"
        "SET LAYER2D Tablero ALPHA_ANIMATION 0 1 10\n"
        "SET LAYER2D Tablero ALPHA_FUNC 7.9\n"
        "SET LAYER2D Tablero ALPHA 0.25\n"
        "SET LAYER2D Tablero FPS 40\n"
        "SET LAYER2D Tablero MAP_ROTATION 0.01\n"
        "SET LAYER2D Tablero SPIN 3\n"
        "SET LAYER2D Nadie ALPHA 1\n");
    const Layer2D* layer = engine.FindLayer("TABLERO");
    ASSERT_NE(layer, nullptr);
    EXPECT_FLOAT_EQ(layer->x0, 10.0f);
    EXPECT_FLOAT_EQ(layer->y1, 460.0f);
    EXPECT_FLOAT_EQ(layer->x1 - layer->x0, 512.0f);
    EXPECT_EQ(layer->moveStepCount, 1u);
    EXPECT_FLOAT_EQ(layer->steps[0].moveTargetX, 100.0f);
    EXPECT_FLOAT_EQ(layer->steps[0].moveTargetY, 430.0f);
    EXPECT_FLOAT_EQ(layer->steps[0].moveTicks, 25.0f);
    EXPECT_FLOAT_EQ(layer->steps[0].fadeDelta, 0.1f);
    EXPECT_EQ(layer->blendMode, 7);
    EXPECT_FLOAT_EQ(layer->alpha, 0.25f);
    EXPECT_FLOAT_EQ(layer->tickInterval, 40.0f);
    EXPECT_FLOAT_EQ(layer->mapScroll, 0.01f);
    const std::string header = "-- PRECONFIG -- Configurando Layer2D [ %s ] \n";
    auto Header = [&](const std::string& name) {
        std::string text = header;
        return text.replace(text.find("%s"), 2, name);
    };
    EXPECT_EQ(log, "-- PRECONFIG -- Cargando Layer [ - ] como \"Tablero\" tipo 1\n" + Header("tablero") + kIndent +
                       "-- Moviendo Layer a [ 10.000000, 20.000000 ]\n" + Header("Tablero") + kIndent +
                       "-- Configurando Move Animation \n" + Header("Tablero") + kIndent +
                       "-- Configurando Alpha Animation \n" + Header("Tablero") + kIndent +
                       "-- Configurando AlphaFunc \n" + Header("Tablero") + kIndent + "-- Configurando Alpha \n" +
                       Header("Tablero") + kIndent + "-- Configurando FPS \n" + Header("Tablero") + kIndent +
                       "-- Rotate Map Horizontal al Layer \"Tablero\"\n" + Header("Tablero") + Header("Nadie"));
}

TEST_F(PreconfigLayers, AThirtyFirstStepIsRefused) {
    std::string lines = "LOAD LAYER2D - BOARD Tablero\n";
    for (int step = 0; step < 31; ++step) {
        lines += "SET LAYER2D Tablero MOVE_ANIMATION 1 1 1\nSET LAYER2D Tablero ALPHA_ANIMATION 0 1 1\n";
    }
    const std::string log = Read(lines);
    const Layer2D* layer = engine.FindLayer("Tablero");
    EXPECT_EQ(layer->moveStepCount, 30u);
    EXPECT_EQ(layer->fadeStepCount, 30u);
    EXPECT_NE(log.find("Demasiados pasos de Move Animation (maximo 30): se ignora\n"), std::string::npos);
    EXPECT_NE(log.find("Demasiados pasos de Alpha Animation (maximo 30): se ignora\n"), std::string::npos);
}

TEST_F(PreconfigLayers, PixelBuffersForScenesAndLayersAndTheBlurSetUp) {
    Scene* scene = new Scene();
    scene->SetName("Sala");
    engine.RegisterScene(scene);
    const std::string log = Read(
        "LOAD PBUFFER PB_SALA 256 128\n"
        "SET ESCENA sala PBUFFER pb_sala\n"
        "LOAD LAYER2D - PBUFFER Espejo\n"
        "SET LAYER2D Espejo PBUFFER PB_SALA\n");
    const PBuffer* pbuffer = engine.FindPixelBuffer("PB_SALA");
    ASSERT_NE(pbuffer, nullptr);
    EXPECT_EQ(pbuffer->Width(), 256);
    EXPECT_EQ(pbuffer->Height(), 128);
    EXPECT_EQ(pbuffer->mode, 16);
    EXPECT_EQ(scene->GetPBuffer(), pbuffer);
    const Layer2D* mirror = engine.FindLayer("espejo");
    EXPECT_EQ(mirror->texture.texture, pbuffer->Texture());
    EXPECT_EQ(mirror->texture.loaded, 1);
    EXPECT_NE(log.find(std::string(kIndent) + "-- Asignando PBUFFER \"PB_SALA\" al Layer \"Espejo\"\n"),
              std::string::npos);

    // After the last line: the blur buffers and their hidden layers.
    ASSERT_EQ(engine.pixelBufferCount, 3);
    EXPECT_EQ(engine.pixelBuffers[1], engine.FindPixelBuffer("PB_BLUR"));
    EXPECT_EQ(engine.FindPixelBuffer("PB_BLUR")->Width(), 512);
    EXPECT_EQ(engine.FindPixelBuffer("PB_BLUR2")->Height(), 256);
    for (const char* name : {"LAYER_BLUR", "LAYER_BLUR2"}) {
        const Layer2D* blur = engine.FindLayer(name);
        ASSERT_NE(blur, nullptr) << name;
        EXPECT_FALSE(blur->IsVisible());
        EXPECT_EQ(blur->blendMode, 0);
        EXPECT_FLOAT_EQ(blur->alpha, 0.5f);
        EXPECT_FLOAT_EQ(blur->y0, 481.0f);
    }
    EXPECT_EQ(engine.FindLayer("LAYER_BLUR2")->texture.texture, engine.FindPixelBuffer("PB_BLUR2")->Texture());
}

TEST_F(PreconfigLayers, TheShowsOwnResourcesLeaveRoomForTheBlur) {
    std::string lines;
    for (int i = 0; i < Engine::kMaxLayers; ++i) {
        lines += "LOAD LAYER2D - PBUFFER L" + std::to_string(i) + "\n";
    }
    for (int i = 0; i < Engine::kMaxPixelBuffers - 1; ++i) {
        lines += "LOAD PBUFFER P" + std::to_string(i) + " 8 8\n";
    }
    const std::string log = Read(lines);
    EXPECT_EQ(engine.layerCount, Engine::kMaxLayers);
    EXPECT_EQ(engine.pixelBufferCount, Engine::kMaxPixelBuffers);
    EXPECT_EQ(engine.FindLayer("L198"), nullptr);
    EXPECT_NE(engine.FindLayer("LAYER_BLUR2"), nullptr);
    EXPECT_NE(engine.FindPixelBuffer("PB_BLUR2"), nullptr);
    EXPECT_NE(log.find("Demasiados layers (maximo 198): se ignora \"L198\"\n"), std::string::npos);
    EXPECT_NE(log.find("Demasiados pixelbuffers (maximo 18): se ignora \"P18\"\n"), std::string::npos);
}

TEST_F(PreconfigLayers, PixelBufferSizesNoTextureCanHoldAreRefused) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    // Beyond 4096 a side a picture costs gigabytes, even where a texture
    // could hold it.
    largest = std::min(largest, 4096);
    const std::string log = Read("LOAD PBUFFER PB_CERO 512\nLOAD PBUFFER PB_ENORME " + std::to_string(largest + 1) +
                                 " 8\nLOAD PBUFFER PB_ALTO 8 16384\nLOAD PBUFFER PB_BIEN 8 8\n");
    EXPECT_EQ(engine.FindPixelBuffer("PB_CERO"), nullptr);
    EXPECT_EQ(engine.FindPixelBuffer("PB_ENORME"), nullptr);
    EXPECT_EQ(engine.FindPixelBuffer("PB_ALTO"), nullptr);
    EXPECT_NE(engine.FindPixelBuffer("PB_BIEN"), nullptr);
    EXPECT_NE(log.find("Pixelbuffer \"PB_CERO\" de 512 x 0 no valido (de 1 a " + std::to_string(largest) +
                       "): se ignora\n"),
              std::string::npos)
        << log;
}

TEST_F(PreconfigLayers, TheLoadingScreenIsOnScreenWhileTheShowLoads) {
    dir.Write("carga.jpg", TestSupport::SolidRgbJpeg(16, 16, 40, 200, 120));
    const std::string log = Read("LOAD LOAD_SCREEN carga.jpg\n");
    EXPECT_EQ(log.rfind("-- PRECONFIG -- [ Poniendo pantalla de carga  \"carga.jpg\" ]\n", 0), 0u) << log;
    const Layer2D* screen = engine.FindLayer("LOADSCREEN");
    ASSERT_NE(screen, nullptr);
    EXPECT_FLOAT_EQ(screen->x1, 641.0f);
    EXPECT_TRUE(NearColour(GlTestContext::ScreenPixel(5, 5), 40, 200, 120, 6));
    EXPECT_TRUE(NearColour(GlTestContext::ScreenPixel(634, 474), 40, 200, 120, 6));
}

}  // namespace
