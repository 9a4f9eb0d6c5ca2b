// The editing player's live reload of what is not the script: a picture
// saved over (a new file renamed into place) shows in the window at the same
// music time without a scene being read again, a preconfig.txt that gains a
// layer builds the show again and shows it, a saved scene is read again
// alone, and the markers
// recorded before the show was built again go to the script at exit.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "author/AuthorMode.h"
#include "tests/support/AuthorRun.h"
#include "tests/support/CaptureRun.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

namespace {

void SaveByRename(const TestSupport::TempDir& dir, const std::string& name, const std::string& text) {
    dir.Write(name + ".tmp", text);
    std::rename(dir.File(name + ".tmp").c_str(), dir.File(name).c_str());
}

// The colour at the window's centre, as 0xRRGGBB.
uint32_t CentreColour(const TestSupport::Picture& picture) {
    const size_t at = (static_cast<size_t>(picture.height / 2) * picture.width + picture.width / 2) * 3;
    if (picture.rgb.size() < at + 3) {
        return 0;
    }
    return static_cast<uint32_t>(picture.rgb[at]) << 16 | static_cast<uint32_t>(picture.rgb[at + 1]) << 8 |
           picture.rgb[at + 2];
}

int LogCount(const TestSupport::TempDir& dir, const std::string& text) {
    const std::string log = dir.Read("error_log.txt");
    int count = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) {
        ++count;
    }
    return count;
}

int SceneLoads(const TestSupport::TempDir& dir) { return LogCount(dir, "Cargando Escena"); }

bool Near(uint32_t colour, uint32_t wanted) {
    for (int shift = 0; shift <= 16; shift += 8) {
        if (std::abs(static_cast<int>((colour >> shift) & 0xFF) - static_cast<int>((wanted >> shift) & 0xFF)) > 24) {
            return false;
        }
    }
    return true;
}

const char* const kPreconfig =
    "LOAD DISPLAY 320 240 32 NO\n"
    "LOAD SOUND musica.flac\n"
    "LOAD ESCENA_BIN escena.bin Sala\n"
    "LOAD LAYER2D fondo.jpg BACKGROUND Fondo\n";
const char* const kScriptLine = "LOAD SCRIPT guion.txt\n";
const char* const kScript =
    "0.0 LAYER Fondo FX_SHOW\n"
    "10.0 DEMO Fondo FX_STOP\n";
// Shows the layer the new preconfig.txt adds: an error until that is saved.
const char* const kNewScript =
    "0.0 LAYER Fondo FX_SHOW\n"
    "0.0 LAYER Encima FX_SHOW\n"
    "10.0 DEMO Fondo FX_STOP\n";

TEST(AuthorReload, PicturesAndPreconfigurationReloadWhereTheShowIsAndMarkersSurvive) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    TestSupport::TempDir dir;
    ASSERT_TRUE(TestSupport::CopySampleShow(dir.Path()));
    dir.Write("preconfig.txt", std::string(kPreconfig) + kScriptLine);
    dir.Write("guion.txt", kScript);
    dir.Write("fondo.jpg", TestSupport::SolidRgbJpeg(64, 64, 255, 0, 0));
    dir.Write("encima.jpg", TestSupport::SolidRgbJpeg(64, 64, 0, 0, 255));

    AuthorOptions options;
    options.overlay = false;  // the show's own picture, without the reload's notice over it
    TestSupport::FakeWallClock wall;
    AuthorMode mode(options, &wall);
    int phase = 0;
    uint32_t seen[3] = {0, 0, 0};
    double times[4] = {-1.0, -1.0, -1.0, -1.0};
    int sceneLoads[4] = {0, 0, 0, 0};
    int rebuilds[4] = {0, 0, 0, 0};
    uint32_t sceneSaved = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    TestSupport::AuthorRun run(mode, [&](int frame, const TestSupport::Picture& picture) {
        wall.now += 16666667;
        // Real time passes, so that a save settles.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (frame == 0) {
            SDL_Event key{};
            key.type = SDL_KEYDOWN;
            key.key.keysym.sym = SDLK_l;
            SDL_PushEvent(&key);
        } else if (frame == 1) {
            mode.Seek(5.0, nullptr);
            mode.SetPaused(true);
        } else if (frame == 3) {
            seen[0] = CentreColour(picture);
            times[0] = mode.Status().time;
            sceneLoads[0] = SceneLoads(dir);
            SaveByRename(dir, "fondo.jpg", TestSupport::SolidRgbJpeg(64, 64, 0, 255, 0));
            phase = 1;
        } else if (phase == 1 && Near(CentreColour(picture), 0x00FF00)) {
            seen[1] = CentreColour(picture);
            times[1] = mode.Status().time;
            sceneLoads[1] = SceneLoads(dir);
            SaveByRename(dir, "guion.txt", kNewScript);
            SaveByRename(dir, "preconfig.txt",
                         std::string(kPreconfig) + "LOAD LAYER2D encima.jpg BACKGROUND Encima\n" + kScriptLine);
            phase = 2;
        } else if (phase == 2 && Near(CentreColour(picture), 0x0000FF)) {
            seen[2] = CentreColour(picture);
            times[2] = mode.Status().time;
            sceneLoads[2] = SceneLoads(dir);
            rebuilds[2] = LogCount(dir, "Liberando Layers2D");
            // The scene saved again: read alone.
            SaveByRename(dir, "escena.bin", dir.Read("escena.bin"));
            phase = 3;
        } else if (phase == 3 && SceneLoads(dir) > sceneLoads[2]) {
            phase = 4;
        } else if (phase == 4) {
            // The frame after the reload.
            sceneSaved = CentreColour(picture);
            times[3] = mode.Status().time;
            sceneLoads[3] = SceneLoads(dir);
            rebuilds[3] = LogCount(dir, "Liberando Layers2D");
            return false;
        }
        return std::chrono::steady_clock::now() < deadline;
    });
    ASSERT_EQ(run.Run(), 0);
    EXPECT_TRUE(Near(seen[0], 0xFF0000)) << std::hex << seen[0];
    EXPECT_TRUE(Near(seen[1], 0x00FF00)) << "the new picture never showed: " << std::hex << seen[1];
    EXPECT_TRUE(Near(seen[2], 0x0000FF)) << "the new layer never showed: " << std::hex << seen[2];
    EXPECT_EQ(sceneLoads[0], 1);
    EXPECT_EQ(sceneLoads[1], 1) << "a picture's save reads no scene again";
    EXPECT_EQ(sceneLoads[2], 2) << "a preconfig.txt save builds the whole show again";
    EXPECT_EQ(sceneLoads[3], 3) << "a scene's save reads that scene";
    EXPECT_EQ(rebuilds[3], rebuilds[2]) << "a scene's save does not build the whole show again";
    EXPECT_TRUE(Near(sceneSaved, 0x0000FF)) << std::hex << sceneSaved;
    EXPECT_DOUBLE_EQ(times[3], 5.0);
    EXPECT_DOUBLE_EQ(times[0], 5.0);
    EXPECT_DOUBLE_EQ(times[1], 5.0);
    EXPECT_DOUBLE_EQ(times[2], 5.0);
    // The marker recorded before both rebuilds went, at exit, to the script.
    const std::string saved = dir.Read("guion.txt");
    ASSERT_EQ(saved.compare(0, std::string(kNewScript).size(), kNewScript), 0) << saved;
    const std::string marker = saved.substr(std::string(kNewScript).size());
    EXPECT_EQ(std::count(marker.begin(), marker.end(), '\n'), 1) << marker;
    EXPECT_NEAR(std::atof(marker.c_str()), 0.0, 0.2) << marker;
}

}  // namespace

namespace {

// Saves of the same bytes, in the sample show paused where its scene, its
// particles, its pixel buffer and its layers all show: the scene read again
// alone, and then the whole show built again, each leave the same picture.
TEST(AuthorReload, ASceneAndTheWholeShowReadAgainDrawTheSamePicture) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    TestSupport::TempDir dir;
    ASSERT_TRUE(TestSupport::CopySampleShow(dir.Path()));
    AuthorOptions options;
    options.overlay = false;  // the show's own picture, without the reload's notice over it
    TestSupport::FakeWallClock wall;
    AuthorMode mode(options, &wall);
    int phase = 0;
    int waitFrom = 0;
    TestSupport::Picture pictures[3];
    int rebuilds[3] = {0, 0, 0};
    // What the overlay says after each reload, and once its moment is over.
    std::string notices[3];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    TestSupport::AuthorRun run(mode, [&](int frame, const TestSupport::Picture& picture) {
        wall.now += 16666667;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (frame == 0) {
            mode.Seek(11.5, nullptr);
            mode.SetPaused(true);
        } else if (frame == 2) {
            pictures[0] = picture;
            rebuilds[0] = LogCount(dir, "Liberando Layers2D");
            waitFrom = SceneLoads(dir);
            SaveByRename(dir, "escena.bin", dir.Read("escena.bin"));
            phase = 1;
        } else if (phase == 1 && SceneLoads(dir) > waitFrom) {
            phase = 2;
        } else if (phase == 2) {
            pictures[1] = picture;
            rebuilds[1] = LogCount(dir, "Liberando Layers2D");
            notices[0] = mode.OverlayInfo().notice;
            SaveByRename(dir, "preconfig.txt", dir.Read("preconfig.txt"));
            phase = 3;
        } else if (phase == 3 && LogCount(dir, "Liberando Layers2D") > rebuilds[1]) {
            phase = 4;
        } else if (phase == 4) {
            pictures[2] = picture;
            rebuilds[2] = LogCount(dir, "Liberando Layers2D");
            notices[1] = mode.OverlayInfo().notice;
            wall.now += AuthorNotice::kShownNs;
            notices[2] = mode.OverlayInfo().notice;
            return false;
        }
        return std::chrono::steady_clock::now() < deadline;
    });
    ASSERT_EQ(run.Run(), 0);
    ASSERT_EQ(phase, 4) << "a reload was never seen";
    EXPECT_EQ(rebuilds[1], rebuilds[0]) << "the scene alone was read";
    EXPECT_EQ(rebuilds[2], rebuilds[1] + 1);
    EXPECT_EQ(notices[0], "reloaded (scene Sala)");
    EXPECT_EQ(notices[1], "reloaded (the whole show)");
    EXPECT_EQ(notices[2], "") << "shown for a moment only";
    ASSERT_FALSE(pictures[0].rgb.empty());
    EXPECT_EQ(TestSupport::PictureDifference(pictures[0], pictures[1]), 0) << "after the scene's reload";
    EXPECT_EQ(TestSupport::PictureDifference(pictures[0], pictures[2]), 0) << "after the whole show's";
    if (HasFailure()) {
        TestSupport::WritePng("/tmp/i17b-before.png", pictures[0]);
        TestSupport::WritePng("/tmp/i17b-scene.png", pictures[1]);
        TestSupport::WritePng("/tmp/i17b-whole.png", pictures[2]);
    }
}

}  // namespace

namespace {

// Another window size needs the player started again: the old show plays on
// in its window and the overlay says so.
TEST(AuthorReload, ANewDisplayLineKeepsTheOldShowAndAsksForARestart) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    TestSupport::TempDir dir;
    ASSERT_TRUE(TestSupport::CopySampleShow(dir.Path()));
    dir.Write("preconfig.txt", std::string(kPreconfig) + kScriptLine);
    dir.Write("guion.txt", kScript);
    dir.Write("fondo.jpg", TestSupport::SolidRgbJpeg(64, 64, 255, 0, 0));

    AuthorOptions options;
    options.overlay = false;  // the show's own picture, without the reload's notice over it
    TestSupport::FakeWallClock wall;
    AuthorMode mode(options, &wall);
    std::string said;
    TestSupport::Picture last;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    TestSupport::AuthorRun run(mode, [&](int frame, const TestSupport::Picture& picture) {
        wall.now += 16666667;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (frame == 1) {
            mode.Seek(5.0, nullptr);
            mode.SetPaused(true);
        } else if (frame == 3) {
            std::string text = std::string(kPreconfig) + kScriptLine;
            text.replace(text.find("320 240"), 7, "400 300");
            SaveByRename(dir, "preconfig.txt", text);
        } else if (frame > 3) {
            for (const std::string& line : mode.OverlayInfo().findings) {
                if (line.find("LOAD DISPLAY") != std::string::npos) {
                    said = line;
                    last = picture;
                    return false;
                }
            }
        }
        return std::chrono::steady_clock::now() < deadline;
    });
    ASSERT_EQ(run.Run(), 0);
    EXPECT_EQ(said, "the LOAD DISPLAY line changed; restart halvenor --edit to see it");
    EXPECT_EQ(last.width, 320);
    EXPECT_TRUE(Near(CentreColour(last), 0xFF0000)) << std::hex << CentreColour(last);
    EXPECT_EQ(SceneLoads(dir), 1) << "nothing was read again";
}

}  // namespace

namespace {

// A script saved while paused in the blur: the window shows the new show's
// capture at the same time, bit for bit, though the blur before the change
// was not drawn again.
TEST(AuthorReload, AScriptSaveShowsTheNewCapturesPictureAndKeepsTheBlurBeforeTheChange) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    constexpr double kAt = 13.7;
    TestSupport::TempDir dir;
    ASSERT_TRUE(TestSupport::CopySampleShow(dir.Path()));
    const std::string script = dir.Read("guion.txt");
    const std::string from = "13.0 DEMO Sala FX_BLUR 1";
    ASSERT_NE(script.find(from), std::string::npos);
    std::string changed = script;
    changed.replace(changed.find(from), from.size(), "13.2 DEMO Sala FX_BLUR 1");
    // Not entered: the player plays the show of dir.
    TestSupport::TempDir newShow(false);
    ASSERT_TRUE(TestSupport::CopySampleShow(newShow.Path()));
    newShow.Write("guion.txt", changed);
    std::vector<TestSupport::Picture> captured;
    ASSERT_TRUE(TestSupport::CaptureStills(newShow.Path(), {kAt}, 10.0, captured));

    AuthorOptions options;
    options.at = kAt;
    options.pause = true;
    options.overlay = false;
    TestSupport::FakeWallClock wall;
    AuthorMode mode(options, &wall);
    const int64_t drawnAtStart = mode.LastSeekCost().drawn;
    int64_t drawnAfterSave = -1;
    TestSupport::Picture seen;
    int reloadsBefore = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    TestSupport::AuthorRun run(mode, [&](int frame, const TestSupport::Picture& picture) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (frame == 0) {
            reloadsBefore = LogCount(dir, "Cargando Escena");
            SaveByRename(dir, "guion.txt", changed);
        } else if (mode.Status().reloaded) {
            drawnAfterSave = mode.LastSeekCost().drawn;
            seen = picture;
            return false;
        }
        return std::chrono::steady_clock::now() < deadline;
    });
    ASSERT_EQ(run.Run(), 0);
    ASSERT_GE(drawnAfterSave, 0) << "the save was never read";
    EXPECT_EQ(TestSupport::PictureDifference(seen, captured[0]), 0);
    EXPECT_DOUBLE_EQ(mode.Status().time, kAt);
    EXPECT_EQ(LogCount(dir, "Cargando Escena"), reloadsBefore) << "only the script was read again";
    // The first blur, until 9 s, stayed kept: only what follows the change
    // is drawn again.
    EXPECT_LT(drawnAfterSave, 40) << "drawn at the start: " << drawnAtStart;
}

}  // namespace
