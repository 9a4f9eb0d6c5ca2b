// The editing player's picture is the capture's, bit for bit: after --at T
// --pause, after every seek (back or forward) and after a step, the window
// shows what halvenor-capture shows at the time the player says it is at;
// while paused the picture and the music time hold.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "author/AuthorMode.h"
#include "tests/support/AuthorRun.h"
#include "tests/support/CaptureRun.h"
#include "tests/support/TempDir.h"

namespace {

constexpr double kFps = 10.0;
// The sample's scene paces its pictures at 25 a second: one step from here
// lands on the picture that the capture's frame at 13.7 s shows.
constexpr double kBeforeStep = 13.65;
constexpr double kAfterStep = 13.7;

void ExpectSamePicture(const TestSupport::Picture& seen, const TestSupport::Picture& captured, double time) {
    const int difference = TestSupport::PictureDifference(seen, captured);
    if (difference != 0) {
        char name[96];
        std::snprintf(name, sizeof name, "/tmp/halvenor-author-%05.2f", time);
        TestSupport::WritePng(std::string(name) + "-window.png", seen);
        TestSupport::WritePng(std::string(name) + "-capture.png", captured);
        ADD_FAILURE() << "at " << time << " s the window differs from the capture by up to " << difference
                      << " levels; both pictures are in " << name << "-*.png";
    }
}

TEST(AuthorPictures, TheWindowIsTheCapturesFrameBitForBitAfterStartSeeksAndSteps) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    TestSupport::TempDir dir;
    ASSERT_TRUE(TestSupport::CopySampleShow(dir.Path()));
    // The blur with its feedback (and with the saturation's zoom), the
    // board's fade, the sparks and the spiral, the scene in its pixel buffer
    // and the blur's second stretch, whose first frames still show the
    // feedback picture left by the first; 13.7 s has the blur, the
    // saturation and the scene's pixel buffer at once.
    const std::vector<double> times = {5.5, 7.0, 0.8, 11.0, 13.1, kAfterStep, 14.0};
    std::vector<TestSupport::Picture> captured;
    ASSERT_TRUE(TestSupport::CaptureStills(dir.Path(), times, kFps, captured));

    AuthorOptions options;
    options.at = times[0];
    options.pause = true;
    options.overlay = false;
    TestSupport::FakeWallClock wall;
    AuthorMode mode(options, &wall);
    // Frames 0..6 show the times in order (each seek after the frame read);
    // then a seek back to the first, two frames that must hold it, a seek to
    // just before a picture, a step onto it and a step back.
    const size_t count = times.size();
    std::vector<TestSupport::Picture> seen;
    std::vector<double> shownTimes;
    TestSupport::AuthorRun run(mode, [&](int frame, const TestSupport::Picture& picture) {
        seen.push_back(picture);
        shownTimes.push_back(mode.Status().time);
        wall.now += 16666667;
        const size_t next = static_cast<size_t>(frame) + 1;
        std::string error;
        if (next < count) {
            EXPECT_TRUE(mode.Seek(times[next], &error)) << error;
        } else if (next == count) {
            EXPECT_TRUE(mode.Seek(times[0], nullptr));
        } else if (next == count + 3) {
            EXPECT_TRUE(mode.Seek(kBeforeStep, nullptr));
        } else if (next == count + 4) {
            EXPECT_TRUE(mode.Step(1, nullptr));
        } else if (next == count + 5) {
            // The time as the player writes it.
            EXPECT_TRUE(mode.Seek(std::round(shownTimes.back() * 1000.0) / 1000.0, nullptr));
        } else if (next == count + 6) {
            EXPECT_TRUE(mode.Step(-1, nullptr));
        }
        return next < count + 7;
    });
    ASSERT_EQ(run.Run(), 0);
    ASSERT_EQ(seen.size(), count + 7);

    for (size_t i = 0; i < count; ++i) {
        ExpectSamePicture(seen[i], captured[i], times[i]);
        EXPECT_DOUBLE_EQ(shownTimes[i], times[i]) << "frame " << i;
    }
    // Back at the first time after all the others.
    ExpectSamePicture(seen[count], captured[0], times[0]);
    // Paused: the same picture, pixel for pixel, at the same music time.
    for (size_t i = count + 1; i < count + 3; ++i) {
        EXPECT_EQ(TestSupport::PictureDifference(seen[i], seen[count]), 0) << "frame " << i;
        EXPECT_EQ(shownTimes[i], shownTimes[count]);
    }
    // A frame forward is the next picture of the capture's path, named by a
    // time at which the capture shows it: seeking to that time as written
    // shows it again. A frame back is the picture on screen at the time
    // sought before.
    const size_t before = count + 3;
    EXPECT_GT(shownTimes[before + 1], kBeforeStep);
    EXPECT_LE(shownTimes[before + 1], kAfterStep);
    ExpectSamePicture(seen[before + 1], captured[5], kAfterStep);
    EXPECT_EQ(TestSupport::PictureDifference(seen[before + 2], seen[before + 1]), 0);
    EXPECT_LE(shownTimes[before + 3], kBeforeStep);
    EXPECT_EQ(TestSupport::PictureDifference(seen[before + 3], seen[before]), 0);
}

}  // namespace
