// The virtual clock of a capture: what the timers, the music and the scene
// clock read, and which picture each video frame shows, with no real time
// involved.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "capture/CaptureSchedule.h"
#include "core/Timer.h"
#include "platform/Bass.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "scene/Scene.h"
#include "sound/SoundStream.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestAudio.h"

namespace {

constexpr int64_t kMs = 1000000;

class VirtualClock : public ::testing::Test {
protected:
    void SetUp() override { Platform::UseVirtualClock(true); }
    void TearDown() override {
        Platform::UseVirtualClock(false);
        Platform::UseSilentOutput(false);
    }
};

// A scene whose one object turns a degree per update.
struct PacedScene {
    SceneObject object;
    Scene scene;
    explicit PacedScene(int32_t frameSpeed) {
        scene.params.frameSpeed = frameSpeed;
        scene.objects = &object;
        scene.objectCount = 1;
        object.rotationSpeed = 1.0f;
    }
    ~PacedScene() {
        scene.objects = nullptr;
        scene.objectCount = 0;
    }
};

TEST_F(VirtualClock, TimersReadOnlyTheTimeSetOrWaited) {
    Timer timer;
    timer.Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(timer.ElapsedMs(), 0.0f) << "real time must not pass";
    Platform::SetVirtualTimeNs(250 * kMs);
    EXPECT_NEAR(timer.ElapsedMs(), 250.0f, 0.001f);
    Platform::SetVirtualTimeNs(100 * kMs);  // never back
    EXPECT_NEAR(timer.ElapsedMs(), 250.0f, 0.001f);
    Platform::SleepMs(10.5);
    EXPECT_EQ(Platform::VirtualTimeNs(), 260 * kMs + kMs / 2);
    Platform::BusyWaitStep();
    EXPECT_EQ(Platform::VirtualTimeNs(), 260 * kMs + kMs / 2 + 1000);
    EXPECT_EQ(GetTickCount(), 260u);
}

TEST_F(VirtualClock, SilentMusicFollowsTheVirtualTimeWithoutADevice) {
    TestSupport::TempDir dir;
    ASSERT_TRUE(TestSupport::WriteTone(dir.File("musica.wav"), 220.0, 3.0, 44100, 2, 0.1));
    Platform::UseSilentOutput(true);
    SoundStream music;
    EXPECT_TRUE(music.InitAudio(nullptr));
    ASSERT_TRUE(music.Open("musica.wav"));
    ASSERT_TRUE(music.Play());
    EXPECT_EQ(music.Position(), 0.0f);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(music.Position(), 0.0f);
    Platform::SetVirtualTimeNs(1250 * kMs);
    EXPECT_NEAR(music.Position(), 1.25f, 1.0f / 44100.0f);
    // It loops as in the player: 3.5 s into a 3 s file is 0.5 s.
    Platform::SetVirtualTimeNs(3500 * kMs);
    EXPECT_NEAR(music.Position(), 0.5f, 1.0f / 44100.0f);
    EXPECT_EQ(music.Level(), 0);
    music.Release();
}

// The capture loop without drawing: the picture shows the scene as it is
// before its update, as drawing comes before the show's step; then the
// frames it covers are known and the clock moves on.
struct CapturedFrame {
    float sceneFrame;
    float angle;
};
std::vector<CapturedFrame> Capture(PacedScene& paced, double fps, double start, int64_t frames,
                                   int* pictures = nullptr) {
    CaptureSchedule schedule(fps, start, frames);
    std::vector<CapturedFrame> video;
    while (!schedule.Done()) {
        const CapturedFrame picture{paced.scene.currentFrame, paced.object.rotationAngle};
        paced.scene.Update();
        const CaptureSchedule::Cover cover = schedule.CoverPicture(Platform::VirtualTimeNs());
        EXPECT_EQ(cover.first, static_cast<int64_t>(video.size()));
        video.insert(video.end(), static_cast<size_t>(cover.count), picture);
        if (cover.moveClockTo >= 0) {
            Platform::SetVirtualTimeNs(cover.moveClockTo);
        }
        if (pictures != nullptr) {
            ++*pictures;
        }
    }
    return video;
}

TEST_F(VirtualClock, ASceneAtTwentyFiveFramesCapturedAtSixtyAdvancesAsInRealTime) {
    PacedScene paced(25);
    const std::vector<CapturedFrame> video = Capture(paced, 60.0, 0.0, 600);
    ASSERT_EQ(video.size(), 600u);
    for (size_t n = 0; n < video.size(); ++n) {
        // The picture on screen at n / 60 s was composed at most one period
        // earlier: the animation runs at its own 25 frames a second.
        const double real = static_cast<double>(n) / 60.0 * 25.0;
        EXPECT_LE(video[n].sceneFrame, real + 1e-3) << n;
        EXPECT_GT(video[n].sceneFrame, real - 1.5) << n;
    }
    // The wait paces the loop as in the player: one update, one rotation
    // step, per 40 ms, so the object turns 25 steps a second, not 60.
    EXPECT_NEAR(video.back().angle, 9.98 * 25.0, 1.5);
    // After the start, each picture stays for two or three frames.
    size_t change = 10;
    while (video[change].sceneFrame == video[change - 1].sceneFrame) {
        ++change;
    }
    int repeats = 1;
    for (size_t n = change + 1; n < video.size(); ++n) {
        if (video[n].sceneFrame == video[n - 1].sceneFrame) {
            ++repeats;
        } else {
            EXPECT_TRUE(repeats == 2 || repeats == 3) << n << ": " << repeats;
            repeats = 1;
        }
    }
}

TEST_F(VirtualClock, TheShowRunsTheSameWhateverTheCaptureRateAndStart) {
    // The loop does not follow the capture: at 10 frames a second the scene
    // still updates 25 times a second, and a capture from 3 s shows what a
    // capture from 0 shows at 3 s.
    PacedScene slow(25);
    int pictures = 0;
    const std::vector<CapturedFrame> tenFps = Capture(slow, 10.0, 0.0, 50, &pictures);
    EXPECT_NEAR(pictures, 5 * 25, 2);
    Platform::UseVirtualClock(true);
    PacedScene fromThree(25);
    const std::vector<CapturedFrame> later = Capture(fromThree, 10.0, 3.0, 20);
    for (size_t n = 0; n < later.size(); ++n) {
        EXPECT_EQ(later[n].sceneFrame, tenFps[30 + n].sceneFrame) << n;
        EXPECT_EQ(later[n].angle, tenFps[30 + n].angle) << n;
    }
}

TEST_F(VirtualClock, WithoutWaitsAStepLastsOneDisplayRefresh) {
    PacedScene still(0);
    int pictures = 0;
    const std::vector<CapturedFrame> video = Capture(still, 30.0, 0.0, 90, &pictures);
    ASSERT_EQ(video.size(), 90u);
    // The last frame, at 2.967 s, shows the 179th picture.
    EXPECT_NEAR(pictures, 179, 1);
    EXPECT_NEAR(static_cast<double>(Platform::VirtualTimeNs()), 2.967e9, CaptureSchedule::kRefreshNs);
    // At 100 frames a second each picture is shown by about 1.7 frames.
    Platform::UseVirtualClock(true);
    CaptureSchedule fast(100.0, 0.0, 8);
    EXPECT_EQ(fast.CoverPicture(0).count, 2);
    const CaptureSchedule::Cover second = fast.CoverPicture(CaptureSchedule::kRefreshNs);
    EXPECT_EQ(second.first, 2);
    EXPECT_EQ(second.count, 2);
    EXPECT_EQ(second.moveClockTo, 2 * CaptureSchedule::kRefreshNs);
}

TEST_F(VirtualClock, AWaitPastSeveralFrameTimesCoversThemAll) {
    // From 0.5 s at 4 frames a second: 0.5, 0.75, 1.0.
    CaptureSchedule schedule(4.0, 0.5, 3);
    EXPECT_EQ(schedule.FrameTimeNs(2), 1000 * kMs);
    EXPECT_EQ(schedule.CoverPicture(0).count, 0);
    // A wait from one refresh to 0.8 s: the picture shows at 0.5 and 0.75 s.
    const CaptureSchedule::Cover wait = schedule.CoverPicture(800 * kMs);
    EXPECT_EQ(wait.first, 0);
    EXPECT_EQ(wait.count, 2);
    EXPECT_EQ(wait.moveClockTo, -1);
    EXPECT_FALSE(schedule.Done());
    EXPECT_EQ(schedule.CoverPicture(1000 * kMs).count, 0);  // ends at, not after, 1.0 s
    EXPECT_EQ(schedule.CoverPicture(1000 * kMs).count, 1);
    EXPECT_TRUE(schedule.Done());
}

TEST(CaptureRandom, TheSeededSequenceIsTheRuntimesAndRepeats) {
    Platform::SeedRand(Platform::kCaptureRandomSeed);
    // The Windows runtime's first numbers after srand(1).
    EXPECT_EQ(Platform::Rand(), 41);
    EXPECT_EQ(Platform::Rand(), 18467);
    EXPECT_EQ(Platform::Rand(), 6334);
    Platform::SeedRand(Platform::kCaptureRandomSeed);
    EXPECT_EQ(Platform::Rand(), 41);
}

}  // namespace
