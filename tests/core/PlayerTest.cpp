// Whole-program runs of the halvenor player in a temporary show directory:
// exit codes, error_log.txt and stderr.
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/ShutdownLog.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestAudio.h"

using TestSupport::kClosed;
using TestSupport::kShutdownSequence;
using TestSupport::RunPlayer;
using TestSupport::TempDir;

namespace {

const char* const kAudio = "SDL_AUDIODRIVER=dummy";

std::string StartOfShow(const char* fullscreenWord) {
    return std::string("-> Inicializado sistema de LOG: [OK]\n===> Sistema inicializado.\n"
                       "-- PRECONFIG -- Configurando pantalla a [ 640 x 480 x 32 ] [ Fullscreen: ") +
           fullscreenWord +
           " ]\n-> La inicializacion grafica fue correcta.\n-> Inicializando fuentes.\n"
           // These shows have no font image: logged, and the font draws with texture 0.
           "-> [JPG LOADER] Error cargando la textura [ texturas\\font.jpg ].\n";
}

// Once the show has started the console loads its background, which these
// shows do not have either.
const char* const kConsoleWithoutBackground =
    "-> [JPG LOADER] Error cargando la textura [ texturas\\consola_fondo.jpg ].\n";

// Exactly one line, ending with its line break.
bool IsOneLine(const std::string& text) {
    return !text.empty() && text.back() == '\n' && text.find('\n') == text.size() - 1;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

const char* const kTimedShow =
    "LOAD DISPLAY 320 240 32 NO\n"
    "LOAD SOUND musica.wav\n"
    "LOAD SCRIPT guion.txt\n";

TEST(Player, OpensTheDisplayAndShutsDownInOrderOnSigtermOrSigint) {
    const std::pair<const char*, int> runs[] = {{"\n", SIGTERM}, {"\r\n", SIGINT}};
    for (const auto& [lineEnd, stopSignal] : runs) {
        TempDir dir(false);
        dir.Write("preconfig.txt", std::string("LOAD DISPLAY 640 480 32 NO") + lineEnd);
        const auto run = RunPlayer(dir.Path(), 1500, kAudio, {}, stopSignal);
        EXPECT_EQ(run.exitCode, 0) << run.stderrText;
        const std::string log = dir.Read("error_log.txt");
        EXPECT_NE(log.find(StartOfShow("NO")), std::string::npos) << log;
        EXPECT_TRUE(EndsWith(log, StartOfShow("NO") + kConsoleWithoutBackground + kShutdownSequence + kClosed)) << log;
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
    // The X driver asked for with no X server: SDL's line, then how to play
    // without a screen.
    const auto x11 = RunPlayer(dir.Path(), 0, std::string(kAudio) + " -DISPLAY -WAYLAND_DISPLAY SDL_VIDEODRIVER=x11");
    EXPECT_EQ(x11.exitCode, 1);
    EXPECT_NE(x11.stderrText.find("Error inicializando SDL: "), std::string::npos) << x11.stderrText;
    const size_t ours = x11.stderrText.rfind("halvenor: ");
    ASSERT_NE(ours, std::string::npos) << x11.stderrText;
    EXPECT_TRUE(IsOneLine(x11.stderrText.substr(ours))) << x11.stderrText;
    EXPECT_NE(x11.stderrText.find("SDL_VIDEODRIVER", ours), std::string::npos) << x11.stderrText;
    EXPECT_NE(x11.stderrText.find("xvfb-run -a halvenor", ours), std::string::npos) << x11.stderrText;
}

TEST(Player, AWindowThatCannotBeOpenedEndsWithStatusTwo) {
    TempDir dir(false);
    dir.Write("preconfig.txt", "LOAD DISPLAY 100000 100000 32 NO\n");
    const auto run = RunPlayer(dir.Path(), 0, kAudio);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.stderrText.rfind("No se pudo crear la pantalla OpenGL: ", 0), 0u) << run.stderrText;
}

TEST(Player, MissingOpenGlExtensionsEndWithStatusMinusOne) {
    TempDir dir(false);
    dir.Write("preconfig.txt", "LOAD DISPLAY 640 480 32 NO\n");
    const auto run = RunPlayer(dir.Path(), 0, std::string(kAudio) + " MESA_EXTENSION_OVERRIDE=-GL_ARB_multitexture");
    EXPECT_EQ(run.exitCode, 255);
    EXPECT_TRUE(EndsWith(dir.Read("error_log.txt"), "Error al inicializar las extensiones GL\n"));
    // Mesa may warn about the override on its own line first.
    EXPECT_TRUE(EndsWith(run.stderrText, "extensiones necesarias: GL_ARB_multitexture\n") ||
                run.stderrText.find("extensiones necesarias: GL_ARB_multitexture ") != std::string::npos)
        << run.stderrText;
}

TEST(Player, WithoutAUsableDisplayItSaysSoNamingXvfbAndEndsWithStatusOne) {
    const std::pair<const char*, const char*> cases[] = {
        {"-DISPLAY -WAYLAND_DISPLAY -SDL_VIDEODRIVER", "DISPLAY no esta definida"},
        {"SDL_VIDEODRIVER=offscreen", "\"offscreen\""},
        {"SDL_VIDEODRIVER=dummy", "\"dummy\""},
    };
    for (const auto& [environment, reason] : cases) {
        SCOPED_TRACE(environment);
        TempDir dir(false);
        dir.Write("preconfig.txt", "LOAD DISPLAY 320 240 32 NO\n");
        const auto run = RunPlayer(dir.Path(), 0, std::string(kAudio) + " " + environment);
        EXPECT_EQ(run.exitCode, 1);
        // SDL may complain about its runtime directory before our line.
        const std::string last = run.stderrText.substr(run.stderrText.rfind("halvenor: "));
        EXPECT_TRUE(IsOneLine(last)) << run.stderrText;
        EXPECT_NE(last.find(reason), std::string::npos) << last;
        EXPECT_NE(last.find("xvfb-run -a halvenor"), std::string::npos) << last;
    }
}

TEST(Player, EveryOtherFailedStartSaysWhyOnOneLine) {
    struct Case {
        const char* preconfig;
        int exitCode;
        const char* says;
    };
    const Case cases[] = {
        {"LOAD DISPLAY 640 0 32 NO\n", 1, "halvenor: la linea LOAD DISPLAY pide una ventana de 640 x 0"},
        {"LOAD DISPLAY 0 480 32 NO\n", 1, "halvenor: la linea LOAD DISPLAY pide una ventana de 0 x 480"},
        {"LOAD DISPLAY 320 240 32 NO\nLOAD ESCENA_ASE nada.ase Sala\n", 1,
         "halvenor: no se encuentra el fichero de escena [ nada.ase ]"},
        {"LOAD DISPLAY 320 240 32 NO\nLOAD ESCENA_BIN nada.bin Sala\n", 1,
         "halvenor: no se puede abrir el fichero de escena [ nada.bin ]"},
        {"// no display\n", 1, "halvenor: preconfig.txt no tiene linea LOAD DISPLAY"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.preconfig);
        TempDir dir(false);
        dir.Write("preconfig.txt", c.preconfig);
        const auto run = RunPlayer(dir.Path(), 0, kAudio);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(IsOneLine(run.stderrText)) << run.stderrText;
        EXPECT_EQ(run.stderrText.rfind(c.says, 0), 0u) << run.stderrText;
    }
    TempDir empty(false);
    const auto missing = RunPlayer(empty.Path(), 0, kAudio);
    EXPECT_TRUE(IsOneLine(missing.stderrText)) << missing.stderrText;
}

TEST(Player, HelpAndVersionPrintWithoutPlayingAndOtherWordsAreIgnoredButUnknownOptionsRefused) {
    TempDir dir(false);
    const auto help = TestSupport::RunProgram(dir.Path(), {HALVENOR_BINARY, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.stdoutText.rfind("usage: halvenor\n", 0), 0u) << help.stdoutText;
    const auto version = TestSupport::RunProgram(dir.Path(), {HALVENOR_BINARY, "--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.stdoutText.rfind("halvenor ", 0), 0u);
    EXPECT_FALSE(dir.Exists("error_log.txt"));
    // Any other word plays the show as if none were given.
    const auto other = TestSupport::RunProgram(dir.Path(), {HALVENOR_BINARY, "fullscreen"}, kAudio);
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_NE(other.stderrText.find("preconfig.txt"), std::string::npos);
    // A mistyped option, or the editing player's without --edit, is refused
    // with the usage before the show is touched.
    dir.Write("error_log.txt", "the last run's log\n");
    const std::vector<std::vector<std::string>> refused = {
        {"--edti", "--at", "5"}, {"show", "-x"}, {"--at", "5"}};
    for (const auto& words : refused) {
        std::vector<std::string> command = {HALVENOR_BINARY};
        command.insert(command.end(), words.begin(), words.end());
        const auto run = TestSupport::RunProgram(dir.Path(), command, kAudio);
        EXPECT_EQ(run.exitCode, 2) << words[0];
        EXPECT_EQ(run.stderrText.rfind("halvenor: ", 0), 0u) << run.stderrText;
        EXPECT_NE(run.stderrText.find("usage: halvenor\n"), std::string::npos) << run.stderrText;
        EXPECT_EQ(run.stdoutText, "");
    }
    EXPECT_EQ(dir.Read("error_log.txt"), "the last run's log\n");
}

TEST(Player, AShowEndsByItselfAtItsStopEvent) {
    TempDir dir(false);
    ASSERT_TRUE(TestSupport::WriteTone(dir.File("musica.wav"), 220.0, 6.0, 44100, 2, 0.06));
    dir.Write("preconfig.txt", kTimedShow);
    dir.Write("guion.txt", "2.0 DEMO x FX_STOP\n0.0 DEMO x FX_BLUR 0\n");
    const auto run = RunPlayer(dir.Path(), 0, kAudio);
    EXPECT_EQ(run.exitCode, 0) << run.stderrText;
    // Exit code 0 says it ended by itself: a stopped or killed run does not.
    EXPECT_GE(run.seconds, 1.9);
    EXPECT_TRUE(EndsWith(dir.Read("error_log.txt"),
                         "-> Liberando PBuffers: [OK]\n"
                         "-> Liberando sonido: [OK]\n"
                         "-> Liberando Script y guardando (y ordenando): [OK]\n"
                         "===> Sistema cerrado correctamente.\n"));
    EXPECT_EQ(dir.Read("guion.txt"), "2.0 DEMO x FX_STOP\n0.0 DEMO x FX_BLUR 0\n");
}

// A missing music file used to freeze the show at time 0 for good, saying
// only "ERROR!": now the file is named and the show ends at its stop.
TEST(Player, AShowWhoseMusicIsMissingNamesItAndStillEndsAtItsStop) {
    TempDir dir(false);
    dir.Write("preconfig.txt", kTimedShow);
    dir.Write("guion.txt", "1.0 DEMO x FX_STOP\n");
    const auto run = RunPlayer(dir.Path(), 30000, kAudio);
    EXPECT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_GE(run.seconds, 0.9);
    EXPECT_NE(run.stderrText.find("[No se pudo cargar el fichero de musica.] ERROR!\n"), std::string::npos)
        << run.stderrText;
    EXPECT_NE(run.stderrText.find("halvenor: no se pudo cargar el fichero de musica [ musica.wav ]"),
              std::string::npos)
        << run.stderrText;
    const std::string log = dir.Read("error_log.txt");
    EXPECT_NE(log.find("No se pudo cargar el fichero de musica [ musica.wav ]"), std::string::npos) << log;
    EXPECT_TRUE(EndsWith(log, "===> Sistema cerrado correctamente.\n")) << log;
}

TEST(Player, MarkersRecordedWithTheKeyAreAppendedToTheScript) {
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "xdotool is needed to press keys in the window";
    }
    TempDir dir(false);
    ASSERT_TRUE(TestSupport::WriteTone(dir.File("musica.wav"), 220.0, 8.0, 44100, 2, 0.06));
    dir.Write("preconfig.txt", kTimedShow);
    dir.Write("guion.txt", "0.0 DEMO x FX_BLUR 0\n3.5 DEMO x FX_STOP\n");
    // The key goes in once the music has played a while: the console loads its
    // background right after the music starts, so its log line marks the start
    // however long a loaded machine takes to get there. Tests running beside
    // this one open windows of the same name: the key goes to this player's.
    const std::string press = "for i in $(seq 100); do grep -q consola_fondo '" + dir.File("error_log.txt") +
                              "' && break; sleep 0.1; done; sleep 1; "
                              "xdotool search --sync --all --pid \"$PLAYER_PID\" --name 'Halvenor Engine' windowfocus --sync key l "
                              ">/dev/null 2>&1";
    const auto run = RunPlayer(dir.Path(), 0, kAudio, {{500, press}});
    EXPECT_EQ(run.exitCode, 0) << run.stderrText;
    const std::string script = dir.Read("guion.txt");
    const std::string head = "0.0 DEMO x FX_BLUR 0\n3.5 DEMO x FX_STOP\n";
    ASSERT_EQ(script.compare(0, head.size(), head), 0) << script;
    const std::string marker = script.substr(head.size());
    ASSERT_FALSE(marker.empty()) << "no marker was appended";
    EXPECT_EQ(marker.back(), '\n');
    const double time = std::atof(marker.c_str());
    EXPECT_GT(time, 0.5);
    EXPECT_LT(time, 3.5);
    EXPECT_EQ(marker.find('.') + 7, marker.size() - 1) << marker;  // "%f": six decimals
}

TEST(Player, TheSampleShowLoadsAndPlays) {
    TempDir dir(false);
    const std::string sample = std::string(HALVENOR_SOURCE_DIR) + "/shows/sample";
    const std::string generate = std::string(HALVENOR_BINARY_DIR) + "/MakeSampleAssets '" + dir.Path() +
                                 "' >/dev/null && cp '" + sample + "/preconfig.txt' '" + sample + "/guion.txt' '" +
                                 dir.Path() + "'";
    ASSERT_EQ(std::system(generate.c_str()), 0);
    const auto run = RunPlayer(dir.Path(), 3000, kAudio);
    EXPECT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(run.stderrText.find('['), std::string::npos) << "unexpected message box: " << run.stderrText;
    const std::string log = dir.Read("error_log.txt");
    // The scene comes from the binary file that SceneExport made of escena.ase.
    EXPECT_NE(log.find("[BIN IMP/EXP v0.9b] - Cargando 4 materiales.\n[BIN IMP/EXP v0.9b] - Cargando 4 objetos.\n"
                       "[BIN IMP/EXP v0.9b] - Cargando 2 camaras.\n[BIN IMP/EXP v0.9b] - Cargando 3 luces.\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("Error"), std::string::npos) << log;
    EXPECT_TRUE(EndsWith(log, "===> Sistema cerrado correctamente.\n"));
}

}  // namespace
