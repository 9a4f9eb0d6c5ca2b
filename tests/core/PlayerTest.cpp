// Whole-program runs of the halvenor player in a temporary show directory:
// exit codes, error_log.txt and stderr.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/TempDir.h"

using TestSupport::RunPlayer;
using TestSupport::TempDir;

namespace {

const char* const kAudio = "SDL_AUDIODRIVER=dummy";

const char* const kShutdownSequence =
    "-> Cerrando el sistema...\n"
    "-> Liberando fuentes: [OK]\n"
    "-> Liberando Escenas: [OK]\n"
    "-> Liberando Layers2D: [OK]\n"
    "-> Liberando Particulas: [OK]\n"
    "-> Liberando PBuffers: [OK]\n"
    "===> Sistema cerrado correctamente.\n";

std::string StartOfShow(const char* fullscreenWord) {
    return std::string("-> Inicializado sistema de LOG: [OK]\n===> Sistema inicializado.\n"
                       "-- PRECONFIG -- Configurando pantalla a [ 640 x 480 x 32 ] [ Fullscreen: ") +
           fullscreenWord +
           " ]\n-> La inicializacion grafica fue correcta.\n-> Inicializando fuentes.\n";
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(Player, OpensTheDisplayAndShutsDownInOrderOnSigterm) {
    for (const char* lineEnd : {"\n", "\r\n"}) {
        TempDir dir(false);
        dir.Write("preconfig.txt", std::string("LOAD DISPLAY 640 480 32 NO") + lineEnd);
        const auto run = RunPlayer(dir.Path(), 1500, kAudio);
        EXPECT_EQ(run.exitCode, 0) << run.stderrText;
        const std::string log = dir.Read("error_log.txt");
        EXPECT_NE(log.find(StartOfShow("NO")), std::string::npos) << log;
        EXPECT_TRUE(EndsWith(log, StartOfShow("NO") + kShutdownSequence)) << log;
    }
}

TEST(Player, AMissingPreconfigurationEndsWithStatusOne) {
    TempDir dir(false);
    const auto run = RunPlayer(dir.Path(), 0, kAudio);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.stderrText.find("preconfig.txt"), std::string::npos);
    EXPECT_NE(dir.Read("error_log.txt").find("no se puede abrir preconfig.txt"), std::string::npos);
}

TEST(Player, AShowWithoutDisplayEndsWithStatusOne) {
    TempDir dir(false);
    dir.Write("preconfig.txt", "// nothing to show\nLOAD DISPLAY 640 480 32 NO");
    const auto run = RunPlayer(dir.Path(), 0, kAudio);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.stderrText.find("LOAD DISPLAY"), std::string::npos);
}

TEST(Player, AVideoSystemThatCannotStartEndsWithStatusOne) {
    TempDir dir(false);
    dir.Write("preconfig.txt", "LOAD DISPLAY 640 480 32 NO\n");
    const auto run = RunPlayer(dir.Path(), 0, std::string(kAudio) + " SDL_VIDEODRIVER=nonexistent");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.stderrText.rfind("Error inicializando SDL: ", 0), 0u) << run.stderrText;
}

TEST(Player, MissingOpenGlExtensionsEndWithStatusMinusOne) {
    TempDir dir(false);
    dir.Write("preconfig.txt", "LOAD DISPLAY 640 480 32 NO\n");
    const auto run = RunPlayer(dir.Path(), 0, std::string(kAudio) + " MESA_EXTENSION_OVERRIDE=-GL_ARB_multitexture");
    EXPECT_EQ(run.exitCode, 255);
    EXPECT_TRUE(EndsWith(dir.Read("error_log.txt"), "Error al inicializar las extensiones GL\n"));
}

}  // namespace
