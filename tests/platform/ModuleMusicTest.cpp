// Tracker modules through libopenmpt, alone and as streams of the music
// library stand-in: their length, exact seeking, looping, order and row, and
// what is refused. Time runs on the virtual clock, without a sound device.
#include "platform/ModuleMusic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/Bass.h"
#include "platform/Clock.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestAudio.h"
#include "tests/support/TestModule.h"

namespace {

using TestSupport::TestModuleBytes;
using TestSupport::TestModuleSeconds;
using TestSupport::WriteTestModule;

constexpr double kRate = ModuleMusic::kRate;

std::vector<int16_t> Render(ModuleMusic& music, size_t frames) {
    std::vector<int16_t> samples(frames * 2);
    size_t done = 0;
    while (done < frames) {
        const size_t got = music.Render(samples.data() + done * 2, frames - done);
        if (got == 0) {
            break;
        }
        done += got;
    }
    samples.resize(done * 2);
    return samples;
}

std::unique_ptr<ModuleMusic> Load(const std::string& bytes) {
    std::string reason;
    std::unique_ptr<ModuleMusic> music = ModuleMusic::Load(bytes, &reason);
    EXPECT_TRUE(music) << reason;
    return music;
}

class ModuleStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        Platform::UseSilentOutput(true);
        Platform::UseVirtualClock(true);
        Platform::SetVirtualTimeNs(0);
        ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
    }
    void TearDown() override {
        BASS_Free();
        Platform::UseVirtualClock(false);
        Platform::UseSilentOutput(false);
    }
    // Moves the virtual clock to t seconds after the start.
    void At(double seconds) { Platform::SetVirtualTimeNs(static_cast<int64_t>(std::llround(seconds * 1e9))); }
    double Seconds(HSTREAM handle) { return BASS_ChannelBytes2Seconds(handle, BASS_ChannelGetPosition(handle)); }
    TestSupport::TempDir dir;
};

TEST(ModuleMusic, LengthIsRowsTimesSpeedAndTheFileSaysWhatItIs) {
    for (const int speed : {6, 3}) {
        const std::unique_ptr<ModuleMusic> music = Load(TestModuleBytes(2, speed, "mi cancion"));
        ASSERT_TRUE(music);
        EXPECT_EQ(music->FrameCount(), static_cast<uint64_t>(std::llround(TestModuleSeconds(2, speed) * kRate)));
        const ModuleMusic::Info info = music->Describe();
        EXPECT_EQ(info.format, "ProTracker MOD (M.K.)");
        EXPECT_EQ(info.title, "mi cancion");
        EXPECT_EQ(info.channels, 4);
        EXPECT_EQ(info.orders, 2);
        EXPECT_DOUBLE_EQ(info.seconds, TestModuleSeconds(2, speed));
        // The whole rendering ends where the length says, not after a fade.
        std::vector<int16_t> samples;
        std::vector<ModuleMusic::RowMark> rows;
        std::string reason;
        ASSERT_TRUE(music->RenderAll(music->FrameCount(), samples, rows, &reason)) << reason;
        EXPECT_EQ(samples.size(), music->FrameCount() * 2);
        EXPECT_FALSE(music->RenderAll(music->FrameCount() - 1, samples, rows, &reason));
        EXPECT_NE(reason.find("dura"), std::string::npos) << reason;
    }
}

TEST(ModuleMusic, AfterASeekToTItRendersWhatPlayingFromZeroToTRenders) {
    const std::unique_ptr<ModuleMusic> whole = Load(TestModuleBytes(3, 5));
    ASSERT_TRUE(whole);
    const std::vector<int16_t> reference = Render(*whole, static_cast<size_t>(whole->FrameCount()));
    ASSERT_EQ(reference.size(), whole->FrameCount() * 2);
    // Every load renders the same samples (no dither noise drawn at random).
    EXPECT_TRUE(Render(*Load(TestModuleBytes(3, 5)), static_cast<size_t>(whole->FrameCount())) == reference);
    const size_t compared = 4410;
    // Row starts, the middle of rows and of ticks, the other patterns.
    for (const double seconds : {0.0, 0.01, 0.1, 1.0, 2.4321, 6.4, 7.07, 15.0}) {
        const std::unique_ptr<ModuleMusic> music = Load(TestModuleBytes(3, 5));
        const uint64_t frame = static_cast<uint64_t>(seconds * kRate);
        music->Seek(frame);
        const std::vector<int16_t> after = Render(*music, compared);
        ASSERT_EQ(after.size(), compared * 2);
        int worst = 0;
        for (size_t i = 0; i < after.size(); ++i) {
            worst = std::max(worst, std::abs(after[i] - reference[frame * 2 + i]));
        }
        EXPECT_LE(worst, 1) << "seek to " << seconds << " s";
    }
}

TEST(ModuleMusic, ALoopedStretchAsWavStartsAgainAtTheSongsEnd) {
    TestSupport::TempDir dir;
    const std::unique_ptr<ModuleMusic> whole = Load(TestModuleBytes(1, 2));
    ASSERT_TRUE(whole);
    const uint64_t length = whole->FrameCount();
    const std::vector<int16_t> reference = Render(*whole, static_cast<size_t>(length));
    const std::unique_ptr<ModuleMusic> music = Load(TestModuleBytes(1, 2));
    // Half a song before the end, a whole song and half a song past it.
    const uint64_t start = length + length / 2;
    const uint64_t count = length * 2;
    std::string reason;
    ASSERT_TRUE(music->WriteWav(start, count, dir.File("cut.wav"), &reason)) << reason;
    std::ifstream in(dir.File("cut.wav"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 44 + count * 4);
    const auto* samples = reinterpret_cast<const int16_t*>(bytes.data() + 44);
    int worst = 0;
    for (uint64_t i = 0; i < count * 2; ++i) {
        const uint64_t frame = (start + i / 2) % length;
        worst = std::max(worst, std::abs(samples[i] - reference[frame * 2 + i % 2]));
    }
    EXPECT_LE(worst, 8);
}

TEST_F(ModuleStreamTest, AModuleIsAStreamWhateverItsNameWithItsLengthLoopAndRows) {
    // Two patterns at speed 4: rows of 0.08 s, 5.12 s a pattern.
    ASSERT_TRUE(WriteTestModule(dir.File("cancion.wav"), 2, 4));
    const HSTREAM handle = BASS_StreamCreateFile(FALSE, "cancion.wav", 0, 0, BASS_MP3_SETPOS);
    ASSERT_NE(handle, 0u) << Platform::MusicError();
    EXPECT_STREQ(Platform::MusicError(), "");
    const double length = TestModuleSeconds(2, 4);
    EXPECT_EQ(BASS_StreamGetLength(handle), static_cast<QWORD>(std::llround(length * kRate)) * 4);

    int order = -1;
    int row = -1;
    ASSERT_TRUE(BASS_StreamPlay(handle, FALSE, BASS_SAMPLE_LOOP));
    ASSERT_TRUE(Platform::ModulePosition(handle, &order, &row));
    EXPECT_EQ(order, 0);
    EXPECT_EQ(row, 0);
    At(5.12 + 10 * 0.08 + 0.04);
    ASSERT_TRUE(Platform::ModulePosition(handle, &order, &row));
    EXPECT_EQ(order, 1);
    EXPECT_EQ(row, 10);

    // Paused, neither the time nor the row moves; a seek lands on its sample.
    ASSERT_TRUE(BASS_ChannelPause(handle));
    At(7.0);
    EXPECT_NEAR(Seconds(handle), 5.12 + 0.84, 1e-4);
    ASSERT_TRUE(BASS_ChannelSetPosition(handle, 22050 * 4));
    EXPECT_EQ(BASS_ChannelGetPosition(handle), 22050u * 4);
    ASSERT_TRUE(Platform::ModulePosition(handle, &order, &row));
    EXPECT_EQ(order, 0);
    EXPECT_EQ(row, 6);
    ASSERT_TRUE(BASS_ChannelResume(handle));

    // The loop wraps at the module's end.
    At(7.0 + (length - 0.5) + 0.75);
    EXPECT_NEAR(Seconds(handle), 0.75, 1e-4);
    ASSERT_TRUE(Platform::ModulePosition(handle, &order, &row));
    EXPECT_EQ(order, 0);
    EXPECT_EQ(row, 9);
}

TEST_F(ModuleStreamTest, OnlyModulesAnswerAnOrderAndRow) {
    ASSERT_TRUE(TestSupport::WriteTone(dir.File("tono.mod"), 440.0, 1.0, 44100, 2));
    const HSTREAM tone = BASS_StreamCreateFile(FALSE, "tono.mod", 0, 0, 0);
    ASSERT_NE(tone, 0u) << "a WAV named .mod is still a WAV";
    int order = 7;
    int row = 7;
    EXPECT_FALSE(Platform::ModulePosition(tone, &order, &row));
    EXPECT_FALSE(Platform::ModulePosition(0, &order, &row));
    EXPECT_FALSE(Platform::ModulePosition(12345, &order, &row));
    EXPECT_EQ(order, 7);
}

TEST_F(ModuleStreamTest, ASongLongerThanTheFilesMemoryBudgetOrThirtyMinutesIsRefused) {
    // 128 patterns at speed 3: 8.2 minutes from a file of 130 KB, whose
    // budget (64 MB and 48 bytes a byte) holds about six.
    ASSERT_TRUE(WriteTestModule(dir.File("larga.mod"), 128, 3));
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "larga.mod", 0, 0, 0), 0u);
    EXPECT_NE(std::string(Platform::MusicError()).find("el modulo dura 491.5 s y en memoria caben 3"),
              std::string::npos)
        << Platform::MusicError();
    // At speed 31 it would last 84 minutes.
    ASSERT_TRUE(WriteTestModule(dir.File("eterna.mod"), 128, 31));
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "eterna.mod", 0, 0, 0), 0u);
    EXPECT_STREQ(Platform::MusicError(), "el modulo dura mas de 30 minutos");
    // Six minutes fit.
    ASSERT_TRUE(WriteTestModule(dir.File("cabe.mod"), 90, 3));
    EXPECT_NE(BASS_StreamCreateFile(FALSE, "cabe.mod", 0, 0, 0), 0u) << Platform::MusicError();
}

TEST_F(ModuleStreamTest, TruncatedAndGarbageModulesAreRefusedWithAReason) {
    const std::string module = TestModuleBytes(2, 6);
    // Cut inside its header, before the "M.K." mark.
    dir.Write("cortado.mod", module.substr(0, 1000));
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "cortado.mod", 0, 0, 0), 0u);
    EXPECT_STRNE(Platform::MusicError(), "");
    std::mt19937 random(7);
    std::string garbage(4096, '\0');
    for (char& byte : garbage) {
        byte = static_cast<char>(random());
    }
    dir.Write("basura.xm", garbage);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "basura.xm", 0, 0, 0), 0u);
    EXPECT_NE(std::string(Platform::MusicError()).find("ni un modulo"), std::string::npos) << Platform::MusicError();
    // An XM header whose counts promise what the file does not hold.
    std::string xm = "Extended Module: " + std::string(20, 'x') + "\x1a" + std::string(20, ' ') + "\x04\x01";
    xm += std::string("\x14\x01\x00\x00", 4) + std::string(16, '\xff') + std::string(256, '\x00');
    dir.Write("mentira.xm", xm);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "mentira.xm", 0, 0, 0), 0u);
    // Cut in its patterns, it plays what is there, for its whole length.
    dir.Write("medio.mod", module.substr(0, module.size() - 1500));
    const HSTREAM half = BASS_StreamCreateFile(FALSE, "medio.mod", 0, 0, 0);
    if (half != 0) {
        EXPECT_EQ(BASS_StreamGetLength(half), static_cast<QWORD>(std::llround(TestModuleSeconds(2, 6) * kRate)) * 4);
    }
}

}  // namespace
