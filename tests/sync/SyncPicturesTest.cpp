// Tracks read from their files drive what is drawn: a layer faded in and slid
// to the right by two tracks, and a shader layer whose own uniform a third
// track sets, show the tracks' values at each music time, read back from the
// capture's frames and from the editing player's window; both show the same
// picture at the same time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "author/AuthorMode.h"
#include "sync/SyncTrack.h"
#include "sync/TrackFile.h"
#include "tests/support/AuthorRun.h"
#include "tests/support/CaptureRun.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestAudio.h"
#include "tests/support/TestImages.h"

namespace {

int Grey(const TestSupport::Picture& picture, int x, int y) {
    const size_t at = (static_cast<size_t>(y) * picture.width + x) * 3;
    return picture.rgb[at] == picture.rgb[at + 1] && picture.rgb[at] == picture.rgb[at + 2] ? picture.rgb[at] : -1;
}

void WriteTrack(const std::string& name, float last) {
    SyncTrack track(name);
    track.SetKey(SyncKey{0, 0.0f, SyncKey::kLinear});
    track.SetKey(SyncKey{32, last, SyncKey::kLinear});
    std::string error;
    ASSERT_TRUE(TrackFile::Write(TrackFile::PathFor("pistas/sync", name), track, &error)) << error;
}

TEST(SyncPictures, ALayersTracksShowTheirValuesInTheCaptureAndInTheWindow) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    TestSupport::TempDir dir;
    ASSERT_TRUE(TestSupport::WriteTone(dir.File("musica.wav"), 330.0, 10.0, 8000, 1, 0.1));
    dir.Write("blanco.jpg", TestSupport::SolidRgbJpeg(16, 16, 255, 255, 255));
    dir.Write("pistas/.keep", "");
    // 60 bpm at 4 rows a beat: row 32 is 8 s. Alpha goes from 0 to 1, the
    // left edge from 0 to 80 pixels: t / 8 and 10 t at music time t.
    WriteTrack("Blanco:alpha", 1.0f);
    WriteTrack("Blanco:x", 80.0f);
    // The shader adds its uniform's level over the upper half: t / 16.
    WriteTrack("Luz:level", 0.5f);
    dir.Write("luz.frag",
              "uniform float level;\n"
              "void mainImage(out vec4 fragColor, in vec2 fragCoord) {\n"
              "    fragColor = vec4(vec3(fragCoord.y > iResolution.y * 0.5 ? level : 0.0), 1.0);\n"
              "}\n");
    dir.Write("preconfig.txt",
              "LOAD DISPLAY 160 120 32 NO\nLOAD SOUND musica.wav\nLOAD TRACKS pistas\\sync 60 4\n"
              "LOAD LAYER2D blanco.jpg BACKGROUND Blanco\nLOAD LAYER2D luz.frag SHADER Luz\n"
              "SET LAYER2D Luz ALPHA_FUNC 0\nLOAD SCRIPT guion.txt\n");
    dir.Write("guion.txt", "0.0 LAYER Blanco FX_SHOW\n0.0 LAYER Luz FX_SHOW\n9.0 DEMO x FX_STOP\n");

    const std::vector<double> times = {2.0, 4.0, 6.0};
    std::vector<TestSupport::Picture> captured;
    ASSERT_TRUE(TestSupport::CaptureStills(dir.Path(), times, 2.0, captured));
    ASSERT_EQ(captured.size(), times.size());
    for (size_t i = 0; i < times.size(); ++i) {
        const double t = times[i];
        const int edge = static_cast<int>(10.0 * t);
        EXPECT_NEAR(Grey(captured[i], 150, 90), t / 8.0 * 255.0, 2.0) << t;
        EXPECT_NEAR(Grey(captured[i], edge + 2, 90), t / 8.0 * 255.0, 2.0) << t;
        EXPECT_EQ(Grey(captured[i], edge - 2, 90), 0) << t << ": left of the layer's edge";
        EXPECT_NEAR(Grey(captured[i], 150, 30), std::min((t / 8.0 + t / 16.0) * 255.0, 255.0), 2.0)
            << t << ": the shader's level";
    }

    // The editing player, seeking to the same times, shows the same pictures.
    AuthorOptions options;
    options.pause = true;
    options.at = times[0];
    options.overlay = false;
    TestSupport::FakeWallClock wall;
    AuthorMode mode(options, &wall);
    std::vector<TestSupport::Picture> shown;
    TestSupport::AuthorRun run(mode, [&](int, const TestSupport::Picture& picture) {
        if (mode.Status().time == times[shown.size()]) {
            shown.push_back(picture);
            if (shown.size() < times.size()) {
                mode.Seek(times[shown.size()], nullptr);
            }
        }
        return shown.size() < times.size();
    });
    ASSERT_EQ(run.Run(), 0);
    ASSERT_EQ(shown.size(), times.size());
    for (size_t i = 0; i < times.size(); ++i) {
        EXPECT_LE(TestSupport::PictureDifference(shown[i], captured[i]), 3) << times[i];
    }
}

}  // namespace
