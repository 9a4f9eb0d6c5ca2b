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
std::vector<CapturedFrame> Capture(PacedScene& paced, double fps, double start, int64_t frames) {
    CaptureSchedule schedule(fps, start, frames);
    std::vector<CapturedFrame> video;
    Platform::SetVirtualTimeNs(schedule.FrameTimeNs(0));
    while (!schedule.Done()) {
        const CapturedFrame picture{paced.scene.currentFrame, paced.object.rotationAngle};
        paced.scene.Update();
        const CaptureSchedule::Cover cover = schedule.CoverPicture(Platform::VirtualTimeNs());
        for (int64_t i = 0; i < schedule.WrittenCount(cover); ++i) {
            video.push_back(picture);
        }
        if (cover.moveClockTo >= 0) {
            Platform::SetVirtualTimeNs(cover.moveClockTo);
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
        EXPECT_GT(video[n].sceneFrame, real - 1.01) << n;
    }
    // The wait paces the loop as in the player: one update, one rotation
    // step, per 40 ms, so the object turns 25 steps a second, not 60.
    EXPECT_NEAR(video.back().angle, 9.98 * 25.0, 1.5);
    // Each picture stays for two or three frames of the video.
    int repeats = 1;
    for (size_t n = 1; n < video.size(); ++n) {
        if (video[n].sceneFrame == video[n - 1].sceneFrame) {
            ++repeats;
        } else {
            EXPECT_TRUE(repeats == 2 || repeats == 3) << n << ": " << repeats;
            repeats = 1;
        }
    }
}

TEST_F(VirtualClock, AnUnpacedShowGetsOnePictureAtEveryFrameTime) {
    PacedScene still(0);
    std::vector<int64_t> composedAt;
    CaptureSchedule schedule(30.0, 0.0, 90);
    Platform::SetVirtualTimeNs(schedule.FrameTimeNs(0));
    while (!schedule.Done()) {
        composedAt.push_back(Platform::VirtualTimeNs());
        still.scene.Update();
        const CaptureSchedule::Cover cover = schedule.CoverPicture(Platform::VirtualTimeNs());
        EXPECT_EQ(cover.count, 1);
        if (cover.moveClockTo >= 0) {
            Platform::SetVirtualTimeNs(cover.moveClockTo);
        }
    }
    ASSERT_EQ(composedAt.size(), 90u);
    EXPECT_EQ(composedAt[1], 33333333);
    EXPECT_EQ(composedAt[89], 2966666667);
}

TEST_F(VirtualClock, AStartLaterThanZeroRunsTheShowUpToItWithoutWritingIt) {
    // 0.5 s at 4 frames a second: 0, 0.25 run up; 0.5, 0.75, 1.0 written.
    CaptureSchedule schedule(4.0, 0.5, 3);
    EXPECT_EQ(schedule.PrerollCount(), 2);
    EXPECT_EQ(schedule.FrameTimeNs(2), 500 * kMs);
    EXPECT_EQ(schedule.FrameTimeNs(4), 1000 * kMs);
    // A start between two steps: the run-up keeps the steps below it.
    CaptureSchedule between(4.0, 0.3, 1);
    EXPECT_EQ(between.PrerollCount(), 2);
    EXPECT_EQ(between.FrameTimeNs(2), 300 * kMs);
    // A wait from 0.2 s to 0.8 s covers the run-up frame at 0.25 s and the
    // written ones at 0.5 and 0.75 s.
    CaptureSchedule::Cover first = schedule.CoverPicture(0);
    EXPECT_EQ(schedule.WrittenCount(first), 0);
    const CaptureSchedule::Cover wait = schedule.CoverPicture(800 * kMs);
    EXPECT_EQ(wait.count, 3);
    EXPECT_EQ(schedule.WrittenFirst(wait), 0);
    EXPECT_EQ(schedule.WrittenCount(wait), 2);
    EXPECT_EQ(wait.moveClockTo, -1);
    EXPECT_FALSE(schedule.Done());
    schedule.CoverPicture(1000 * kMs);
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
