// The editing player playing: its keys act through the window's input queue,
// the overlay is drawn over the frame and hidden by t, a loop keeps the music
// inside its stretch over several wraps, and speed 2 moves the music twice as
// fast as the wall clock. The wall clock is the test's own: it moves a 60 Hz
// frame at a time, and by the waits the player asks for.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "author/AuthorMode.h"
#include "tests/support/AuthorRun.h"
#include "tests/support/CaptureRun.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int64_t kFrameNs = 16666667;
constexpr double kLoopStart = 3.0;
constexpr double kLoopEnd = 4.0;

void Push(SDLKey key) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

// The largest difference within a rectangle of two pictures of one size.
int RegionDifference(const TestSupport::Picture& a, const TestSupport::Picture& b, int x0, int y0, int x1, int y1) {
    int worst = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            for (int c = 0; c < 3; ++c) {
                const size_t i = (static_cast<size_t>(y) * a.width + x) * 3 + c;
                worst = std::max(worst, std::abs(static_cast<int>(a.rgb[i]) - static_cast<int>(b.rgb[i])));
            }
        }
    }
    return worst;
}

struct Phase {
    int firstFrame;
    std::vector<double> times;
    std::vector<int64_t> wallNs;
};

TEST(AuthorPlayback, OverlayLoopAndSpeedActAsTheKeysSay) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    TestSupport::TempDir dir;
    ASSERT_TRUE(TestSupport::CopySampleShow(dir.Path()));

    AuthorOptions options;
    options.loopSet = true;
    options.loopStart = kLoopStart;
    options.loopEnd = kLoopEnd;
    options.at = kLoopStart;
    options.pause = true;
    TestSupport::FakeWallClock wall;
    AuthorMode mode(options, &wall);

    // Frame 0 paused with the overlay, 1 paused without it (t), then p plays
    // the loop; at frame kSpeedOne the loop is cleared (\), at kSpeedTwo the
    // speed goes up to 2 (=).
    constexpr int kPlay = 2;
    constexpr int kSpeedOne = 120;
    constexpr int kSpeedTwo = 180;
    constexpr int kLast = 240;
    std::vector<TestSupport::Picture> pausedFrames;
    std::vector<double> times;
    std::vector<int64_t> walls;
    std::vector<double> speeds;
    TestSupport::AuthorRun run(mode, [&](int frame, const TestSupport::Picture& picture) {
        if (frame < kPlay) {
            pausedFrames.push_back(picture);
        }
        times.push_back(mode.Status().time);
        walls.push_back(wall.now);
        speeds.push_back(mode.Status().speed);
        wall.now += kFrameNs;
        if (frame == 0) {
            Push(SDLK_t);
        } else if (frame == 1) {
            Push(SDLK_p);
        } else if (frame == kSpeedOne) {
            Push(SDLK_BACKSLASH);
        } else if (frame == kSpeedTwo) {
            Push(SDLK_EQUALS);
        }
        return frame < kLast;
    });
    ASSERT_EQ(run.Run(), 0);
    ASSERT_EQ(times.size(), static_cast<size_t>(kLast + 1));

    // The overlay covers the top-left corner and nothing else changed.
    const TestSupport::Picture& shown = pausedFrames[0];
    const TestSupport::Picture& hidden = pausedFrames[1];
    EXPECT_GT(RegionDifference(shown, hidden, 0, 0, 200, 60), 100);
    EXPECT_EQ(RegionDifference(shown, hidden, shown.width / 2, shown.height / 2, shown.width, shown.height), 0);
    EXPECT_NEAR(times[0], kLoopStart, 0.05);

    // Playing the loop: always inside it, and back at its start again and again.
    int wraps = 0;
    for (int frame = kPlay + 1; frame <= kSpeedOne; ++frame) {
        EXPECT_GE(times[frame], kLoopStart - 0.001) << "frame " << frame;
        EXPECT_LT(times[frame], kLoopEnd + 0.05) << "frame " << frame;
        if (times[frame] < times[frame - 1]) {
            ++wraps;
        }
    }
    EXPECT_GE(wraps, 3);

    // Music time against wall time, at speed 1 and at speed 2.
    const auto rate = [&](int from, int to) {
        return (times[to] - times[from]) / (static_cast<double>(walls[to] - walls[from]) / 1e9);
    };
    EXPECT_EQ(speeds[kSpeedOne + 5], 1.0);
    EXPECT_EQ(speeds[kSpeedTwo + 5], 2.0);
    EXPECT_NEAR(rate(kSpeedOne + 5, kSpeedTwo), 1.0, 0.1);
    EXPECT_NEAR(rate(kSpeedTwo + 5, kLast), 2.0, 0.2);
}

}  // namespace
