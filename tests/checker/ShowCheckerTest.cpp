// The show checker on a good show and on shows carrying one author's mistake
// each: exactly one finding, on the right file and line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "checker/ShowChecker.h"
#include "fx2d/ParticleFile.h"
#include "platform/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestAudio.h"
#include "tests/support/TestImages.h"
#include "tests/support/TestModule.h"

using TestSupport::TempDir;

namespace {

const char* const kPreconfig =
    "// test show\n"
    "LOAD DISPLAY 320 240 32 NO\n"
    "LOAD SOUND musica.wav\n"
    "LOAD ESCENA_ASE escena.ase Sala\n"
    "SET ESCENA Sala FOG 10 500 0.5 1 1 1\n"
    "SET ESCENA Sala CLEAR YES\n"
    "LOAD SCRIPT guion.txt\n";

const char* const kScript =
    "0.0 SCENE Sala FX_SHOW\n"
    "0.5 SCENE Sala FX_ROTATE_OBJ 1 1.5 0 1 0\n"
    "1.0 SCENE Sala FX_CHANGE_CAM 0\n"
    "2.0 DEMO x FX_BLUR 1\n"
    "3.0 DEMO x FX_STOP\n";

// Two opaque objects sharing one textured material, one camera, one light.
// The bitmap is named on line 10.
const char* const kScene =
    "*SCENE {\n"
    "\t*SCENE_LASTFRAME 9\n"
    "\t*SCENE_FRAMESPEED 30\n"
    "}\n"
    "*MATERIAL_LIST {\n"
    "\t*MATERIAL_COUNT 1\n"
    "\t*MATERIAL 0 {\n"
    "\t\t*MATERIAL_NAME \"Pared\"\n"
    "\t\t*MATERIAL_TRANSPARENCY 0.0000\n"
    "\t\t*BITMAP \"texturas\\pared.jpg\"\n"
    "\t}\n"
    "}\n"
    "*GEOMOBJECT {\n\t*NODE_NAME \"Suelo\"\n\t*MATERIAL_REF 0\n}\n"
    "*GEOMOBJECT {\n\t*NODE_NAME \"Caja\"\n\t*MATERIAL_REF 0\n}\n"
    "*CAMERAOBJECT {\n\t*NODE_TM {\n\t\t*TM_POS 1.0 2.0 3.0\n\t}\n\t*CAMERA_SETTINGS {\n\t\t*CAMERA_FOV 0.7854\n\t}\n}\n"
    "*LIGHTOBJECT {\n\t*NODE_NAME \"Sol\"\n\t*NODE_TM {\n\t\t*TM_POS 1 2 3\n\t}\n}\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::string Repeated(const std::string& line, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += line;
    }
    return text;
}

class ShowCheckerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TestSupport::WriteTone(dir.File("musica.wav"), 220.0, 4.0, 8000, 1, 0.1));
        const std::string jpeg = TestSupport::SolidRgbJpeg(4, 4, 200, 100, 50);
        dir.Write("texturas/pared.jpg", jpeg);
        dir.Write("texturas/font.jpg", jpeg);
        dir.Write("texturas/consola_fondo.jpg", jpeg);
        dir.Write("escena.ase", kScene);
        // A particle file naming a texture the show does not have.
        ParticleFile sparks;
        ParticleFile::Name texture{};
        std::snprintf(texture.data(), texture.size(), "%s", "texturas\\chispa.jpg");
        sparks.textureNames = {texture, texture};
        sparks.particles.resize(2);
        ASSERT_TRUE(sparks.Write(dir.File("chispas.bin").c_str()));
        dir.Write("corta.bin", std::string(10, '\x01'));
    }

    // The findings, less the notes on lines this engine does not act on yet.
    std::vector<ShowFinding> Check(const std::string& preconfig, const std::string& script) {
        dir.Write("preconfig.txt", preconfig);
        dir.Write("guion.txt", script);
        checker.Check();
        std::vector<ShowFinding> findings;
        for (const ShowFinding& finding : checker.Findings()) {
            if (finding.message.find("not built in this engine yet") == std::string::npos) {
                findings.push_back(finding);
            }
        }
        return findings;
    }

    TempDir dir;
    ShowChecker checker;
};

TEST_F(ShowCheckerTest, AGoodShowHasNoFindingAndASummaryWithIndices) {
    EXPECT_TRUE(Check(kPreconfig, kScript).empty()) << checker.Report();
    EXPECT_EQ(checker.Summary(),
              "display      320 x 240, 32 bits, windowed\n"
              "scene        Sala (escena.ase): 2 objects [0 Suelo, 1 Caja], 1 camera [0], 1 light [0]\n"
              "music        musica.wav, 4.00 s (loops)\n"
              "script       guion.txt: 5 events from 0.00 s to 3.00 s; ends at 3.00 s\n");
}

TEST_F(ShowCheckerTest, AModuleIsReadWithItsFormatTitleChannelsOrdersAndLength) {
    // Three patterns at speed 2: 7.68 s.
    ASSERT_TRUE(TestSupport::WriteTestModule(dir.File("cancion.xm"), 3, 2, "Mi cancion"));
    const std::string preconfig = Replaced(kPreconfig, "musica.wav", "cancion.xm");
    EXPECT_TRUE(Check(preconfig, kScript).empty()) << checker.Report();
    const std::string summary = checker.Summary();
    EXPECT_NE(summary.find("music        cancion.xm, 7.68 s (loops); module: ProTracker MOD (M.K.) \"Mi cancion\", "
                           "4 channels, 3 orders\n"),
              std::string::npos)
        << summary;

    // Neither a sound file nor a module; a module cut in its header.
    dir.Write("ruido.xm", std::string(3000, '\x5a'));
    dir.Write("cortado.mod", TestSupport::TestModuleBytes(1, 6).substr(0, 1000));
    for (const char* name : {"ruido.xm", "cortado.mod"}) {
        dir.Write("preconfig.txt", Replaced(kPreconfig, "musica.wav", name));
        ShowChecker fresh;
        fresh.Check();
        const std::vector<ShowFinding>& findings = fresh.Findings();
        ASSERT_FALSE(findings.empty()) << name;
        EXPECT_EQ(findings[0].line, 3);
        EXPECT_NE(findings[0].message.find("is neither a sound file it can decode (WAV, FLAC, Ogg or MP3, up to 30 "
                                           "minutes) nor a module it can read (MOD, XM, S3M, IT, ...)"),
                  std::string::npos)
            << findings[0].message;
    }
}

TEST_F(ShowCheckerTest, TheEnginesPathRulesFindFilesInAnyCaseAndWithBackslashes) {
    const std::string preconfig = Replaced(kPreconfig, "escena.ase", "ESCENA.ASE");
    EXPECT_TRUE(Check(Replaced(preconfig, "guion.txt", ".\\Guion.TXT"), kScript).empty()) << checker.Report();
}

struct Mistake {
    const char* what;
    std::string preconfig;
    std::string script;
    const char* file;
    int line;
    bool error;
    const char* says;
};

TEST_F(ShowCheckerTest, EachMistakeGivesOneFindingOnItsLine) {
    const std::string p = kPreconfig;
    const std::string s = kScript;
    const std::vector<Mistake> mistakes = {
        {"unknown kind", Replaced(p, "ESCENA_ASE", "ESCENA-ASE"), s, "preconfig.txt", 4, true,
         "unknown LOAD kind 'ESCENA-ASE' (did you mean ESCENA_ASE?)"},
        {"unknown command", Replaced(p, "LOAD SOUND", "LAOD SOUND"), s, "preconfig.txt", 3, true,
         "unknown command 'LAOD' (did you mean LOAD?)"},
        {"unknown sub-keyword", Replaced(p, "Sala FOG", "Sala FOGG"), s, "preconfig.txt", 5, true,
         "sub-keyword 'FOGG' (did you mean FOG?)"},
        {"unknown layer type", p + "LOAD LAYER2D texturas\\pared.jpg BORAD Tablero\n", s, "preconfig.txt", 8, true,
         "unknown layer type 'BORAD' (did you mean BOARD?)"},
        {"unknown effect", p, Replaced(s, "FX_SHOW", "FX_SHWO"), "guion.txt", 1, true,
         "unknown effect 'FX_SHWO' (did you mean FX_SHOW?)"},
        {"unknown target", p, Replaced(s, "0.0 SCENE", "0.0 SCEN"), "guion.txt", 1, true,
         "unknown target 'SCEN' (did you mean SCENE?)"},
        {"misspelt scene in the script", p, Replaced(s, "0.0 SCENE Sala", "0.0 SCENE Sal"), "guion.txt", 1, true,
         "no scene named 'Sal' is loaded (did you mean Sala?)"},
        {"SET on nothing", Replaced(p, "Sala CLEAR", "Salon CLEAR"), s, "preconfig.txt", 6, true,
         "no scene named 'Salon' was loaded before this line"},
        {"missing music", Replaced(p, "musica.wav", "musica.ogg"), s, "preconfig.txt", 3, true,
         "music 'musica.ogg' not found (did you mean musica.wav?)"},
        {"missing script", Replaced(p, "guion.txt", "guion2.txt"), s, "preconfig.txt", 7, true,
         "script 'guion2.txt' not found"},
        {"missing scene", Replaced(p, "escena.ase", "nada.ase"), s, "preconfig.txt", 4, true,
         "scene file 'nada.ase' not found"},
        {"missing image", p + "LOAD LAYER2D fondo.jpg BACKGROUND Fondo\n", s, "preconfig.txt", 8, true,
         "image 'fondo.jpg' not found"},
        // The layer never shows: an error, like a missing texture.
        {"image the engine does not read", p + "LOAD LOAD_SCREEN carga.png\n", s, "preconfig.txt", 8, true,
         "only .jpg (JPEG) and .tga"},
        {"scene before the display", Replaced(Replaced(p, "LOAD ESCENA_ASE escena.ase Sala\n", ""), "// test show\n",
                                              "LOAD ESCENA_ASE escena.ase Sala\n"),
         s, "preconfig.txt", 1, true, "comes before the LOAD DISPLAY line"},
        {"last line without a line break", p + "SET ESCENA Sala CLEAR NO", s, "preconfig.txt", 8, true,
         "no line break"},
        {"no SOUND line", Replaced(p, "LOAD SOUND musica.wav\n", ""), s, "guion.txt", 2, true,
         "never due (with 3 later events): without a LOAD SOUND line"},
        {"music shorter than the stop", p, Replaced(s, "3.0 DEMO x FX_STOP", "5.0 DEMO x FX_STOP"), "guion.txt", 5,
         true, "the music lasts 4.00 s and loops, so its time never reaches 5.00 s"},
        {"time not a number", p, Replaced(s, "0.5 SCENE", "0,5 SCENE"), "guion.txt", 2, true,
         "time '0,5' is not a number: the engine reads 0"},
        {"stop without its name word", p, Replaced(s, "DEMO x FX_STOP", "DEMO FX_STOP"), "guion.txt", 5, true,
         "'FX_STOP' stands where the name goes: write 3.0 DEMO x FX_STOP"},
        {"no stop", p, Replaced(s, "3.0 DEMO x FX_STOP\n", ""), "guion.txt", 0, true, "no DEMO FX_STOP event"},
        {"object outside the scene", p, Replaced(s, "FX_ROTATE_OBJ 1", "FX_ROTATE_OBJ 2"), "guion.txt", 2, true,
         "object 2 does not exist: scene 'Sala' has objects 0-1"},
        {"camera outside the scene", p, Replaced(s, "FX_CHANGE_CAM 0", "FX_CHANGE_CAM 3"), "guion.txt", 3, true,
         "camera 3 does not exist: scene 'Sala' has cameras 0"},
        {"tab in the preconfiguration", Replaced(p, "LOAD SOUND ", "LOAD SOUND\t"), s, "preconfig.txt", 3, true,
         "a tab stands between words"},
        {"tab in the script", p, Replaced(s, "DEMO x FX_BLUR", "DEMO x\tFX_BLUR"), "guion.txt", 4, true,
         "a tab stands between words"},
        {"zero window height", Replaced(p, "320 240", "320 0"), s, "preconfig.txt", 2, true,
         "above 0: halvenor refuses this line"},
        {"pixel buffer too large", p + "LOAD PBUFFER PB_GRANDE 8192 512\n", s, "preconfig.txt", 8, true,
         "sides are at most 4096 pixels: halvenor refuses it"},
        {"effect on a target it does nothing to", p, Replaced(s, "DEMO x FX_BLUR 1", "SCENE Sala FX_BLUR 1"),
         "guion.txt", 4, false, "SCENE FX_BLUR does nothing"},
        {"flag other than 0 or 1", p, Replaced(s, "FX_BLUR 1", "FX_BLUR 2"), "guion.txt", 4, false,
         "only exactly 1 is on"},
        {"event after the stop", p, s + "3.5 DEMO x FX_BLUR 0\n", "guion.txt", 6, false,
         "never applied: the show ends at the FX_STOP of line 5"},
        {"SET before its LOAD", Replaced(p, "LOAD ESCENA_ASE escena.ase Sala\nSET ESCENA Sala FOG 10 500 0.5 1 1 1\n",
                                          "SET ESCENA Sala FOG 10 500 0.5 1 1 1\nLOAD ESCENA_ASE escena.ase Sala\n"),
         s, "preconfig.txt", 4, true, "no scene named 'Sala' was loaded before this line"},
        {"unknown SET kind", Replaced(p, "SET ESCENA Sala CLEAR", "SET ESCENAS Sala CLEAR"), s, "preconfig.txt", 6,
         true, "unknown SET kind 'ESCENAS' (did you mean ESCENA?)"},
        {"too few words", Replaced(p, "FOG 10 500 0.5 1 1 1", "FOG 10 500"), s, "preconfig.txt", 5, true,
         "too few words: write SET ESCENA name FOG start end density red green blue"},
        {"not a number", Replaced(p, "FOG 10 500", "FOG 10 quinientos"), s, "preconfig.txt", 5, true,
         "'quinientos' is not a number: the engine reads 0"},
        {"a second display", p + "LOAD DISPLAY 640 480 32 NO\n", s, "preconfig.txt", 8, false,
         "a second DISPLAY line (the first is line 2)"},
        {"a name used twice", p + "LOAD ESCENA_ASE escena.ase sala\n", s, "preconfig.txt", 8, false,
         "a scene named 'sala' exists already (line 4)"},
        {"over-long line", p + "// " + std::string(160, '=') + "\n", s, "preconfig.txt", 8, true,
         "longer than 148 characters"},
        {"too many events", p, s + Repeated("1.0 SCENE Sala FX_SHOW\n", 500),
         "guion.txt", 501, true, "more than 500 events"},
        {"missing particle texture", p + "LOAD PARTICULAS chispas.bin Chispas\n", s, "preconfig.txt", 8, true,
         "particle texture 'texturas\\chispa.jpg' not found"},
        {"particle file without its header", p + "LOAD PARTICULAS corta.bin Corta\n", s, "preconfig.txt", 8, false,
         "shorter than its 25-byte header: the system is empty"},
        // Last: it spoils the scene's texture for the cases after it.
        {"not a JPEG", p, s, "escena.ase", 10, true, "texture 'texturas\\pared.jpg' is not a JPEG file"},
    };
    for (const Mistake& mistake : mistakes) {
        SCOPED_TRACE(mistake.what);
        if (std::string(mistake.what) == "not a JPEG") {
            dir.Write("texturas/pared.jpg", "GIF89a");
        }
        checker = ShowChecker();
        const std::vector<ShowFinding> findings = Check(mistake.preconfig, mistake.script);
        ASSERT_EQ(findings.size(), 1u) << checker.Report();
        EXPECT_EQ(findings[0].file, mistake.file);
        EXPECT_EQ(findings[0].line, mistake.line);
        EXPECT_EQ(findings[0].error, mistake.error);
        EXPECT_NE(findings[0].message.find(mistake.says), std::string::npos) << findings[0].message;
    }
}

TEST_F(ShowCheckerTest, MarkersCommentsAndTheEnginesOwnResourcesAreNoMistakes) {
    const std::string preconfig = std::string(kPreconfig) + "//LOAD NOTHING\n\n   \r\n";
    const std::string script = std::string(kScript) + "1.500000\n\n0.0 LAYER LAYER_BLUR FX_HIDE\n"
                                                      "0.0 scene sala fx_change_cam 0 and a comment\n";
    EXPECT_TRUE(Check(preconfig, script).empty()) << checker.Report();
    EXPECT_NE(checker.Summary().find("7 events from 0.00 s to 3.00 s, 1 marker"), std::string::npos)
        << checker.Summary();
}

TEST_F(ShowCheckerTest, AMissingTextureInsideTheSceneIsFoundOnItsLine) {
    dir.Write("texturas/pared.jpg", "");
    std::remove(dir.File("texturas/pared.jpg").c_str());
    const std::vector<ShowFinding> findings = Check(kPreconfig, kScript);
    ASSERT_EQ(findings.size(), 1u) << checker.Report();
    EXPECT_EQ(checker.Report(),
              "escena.ase:10: error: texture 'texturas\\pared.jpg' not found: it is drawn without its picture\n");
}

// A camera exported with a sample every 4 frames made the scene vanish from
// about 4 s on, and nothing said so.
TEST_F(ShowCheckerTest, TracksSampledEveryFewFramesOrShorterThanTheSceneAreWarnedOnTheirLine) {
    std::string scene = "*SCENE {\n\t*SCENE_LASTFRAME 400\n\t*SCENE_FRAMESPEED 25\n\t*SCENE_TICKSPERFRAME 160\n}\n"
                        "*CAMERAOBJECT {\n\t*NODE_TM {\n\t\t*TM_POS 0 -100 0\n\t}\n"
                        "\t*TM_ANIMATION {\n\t\t*CONTROL_POS_TRACK {\n";
    for (int frame = 0; frame <= 400; frame += 4) {
        scene += "\t\t\t*CONTROL_POS_SAMPLE " + std::to_string(frame * 160) + "\t0 -100 0\n";
    }
    scene += "\t\t}\n\t}\n}\n*LIGHTOBJECT {\n\t*NODE_TM {\n\t\t*TM_POS 1 2 3\n\t}\n"
             "\t*LIGHT_SETTINGS {\n\t\t*LIGHT_COLOR 1 1 1\n\t}\n\t*TM_ANIMATION {\n\t\t*CONTROL_POS_TRACK {\n";
    const int lightTrackLine = static_cast<int>(std::count(scene.begin(), scene.end(), '\n'));
    for (int frame = 0; frame < 5; ++frame) {
        scene += "\t\t\t*CONTROL_POS_SAMPLE " + std::to_string(frame * 160) + "\t1 2 3\n";
    }
    scene += "\t\t}\n\t}\n}\n";
    dir.Write("escena.ase", scene);
    // This scene has no objects to turn.
    const std::vector<ShowFinding> findings =
        Check(kPreconfig, Replaced(kScript, "0.5 SCENE Sala FX_ROTATE_OBJ 1 1.5 0 1 0\n", ""));
    ASSERT_EQ(findings.size(), 2u) << checker.Report();
    EXPECT_FALSE(findings[0].error);
    EXPECT_EQ(findings[0].file, "escena.ase");
    EXPECT_EQ(findings[0].line, 11);
    EXPECT_EQ(findings[0].message,
              "camera 0's position track: samples every 4 frames are played one per frame: this camera moves 4 × "
              "faster than in the modeller and holds still from frame 100 (export one sample per frame)");
    EXPECT_EQ(findings[1].line, lightTrackLine);
    EXPECT_EQ(findings[1].message,
              "light 0's position track: 5 samples for the scene's 401 frames: this light holds still from frame 4");
}

// A missing music file plays on a silent clock, so the show still ends at
// its stop, and the summary says both.
TEST_F(ShowCheckerTest, MissingMusicIsAnErrorAndTheSummaryAgreesTheShowStillEnds) {
    const std::vector<ShowFinding> findings = Check(Replaced(kPreconfig, "musica.wav", "musica.ogg"), kScript);
    ASSERT_EQ(findings.size(), 1u) << checker.Report();
    EXPECT_TRUE(findings[0].error);
    EXPECT_NE(findings[0].message.find("without sound, its time kept by a silent clock"), std::string::npos)
        << findings[0].message;
    EXPECT_NE(checker.Summary().find("music        musica.ogg: not loaded, the show plays without sound on a "
                                     "silent clock\n"),
              std::string::npos)
        << checker.Summary();
    EXPECT_NE(checker.Summary().find("; ends at 3.00 s\n"), std::string::npos) << checker.Summary();
}

// An author who keeps the old take beside the new one and names the new one
// before saving it: the music gets the hint a scene name gets.
TEST_F(ShowCheckerTest, AMissingMusicFileSuggestsACopyKeptUnderALongerName) {
    std::rename(dir.File("musica.wav").c_str(), dir.File("musica_old.ogg").c_str());
    dir.Write("musica_old.txt", "notes");
    const std::vector<ShowFinding> findings = Check(Replaced(kPreconfig, "musica.wav", "musica.ogg"), kScript);
    ASSERT_EQ(findings.size(), 1u) << checker.Report();
    EXPECT_EQ(findings[0].line, 3);
    EXPECT_NE(findings[0].message.find("music 'musica.ogg' not found (did you mean musica_old.ogg?)"),
              std::string::npos)
        << findings[0].message;
}

TEST_F(ShowCheckerTest, WithoutPreconfigurationOrDisplayOrScriptTheShowCannotPlay) {
    const std::vector<ShowFinding> none = Check("", kScript);
    ASSERT_EQ(none.size(), 2u) << checker.Report();
    EXPECT_NE(none[0].message.find("no LOAD DISPLAY line"), std::string::npos);
    EXPECT_NE(none[1].message.find("no LOAD SCRIPT line"), std::string::npos);
    std::remove(dir.File("preconfig.txt").c_str());
    ShowChecker missing;
    missing.Check();
    ASSERT_EQ(missing.Findings().size(), 1u);
    EXPECT_EQ(missing.Report().rfind("preconfig.txt: error: not found", 0), 0u) << missing.Report();
}

TEST_F(ShowCheckerTest, AFileThatIsNoShowGivesABoundedReport) {
    std::string garbage;
    for (int i = 0; i < 5000; ++i) {
        garbage += "\x89PNG\t\x01 x\n";
    }
    const std::vector<ShowFinding> findings = Check(garbage, garbage);
    ASSERT_EQ(findings.size(), ShowChecker::kMaxFindings + 1);
    EXPECT_EQ(findings.back().message, "too many problems: the rest is left out");
}

[[noreturn]] void AbortOnEnding(unsigned /*status*/) { std::abort(); }

// A face line before the object's face count ends the player; the checker
// reads the same file and says so instead, then goes on with the show.
TEST_F(ShowCheckerTest, ASceneThatEndsThePlayerIsAFindingAndTheCheckGoesOn) {
    dir.Write("escena.ase", "*GEOMOBJECT {\n\t*NODE_NAME \"Roto\"\n\t*MESH {\n\t\t*MESH_FACE 0: A: 0 B: 1 C: 2\n"
                            "\t\t*MESH_NUMFACES 1\n\t}\n}\n");
    // The player's own ending stays in place around the checker's reading.
    Platform::SetExitHandler(AbortOnEnding);
    const std::vector<ShowFinding> findings = Check(kPreconfig, kScript + std::string("4.0 SCENE Nadie FX_SHOW\n"));
    EXPECT_EQ(Platform::CurrentExitHandler(), &AbortOnEnding);
    Platform::SetExitHandler(nullptr);
    const std::string report = checker.Report();
    EXPECT_NE(report.find("escena.ase: error: reading it ends halvenor with exit status 1 after the box "
                          "[Error de inicializacion] No esta iniciado el vector de caras\n"),
              std::string::npos)
        << report;
    // The script after the scene is still checked.
    EXPECT_NE(report.find("guion.txt:6: error: no scene named 'Nadie'"), std::string::npos) << report;
    EXPECT_NE(checker.Summary().find("scene        Sala (escena.ase): not read by the checker"), std::string::npos)
        << checker.Summary();
}

std::string Listed(const std::vector<ShowFile>& files) {
    static const char* const kKinds[] = {"preconfig", "script", "scene", "texture", "particles", "music", "engine"};
    std::string text;
    for (const ShowFile& file : files) {
        text += std::string(kKinds[static_cast<int>(file.kind)]) + " " + file.path +
                (file.owner.empty() ? "" : " (" + file.owner + ")") + "\n";
    }
    return text;
}

// What a reloading player watches: every file the show loads, as found on
// disk, with what it belongs to; and the window it asks for.
TEST_F(ShowCheckerTest, TheFilesTheShowLoadsAreListedAsFoundOnDisk) {
    const std::string preconfig = Replaced(kPreconfig, "escena.ase", "ESCENA.ASE") +
                                  "LOAD LAYER2D texturas\\Pared.jpg BOARD Cartel\n"
                                  "LOAD LAYER2D x PBUFFER Espejo\n"
                                  "LOAD PARTICULAS chispas.bin Chispas\n"
                                  "LOAD SCRIPT otro.txt\n";
    Check(preconfig, kScript);
    EXPECT_EQ(Listed(checker.Files()),
              "preconfig preconfig.txt\n"
              "music musica.wav\n"
              "scene escena.ase (Sala)\n"
              "texture texturas/pared.jpg (Sala)\n"
              "script guion.txt\n"
              "texture texturas/pared.jpg (Cartel)\n"
              "particles chispas.bin (Chispas)\n"
              "texture texturas/chispa.jpg (Chispas)\n"
              "script otro.txt\n"
              "engine texturas/font.jpg\n"
              "engine texturas/consola_fondo.jpg\n");
    EXPECT_EQ(checker.DisplayMode(), "320 x 240 x 32 windowed");
    ShowChecker none;
    EXPECT_EQ(none.DisplayMode(), "");
}

}  // namespace
