// The music stream over the library stand-in: its three boxes, what each
// failure leaves behind, and playback through SDL's dummy output.
#include "sound/SoundStream.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "core/Log.h"
#include "platform/Bass.h"
#include "platform/MessageBox.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestAudio.h"
#include "tests/support/TestModule.h"

namespace {

void Sleep(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

// Positions are bounded from above only by the time that really passed
// (plus what the output may take ahead of time), never by a fixed time: a
// loaded machine may stretch any sleep.
constexpr float kOutputAhead = 0.1f;

class Stopwatch {
public:
    float Seconds() const {
        return std::chrono::duration<float>(std::chrono::steady_clock::now() - start).count();
    }

private:
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

class SoundStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        Platform::ClearMessageBoxes();
        ASSERT_TRUE(TestSupport::WriteTone(dir.File("music.wav"), 440.0, 3.0));
    }
    void TearDown() override {
        stream.Release();
        Platform::SetBassVersion(0x00050001);
        unsetenv("SDL_AUDIODRIVER");
        Platform::ClearMessageBoxes();
    }
    void ExpectOneBox(const char* text, const char* caption) {
        ASSERT_EQ(Platform::MessageBoxes().size(), 1u);
        EXPECT_EQ(Platform::MessageBoxes()[0].text, text);
        EXPECT_EQ(Platform::MessageBoxes()[0].caption, caption);
    }
    TestSupport::TempDir dir;
    SoundStream stream;
};

TEST_F(SoundStreamTest, WrongLibraryVersionShowsItsBoxAndOpensNoOutput) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    Platform::SetBassVersion(0x00020000);
    EXPECT_FALSE(stream.InitAudio(nullptr));
    ExpectOneBox("No se carg\xF3 BASS version 1.5", "Version de BASS.DLL incorrecta");
    EXPECT_EQ(Platform::MessageBoxes()[0].text.size(), 28u);
    EXPECT_FALSE(BASS_Start()) << "BASS_Init must not have been called";
}

TEST_F(SoundStreamTest, WithoutAnOutputTheMusicStillKeepsTime) {
    setenv("SDL_AUDIODRIVER", "nonexistent", 1);
    EXPECT_FALSE(stream.InitAudio(nullptr));
    ExpectOneBox("ERROR!", "No se pudo inicializar el sistema de sonido.");
    // The engine opens the file all the same.
    EXPECT_TRUE(stream.Open("music.wav"));
    EXPECT_EQ(Platform::MessageBoxes().size(), 1u);
    EXPECT_NE(stream.handle, 0u);
    EXPECT_FLOAT_EQ(stream.Length(), 3.0f);
    const Stopwatch sincePlay;
    EXPECT_TRUE(stream.Play());
    Sleep(300);
    EXPECT_GE(stream.Position(), 0.29f);
    EXPECT_LE(stream.Position(), sincePlay.Seconds() + 0.01f);
    EXPECT_EQ(stream.Level(), 0);
}

// A missing music file once froze the show at time 0 for good, with no word
// of which file: it names the file and the show keeps time without sound.
TEST_F(SoundStreamTest, MissingMusicFileShowsItsBoxNamesTheFileAndKeepsTimeSilently) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_TRUE(stream.InitAudio(nullptr));
    EXPECT_TRUE(Platform::MessageBoxes().empty());
    std::string log;
    Log::Capture(&log);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(stream.Open("nothing.ogg"));
    const std::string said = testing::internal::GetCapturedStderr();
    Log::Capture(nullptr);
    ExpectOneBox("ERROR!", "No se pudo cargar el fichero de musica.");
    EXPECT_NE(said.find("halvenor: no se pudo cargar el fichero de musica [ nothing.ogg ]"), std::string::npos)
        << said;
    EXPECT_NE(log.find("No se pudo cargar el fichero de musica [ nothing.ogg ]"), std::string::npos) << log;
    EXPECT_EQ(stream.handle, 0u);
    const Stopwatch sincePlay;
    EXPECT_TRUE(stream.Play());
    EXPECT_TRUE(stream.playing);
    Sleep(200);
    EXPECT_GE(stream.Position(), 0.19f);
    EXPECT_LE(stream.Position(), sincePlay.Seconds() + 0.01f);
    EXPECT_EQ(stream.Length(), 0.0f);
    EXPECT_EQ(stream.Level(), 0);
    EXPECT_TRUE(stream.Pause());
    const float paused = stream.Position();
    Sleep(50);
    EXPECT_EQ(stream.Position(), paused);
    stream.Release();
    EXPECT_EQ(stream.Position(), 0.0f);
    stream.Release();
}

TEST_F(SoundStreamTest, PlaysPausesSeeksAndLoopsThroughTheOutput) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(stream.InitAudio(nullptr));
    ASSERT_TRUE(stream.Open("music.wav"));
    EXPECT_FALSE(stream.playing);
    const Stopwatch sincePlay;
    ASSERT_TRUE(stream.Play());
    Sleep(400);
    const float played = stream.Position();
    EXPECT_GE(played, 0.25f);
    EXPECT_LE(played, sincePlay.Seconds() + kOutputAhead);
    EXPECT_NEAR(stream.Level(), 16384, 400);

    ASSERT_TRUE(stream.Pause());
    EXPECT_FALSE(stream.playing);
    EXPECT_EQ(stream.Level(), 0) << "no level while paused, whatever the library keeps";
    Sleep(100);
    const float paused = stream.Position();
    Sleep(200);
    EXPECT_EQ(stream.Position(), paused);
    const Stopwatch sinceResume;
    ASSERT_TRUE(stream.Resume());
    EXPECT_TRUE(stream.playing);

    ASSERT_TRUE(stream.SeekForward(1.5f));
    EXPECT_GE(stream.Position(), paused + 1.5f);
    EXPECT_LE(stream.Position(), paused + 1.5f + sinceResume.Seconds() + kOutputAhead);
    // Back past the start lands on the start.
    const Stopwatch sinceSeek;
    ASSERT_TRUE(stream.SeekBack(10.0f));
    EXPECT_LE(stream.Position(), sinceSeek.Seconds() + kOutputAhead);
    ASSERT_TRUE(stream.SeekForward(2.8f));
    // Polled until it starts again at its end, however long that takes here.
    float lowest = 3.0f;
    for (int i = 0; i < 300 && lowest >= 2.8f; ++i) {
        Sleep(100);
        lowest = std::min(lowest, stream.Position());
    }
    EXPECT_LT(lowest, 2.8f) << "the music starts again at its end";

    stream.Release();
    stream.Release();
    EXPECT_EQ(stream.Position(), 0.0f);
    EXPECT_FALSE(BASS_Start()) << "the output is closed";
}

TEST_F(SoundStreamTest, AModulePlaysLikeAnyMusicAndABrokenOneIsLoggedWithItsReason) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::string log;
    Log::Capture(&log);
    ASSERT_TRUE(stream.InitAudio(nullptr));
    // Music files are told by their content: a module named .ogg plays.
    ASSERT_TRUE(TestSupport::WriteTestModule(dir.File("tema.ogg"), 1, 3));
    ASSERT_TRUE(stream.Open("tema.ogg"));
    EXPECT_FLOAT_EQ(stream.Length(), static_cast<float>(TestSupport::TestModuleSeconds(1, 3)));
    ASSERT_TRUE(stream.Play());
    Sleep(300);
    EXPECT_GT(stream.Position(), 0.0f);
    EXPECT_GT(stream.Level(), 0);
    // Rows of 0.06 s: row 16 of order 0 from 0.96 s on.
    ASSERT_TRUE(stream.Pause());
    ASSERT_TRUE(stream.SeekBack(10.0f));
    ASSERT_TRUE(stream.SeekForward(0.99f));
    EXPECT_EQ(stream.ModulePositionText(), "00:16");
    stream.Release();
    EXPECT_EQ(stream.ModulePositionText(), "");
    EXPECT_TRUE(Platform::MessageBoxes().empty());
    EXPECT_EQ(log, "");

    // The same module with its "M.K." mark spoilt reads as an older format
    // that holds no song.
    std::string broken = TestSupport::TestModuleBytes(1, 3);
    broken.replace(1080, 4, "XXXX");
    dir.Write("roto.mod", broken);
    SoundStream second;
    ASSERT_TRUE(second.InitAudio(nullptr));
    EXPECT_FALSE(second.Open("roto.mod"));
    ExpectOneBox("ERROR!", "No se pudo cargar el fichero de musica.");
    EXPECT_EQ(second.handle, 0u);
    EXPECT_EQ(second.Position(), 0.0f);
    EXPECT_EQ(second.ModulePositionText(), "");
    second.Release();
    Log::Capture(nullptr);
    // Why it was refused, then what the show does without it.
    EXPECT_EQ(log,
              "-> No se pudo cargar la musica [ roto.mod ]: el modulo no dura nada\n"
              "]> ** ERROR ** No se pudo cargar el fichero de musica [ roto.mod ]: el show sigue sin sonido. **\n");
}

}  // namespace
