// The editing player's picture is the capture's: after --at T --pause, and
// after every seek (back or forward), the window shows what halvenor-capture
// shows at music time T, within the tolerance of the sample's reference
// pictures; while paused the picture and the music time hold.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "author/AuthorMode.h"
#include "tests/support/AuthorRun.h"
#include "tests/support/CaptureRun.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int kBlock = 4;
constexpr int kTolerance = 12;
constexpr double kFps = 10.0;

void ExpectSamePicture(const TestSupport::Picture& seen, const TestSupport::Picture& captured, double time) {
    const int difference =
        TestSupport::PictureDifference(TestSupport::Downsample(seen, kBlock), TestSupport::Downsample(captured, kBlock));
    if (difference > kTolerance) {
        char name[96];
        std::snprintf(name, sizeof name, "/tmp/halvenor-author-%05.2f", time);
        TestSupport::WritePng(std::string(name) + "-window.png", seen);
        TestSupport::WritePng(std::string(name) + "-capture.png", captured);
        ADD_FAILURE() << "at " << time << " s the window differs from the capture by " << difference
                      << " levels; both pictures are in " << name << "-*.png";
    }
}

TEST(AuthorPictures, TheWindowAtTimeTIsTheCapturesFrameAtTAfterStartSeeksAndSeeksBack) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    TestSupport::TempDir dir;
    ASSERT_TRUE(TestSupport::CopySampleShow(dir.Path()));
    // The blur with its feedback (and with the saturation's zoom), the
    // board's fade, the sparks and the spiral, the scene in its pixel buffer
    // and the blur's second stretch, whose first frames still show the
    // feedback picture left by the first.
    const std::vector<double> times = {5.5, 7.0, 0.8, 11.0, 13.1, 14.0};
    std::vector<TestSupport::Picture> captured;
    ASSERT_TRUE(TestSupport::CaptureStills(dir.Path(), times, kFps, captured));

    AuthorOptions options;
    options.at = times[0];
    options.pause = true;
    options.overlay = false;
    TestSupport::FakeWallClock wall;
    AuthorMode mode(options, &wall);
    // Frames 0..5 show the times in order (each seek after the frame read);
    // then a seek back to the first, and two frames that must hold it.
    std::vector<TestSupport::Picture> seen;
    std::vector<double> shownTimes;
    TestSupport::AuthorRun run(mode, [&](int frame, const TestSupport::Picture& picture) {
        seen.push_back(picture);
        shownTimes.push_back(mode.Status().time);
        wall.now += 16666667;
        const size_t next = static_cast<size_t>(frame) + 1;
        if (next < times.size()) {
            std::string error;
            EXPECT_TRUE(mode.Seek(times[next], &error)) << error;
        } else if (next == times.size()) {
            EXPECT_TRUE(mode.Seek(times[0], nullptr));
        } else if (next == times.size() + 3) {
            EXPECT_TRUE(mode.Step(1, nullptr));
        } else if (next == times.size() + 4) {
            EXPECT_TRUE(mode.Step(-1, nullptr));
        }
        return next < times.size() + 5;
    });
    ASSERT_EQ(run.Run(), 0);
    ASSERT_EQ(seen.size(), times.size() + 5);

    for (size_t i = 0; i < times.size(); ++i) {
        ExpectSamePicture(seen[i], captured[i], times[i]);
        EXPECT_NEAR(shownTimes[i], times[i], 0.05) << "frame " << i;
    }
    // Back at the first time after all the others.
    ExpectSamePicture(seen[times.size()], captured[0], times[0]);
    // Paused: the same picture, pixel for pixel, at the same music time.
    for (size_t i = times.size() + 1; i < times.size() + 3; ++i) {
        EXPECT_EQ(TestSupport::PictureDifference(seen[i], seen[times.size()]), 0) << "frame " << i;
        EXPECT_EQ(shownTimes[i], shownTimes[times.size()]);
    }
    // A frame forward is the next picture of the capture's timeline (a
    // scene at 25 frames a second: 40 ms on); a frame back is the picture on
    // screen at the first time again.
    const size_t forward = times.size() + 3;
    EXPECT_GT(shownTimes[forward], times[0]);
    EXPECT_LT(shownTimes[forward], times[0] + 0.05);
    EXPECT_LE(shownTimes[forward + 1], times[0]);
    EXPECT_GT(shownTimes[forward + 1], times[0] - 0.05);
    ExpectSamePicture(seen[forward + 1], captured[0], times[0]);
}

}  // namespace
