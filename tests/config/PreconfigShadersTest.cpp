// Shader layers as preconfig.txt names them: a broken shader, channels that
// cannot be what the line asks (a missing image, a fifth channel, an unknown
// pixel buffer) and the player that meets a broken shader: each said in the
// log (and by the player on stderr) with the file and line, and the show
// plays on without the layer.
#include <gtest/gtest.h>

#include <string>

#include "core/Display.h"
#include "core/Engine.h"
#include "fx2d/Layer2D.h"
#include "fx2d/ShaderLayer.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestAudio.h"
#include "tests/support/TestDisplay.h"
#include "tests/support/TestImages.h"

using TestSupport::TempDir;

namespace {

const char* const kGood = "void mainImage(out vec4 c, in vec2 p) { c = texture(iChannel0, p / iResolution.xy); }\n";
const char* const kBroken =
    "void mainImage(out vec4 c, in vec2 p) {\n"
    "    c = vec4(1.0) * missing;\n"
    "}\n";

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(PreconfigShaders, ChannelsAndBrokenShadersAreReportedWithTheirFiles) {
    TempDir dir;
    Display display;
    Engine engine;
    ASSERT_TRUE(TestSupport::OpenForDisplay(display, 64, 64));
    engine.display = &display;
    dir.Write("buena.frag", kGood);
    dir.Write("mala.frag", kBroken);
    dir.Write("rojo.jpg", TestSupport::SolidRgbJpeg(8, 4, 255, 0, 0));
    dir.Write("preconfig.txt",
              "LOAD PBUFFER PB 32 32\n"
              "LOAD LAYER2D buena.frag SHADER Buena\n"
              "SET LAYER2D Buena CHANNEL 0 rojo.jpg\n"
              "SET LAYER2D Buena CHANNEL 1 PBUFFER PB\n"
              "SET LAYER2D Buena CHANNEL 2 MUSIC\n"
              "SET LAYER2D Buena CHANNEL 3 PREVIOUS\n"
              "SET LAYER2D Buena CHANNEL 4 MUSIC\n"
              "SET LAYER2D Buena CHANNEL 0 nada.jpg\n"
              "SET LAYER2D Buena CHANNEL 1 PBUFFER NADIE\n"
              "LOAD LAYER2D mala.frag SHADER Mala\n"
              "LOAD LAYER2D ausente.frag SHADER Ausente\n");
    ASSERT_TRUE(engine.ReadPreconfiguration("preconfig.txt"));
    const std::string log = dir.Read("error_log.txt");

    const Layer2D* good = engine.FindLayer("Buena");
    ASSERT_NE(good, nullptr);
    ASSERT_NE(good->shader, nullptr);
    EXPECT_TRUE(good->shader->HasProgram());
    EXPECT_EQ(good->shader->ChannelKind(0), ShaderLayer::Channel::Image);
    EXPECT_EQ(good->shader->ChannelKind(1), ShaderLayer::Channel::PixelBuffer);
    EXPECT_EQ(good->shader->ChannelKind(2), ShaderLayer::Channel::Music);
    EXPECT_EQ(good->shader->ChannelKind(3), ShaderLayer::Channel::Previous);
    EXPECT_TRUE(Contains(log, "-- Canal 0: imagen [ rojo.jpg ] de 8 x 4\n")) << log;
    EXPECT_TRUE(Contains(log, "]> ** ERROR ** el layer \"Buena\" tiene 4 canales (0 a 3): no hay canal 4. **\n"));
    EXPECT_TRUE(Contains(log, "]> ** ERROR ** canal 0 del layer \"Buena\": no se encuentra la imagen [ nada.jpg ], "
                              "el canal queda negro. **\n"));
    EXPECT_TRUE(Contains(log, "canal 1 del layer \"Buena\": no existe el pixelbuffer \"NADIE\""));

    const Layer2D* broken = engine.FindLayer("Mala");
    ASSERT_NE(broken, nullptr);
    EXPECT_FALSE(broken->shader->HasProgram());
    EXPECT_TRUE(Contains(log, "]> ** ERROR ** El shader [ mala.frag ] no se puede usar: el layer \"Mala\" no se "
                              "dibuja. **\n             mala.frag:2: error: "))
        << log;
    EXPECT_TRUE(Contains(log, "ausente.frag: error: the shader file cannot be read"));
    engine.Shutdown();
    engine.display = nullptr;
}

TEST(PreconfigShaders, PlayerWithABrokenShaderNamesItAndPlaysOn) {
    TempDir dir;
    ASSERT_TRUE(TestSupport::WriteTone(dir.File("musica.wav"), 440.0, 2.0));
    dir.Write("mala.frag", kBroken);
    dir.Write("preconfig.txt",
              "LOAD DISPLAY 64 64 32 NO\n"
              "LOAD SOUND musica.wav\n"
              "LOAD LAYER2D mala.frag SHADER Mala\n"
              "LOAD SCRIPT guion.txt\n");
    dir.Write("guion.txt", "0.0 LAYER Mala FX_SHOW\n0.3 DEMO x FX_STOP\n");
    const auto run = TestSupport::RunPlayer(dir.Path(), 0, "SDL_AUDIODRIVER=dummy");
    EXPECT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_TRUE(Contains(run.stderrText, "halvenor: el shader [ mala.frag ] no se puede usar: el layer \"Mala\" no "
                                         "se dibuja\nmala.frag:2: error: "))
        << run.stderrText;
    EXPECT_TRUE(Contains(dir.Read("error_log.txt"), "mala.frag:2: error: "));
}

}  // namespace
