// The music library stand-in against SDL's dummy and disk outputs and with no
// output at all. Time is bounded from below; from above only by the time
// that really passed, measured around the call.
#include "platform/Bass.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestAudio.h"

namespace {

using TestSupport::WriteTone;

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

float Seconds(HSTREAM handle) { return BASS_ChannelBytes2Seconds(handle, BASS_ChannelGetPosition(handle)); }

class BassTest : public ::testing::Test {
protected:
    void UseDriver(const char* name) { setenv("SDL_AUDIODRIVER", name, 1); }
    void TearDown() override {
        BASS_Free();
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
    }
    TestSupport::TempDir dir;
};

TEST_F(BassTest, UnknownHandlesAnswerZeroAndReleaseIsHarmless) {
    EXPECT_EQ(BASS_GetVersion(), 0x00050001u);
    for (const DWORD handle : {0u, 12345u}) {
        EXPECT_EQ(BASS_ChannelGetPosition(handle), 0u);
        EXPECT_EQ(BASS_StreamGetLength(handle), 0u);
        EXPECT_EQ(BASS_ChannelGetLevel(handle), 0u);
        EXPECT_EQ(BASS_ChannelBytes2Seconds(handle, 176400), 0.0f);
        EXPECT_EQ(BASS_ChannelSeconds2Bytes(handle, 1.0f), 0u);
        if (handle != 0) {  // handle 0 plays as a silent clock (below)
            EXPECT_FALSE(BASS_StreamPlay(handle, FALSE, BASS_SAMPLE_LOOP));
        }
        EXPECT_FALSE(BASS_ChannelPause(handle));
        EXPECT_FALSE(BASS_ChannelResume(handle));
        EXPECT_FALSE(BASS_ChannelSetPosition(handle, 0));
        BASS_StreamFree(handle);
    }
    EXPECT_FALSE(BASS_Start());
    EXPECT_FALSE(BASS_Stop());
    BASS_Free();
    BASS_Free();
}

// What a failed open leaves (handle 0) keeps time when played, with a device
// open or not, and gives no sound, length or level.
TEST_F(BassTest, PlayingTheHandleOfAFailedOpenKeepsTimeSilently) {
    UseDriver("dummy");
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
    ASSERT_TRUE(BASS_Start());
    const Stopwatch sincePlay;
    EXPECT_TRUE(BASS_StreamPlay(0, FALSE, BASS_SAMPLE_LOOP));
    Sleep(200);
    EXPECT_GE(Seconds(0), 0.19f);
    EXPECT_LE(Seconds(0), sincePlay.Seconds() + 0.01f);
    EXPECT_EQ(BASS_StreamGetLength(0), 0u);
    EXPECT_EQ(BASS_ChannelGetLevel(0), 0u);
    BASS_StreamFree(0);
    EXPECT_EQ(BASS_ChannelGetPosition(0), 0u);
}

TEST_F(BassTest, OpenRefusesWhatItCannotPlay) {
    dir.Write("text.wav", "not a sound file\n");
    ASSERT_TRUE(WriteTone(dir.File("empty.wav"), 440.0, 0.0, 8000, 1));
    // 1 kHz keeps a 31-minute file small on disk.
    ASSERT_TRUE(WriteTone(dir.File("long.wav"), 100.0, 31.0 * 60.0, 1000, 1));
    ASSERT_TRUE(WriteTone(dir.File("shorter.wav"), 100.0, 29.0 * 60.0, 1000, 1));
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "missing.wav", 0, 0, BASS_MP3_SETPOS), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "text.wav", 0, 0, BASS_MP3_SETPOS), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "empty.wav", 0, 0, BASS_MP3_SETPOS), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "long.wav", 0, 0, BASS_MP3_SETPOS), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(TRUE, "shorter.wav", 0, 0, 0), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, nullptr, 0, 0, 0), 0u);
    const HSTREAM shorter = BASS_StreamCreateFile(FALSE, "shorter.wav", 0, 0, BASS_MP3_SETPOS);
    ASSERT_NE(shorter, 0u);
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(shorter, BASS_StreamGetLength(shorter)), 29.0f * 60.0f, 0.01f);
}

// A name from a show file reaches the decoder only as a file: "-" is not
// standard input, and a FIFO is refused without waiting for a writer.
TEST_F(BassTest, NamesAreOnlyEverRegularFiles) {
    ASSERT_TRUE(WriteTone(dir.File("tone.wav"), 440.0, 0.5, 8000, 1));
    std::ifstream tone(dir.File("tone.wav"), std::ios::binary);
    const std::string toneBytes((std::istreambuf_iterator<char>(tone)), std::istreambuf_iterator<char>());
    // Standard input holds a playable file: reading it would open a stream.
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    ASSERT_EQ(write(pipeEnds[1], toneBytes.data(), toneBytes.size()), static_cast<ssize_t>(toneBytes.size()));
    close(pipeEnds[1]);
    const int savedInput = dup(0);
    dup2(pipeEnds[0], 0);
    close(pipeEnds[0]);
    const HSTREAM fromInput = BASS_StreamCreateFile(FALSE, "-", 0, 0, BASS_MP3_SETPOS);
    char left = 0;
    const ssize_t unread = read(0, &left, 1);
    dup2(savedInput, 0);
    close(savedInput);
    EXPECT_EQ(fromInput, 0u);
    EXPECT_EQ(unread, 1) << "standard input was not touched";

    // A file that is really named "-" plays like any other.
    dir.Write("-", toneBytes);
    EXPECT_NE(BASS_StreamCreateFile(FALSE, "-", 0, 0, BASS_MP3_SETPOS), 0u);
    ASSERT_EQ(mkfifo(dir.File("fifo.wav").c_str(), 0600), 0);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "fifo.wav", 0, 0, BASS_MP3_SETPOS), 0u);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, ".", 0, 0, BASS_MP3_SETPOS), 0u);
}

// A small file that decodes to far more than it holds (long silence, highly
// compressed) is refused rather than taking hundreds of megabytes.
TEST_F(BassTest, DecodedSoundIsBoundedByTheFileSize) {
    const auto writeSilence = [&](const char* name, double seconds) {
        SF_INFO info{};
        info.samplerate = 44100;
        info.channels = 2;
        info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
        SNDFILE* file = sf_open(dir.File(name).c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr);
        std::vector<short> block(2 * 44100, 0);
        for (int second = 0; second < static_cast<int>(seconds); ++second) {
            sf_writef_short(file, block.data(), 44100);
        }
        sf_close(file);
    };
    writeSilence("quiet.flac", 60.0);
    writeSilence("silence.flac", 20.0 * 60.0);
    const HSTREAM quiet = BASS_StreamCreateFile(FALSE, "quiet.flac", 0, 0, BASS_MP3_SETPOS);
    ASSERT_NE(quiet, 0u);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(quiet, BASS_StreamGetLength(quiet)), 60.0f);
    // Twenty minutes decode to 212 MB; the file is a few hundred kilobytes.
    std::ifstream silence(dir.File("silence.flac"), std::ios::binary | std::ios::ate);
    ASSERT_LT(static_cast<double>(silence.tellg()) * 48.0 + 64.0 * 1024 * 1024, 20.0 * 60.0 * 44100 * 4);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "silence.flac", 0, 0, BASS_MP3_SETPOS), 0u);

    // A tag header claiming 256 MB, which the MP3 decoder would allocate at
    // once, in a file of a few hundred bytes; a tag that fits is harmless.
    ASSERT_TRUE(WriteTone(dir.File("tagged.wav"), 440.0, 0.05, 8000, 1));
    std::ifstream tagged(dir.File("tagged.wav"), std::ios::binary);
    const std::string tone((std::istreambuf_iterator<char>(tagged)), std::istreambuf_iterator<char>());
    dir.Write("claims.wav", tone + std::string("ID3\x04\x00\x00\x7f\x7f\x7f\x7f", 10));
    dir.Write("fits.wav", tone + std::string("ID3\x04\x00\x00\x00\x00\x00\x02xy", 12));
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "claims.wav", 0, 0, BASS_MP3_SETPOS), 0u);
    EXPECT_NE(BASS_StreamCreateFile(FALSE, "fits.wav", 0, 0, BASS_MP3_SETPOS), 0u);
    // A WAV list chunk claiming 4 GB before the sound: the decoder would
    // walk it for ever.
    const size_t data = tone.find("data");
    ASSERT_NE(data, std::string::npos);
    dir.Write("list.wav", tone.substr(0, data) + std::string("LIST\xff\xff\xff\xffINFO", 12) + tone.substr(data));
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, "list.wav", 0, 0, BASS_MP3_SETPOS), 0u);
}

TEST_F(BassTest, LengthsCountDecodedStereoBytesAtTheStreamRate) {
    dir.Write("Music/keep.txt", "");
    ASSERT_TRUE(WriteTone(dir.File("Music/Tone.wav"), 440.0, 2.0, 22050, 1));
    ASSERT_TRUE(WriteTone(dir.File("stereo.wav"), 440.0, 1.5, 48000, 2));
    const HSTREAM mono = BASS_StreamCreateFile(FALSE, "MUSIC\\tone.WAV", 0, 0, BASS_MP3_SETPOS);
    const HSTREAM stereo = BASS_StreamCreateFile(FALSE, "stereo.wav", 0, 0, 0);
    ASSERT_NE(mono, 0u);
    ASSERT_NE(stereo, 0u);
    EXPECT_NE(mono, stereo);
    EXPECT_EQ(BASS_StreamGetLength(mono), 2u * 22050u * 4u);
    EXPECT_EQ(BASS_StreamGetLength(stereo), 72000u * 4u);
    EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(mono, BASS_StreamGetLength(mono)), 2.0f);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(mono, 1.0f), 88200u);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(stereo, 0.5f), 96000u);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(stereo, -3.0f), 0u);
    EXPECT_EQ(BASS_ChannelGetPosition(mono), 0u);
    // Seeking is bounded by the length and lands on whole frames.
    EXPECT_TRUE(BASS_ChannelSetPosition(mono, 4003));
    EXPECT_EQ(BASS_ChannelGetPosition(mono), 4000u);
    EXPECT_FALSE(BASS_ChannelSetPosition(mono, BASS_StreamGetLength(mono)));
    EXPECT_EQ(BASS_ChannelGetPosition(mono), 4000u);
    BASS_StreamFree(mono);
    BASS_StreamFree(mono);
    EXPECT_EQ(BASS_StreamGetLength(mono), 0u);
    EXPECT_NE(BASS_StreamGetLength(stereo), 0u);
    BASS_Free();
    EXPECT_EQ(BASS_StreamGetLength(stereo), 0u);
}

TEST_F(BassTest, WithoutADeviceAPlayingStreamKeepsTimeOnTheClock) {
    UseDriver("nonexistent");
    EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr));
    EXPECT_FALSE(BASS_Start());
    ASSERT_TRUE(WriteTone(dir.File("tone.wav"), 440.0, 5.0, 44100, 2));
    const HSTREAM handle = BASS_StreamCreateFile(FALSE, "tone.wav", 0, 0, BASS_MP3_SETPOS);
    ASSERT_NE(handle, 0u);
    Sleep(100);
    EXPECT_EQ(Seconds(handle), 0.0f);

    const Stopwatch sincePlay;
    ASSERT_TRUE(BASS_StreamPlay(handle, FALSE, BASS_SAMPLE_LOOP));
    Sleep(300);
    const float playedFor = Seconds(handle);
    EXPECT_GE(playedFor, 0.29f);
    EXPECT_LE(playedFor, sincePlay.Seconds() + 0.01f);
    EXPECT_EQ(BASS_ChannelGetLevel(handle), 0u);

    ASSERT_TRUE(BASS_ChannelPause(handle));
    const float paused = Seconds(handle);
    Sleep(200);
    EXPECT_EQ(Seconds(handle), paused);
    EXPECT_FALSE(BASS_ChannelPause(handle));

    ASSERT_TRUE(BASS_ChannelResume(handle));
    EXPECT_FALSE(BASS_ChannelResume(handle));
    Sleep(200);
    EXPECT_GE(Seconds(handle), paused + 0.19f);

    const Stopwatch sinceSeek;
    ASSERT_TRUE(BASS_ChannelSetPosition(handle, BASS_ChannelSeconds2Bytes(handle, 4.0f)));
    const float sought = Seconds(handle);
    EXPECT_GE(sought, 4.0f);
    EXPECT_LE(sought, 4.0f + sinceSeek.Seconds() + 0.01f);
    float lowest = sought;
    for (int i = 0; i < 300 && lowest >= 4.0f; ++i) {
        Sleep(100);
        lowest = std::min(lowest, Seconds(handle));
    }
    EXPECT_LT(lowest, 4.0f) << "a looping stream starts again at its end";
}

TEST_F(BassTest, WithoutLoopAStreamStopsAtItsEnd) {
    UseDriver("nonexistent");
    ASSERT_TRUE(WriteTone(dir.File("short.wav"), 440.0, 0.2, 44100, 2));
    const HSTREAM handle = BASS_StreamCreateFile(FALSE, "short.wav", 0, 0, 0);
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(BASS_StreamPlay(handle, FALSE, 0));
    Sleep(400);
    EXPECT_EQ(BASS_ChannelGetPosition(handle), BASS_StreamGetLength(handle));
    EXPECT_FALSE(BASS_ChannelPause(handle));
    // Playing again from the end starts over.
    const Stopwatch sinceReplay;
    ASSERT_TRUE(BASS_StreamPlay(handle, FALSE, 0));
    EXPECT_LE(Seconds(handle), sinceReplay.Seconds() + 0.01f);
}

TEST_F(BassTest, DummyOutputConsumesTheStreamInRealTime) {
    UseDriver("dummy");
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
    EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr));
    ASSERT_TRUE(WriteTone(dir.File("tone.wav"), 440.0, 3.0, 44100, 2));
    const HSTREAM handle = BASS_StreamCreateFile(FALSE, "tone.wav", 0, 0, BASS_MP3_SETPOS);
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(BASS_StreamPlay(handle, FALSE, BASS_SAMPLE_LOOP));
    Sleep(300);
    EXPECT_EQ(Seconds(handle), 0.0f) << "the output has not been started yet";

    const Stopwatch sinceStart;
    ASSERT_TRUE(BASS_Start());
    Sleep(500);
    const float played = Seconds(handle);
    EXPECT_GE(played, 0.2f);
    EXPECT_LE(played, sinceStart.Seconds() + kOutputAhead);
    const DWORD level = BASS_ChannelGetLevel(handle);
    EXPECT_NEAR(static_cast<double>(level & 0xFFFF), 16384.0, 400.0);
    EXPECT_NEAR(static_cast<double>(level >> 16), 16384.0, 400.0);

    ASSERT_TRUE(BASS_ChannelPause(handle));
    Sleep(100);
    const float paused = Seconds(handle);
    Sleep(300);
    EXPECT_EQ(Seconds(handle), paused);
    ASSERT_TRUE(BASS_ChannelResume(handle));
    Sleep(300);
    EXPECT_GE(Seconds(handle), paused + 0.1f);

    ASSERT_TRUE(BASS_ChannelSetPosition(handle, BASS_ChannelSeconds2Bytes(handle, 2.5f)));
    EXPECT_GE(Seconds(handle), 2.5f);
    float lowest = 3.0f;
    for (int i = 0; i < 300 && lowest >= 2.5f; ++i) {
        Sleep(100);
        lowest = std::min(lowest, Seconds(handle));
    }
    EXPECT_LT(lowest, 2.5f) << "a looping stream starts again at its end";

    ASSERT_TRUE(BASS_Stop());
    Sleep(100);
    const float stopped = Seconds(handle);
    Sleep(300);
    EXPECT_EQ(Seconds(handle), stopped);
    BASS_Free();
    EXPECT_EQ(BASS_ChannelGetPosition(handle), 0u);
    BASS_Free();
}

// Reads the left channel of raw 16-bit stereo output.
std::vector<int16_t> LeftChannel(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<int16_t> left;
    int16_t frame[2];
    while (in.read(reinterpret_cast<char*>(frame), sizeof frame)) {
        left.push_back(frame[0]);
    }
    return left;
}

struct ToneMeasure {
    double frequency;
    int peak;
    size_t soundingSamples;
};

// Frequency from the rising zero crossings of the sounding part.
ToneMeasure MeasureTone(const std::vector<int16_t>& samples, int rate) {
    size_t first = samples.size();
    size_t last = 0;
    int peak = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) > 1000) {
            first = std::min(first, i);
            last = i;
        }
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    }
    if (first >= last) {
        return {0.0, peak, 0};
    }
    size_t crossings = 0;
    size_t firstCrossing = 0;
    size_t lastCrossing = 0;
    for (size_t i = first + 1; i <= last; ++i) {
        if (samples[i - 1] < 0 && samples[i] >= 0) {
            if (crossings == 0) {
                firstCrossing = i;
            }
            lastCrossing = i;
            ++crossings;
        }
    }
    const double span = static_cast<double>(lastCrossing - firstCrossing) / rate;
    return {crossings > 1 ? (crossings - 1) / span : 0.0, peak, last - first + 1};
}

TEST_F(BassTest, DiskOutputReceivesTheToneAtItsPitchAndLevel) {
    const std::string output = dir.File("output.raw");
    UseDriver("disk");
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    // A mono 22 050 Hz file checks the duplication to stereo and the
    // resampling to the output rate at once.
    ASSERT_TRUE(WriteTone(dir.File("tone.wav"), 440.0, 0.6, 22050, 1));
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
    ASSERT_TRUE(BASS_Start());
    const HSTREAM handle = BASS_StreamCreateFile(FALSE, "tone.wav", 0, 0, BASS_MP3_SETPOS);
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(BASS_StreamPlay(handle, FALSE, 0));
    for (int i = 0; i < 40 && BASS_ChannelGetPosition(handle) < BASS_StreamGetLength(handle); ++i) {
        Sleep(100);
    }
    Sleep(200);
    BASS_Free();

    const ToneMeasure tone = MeasureTone(LeftChannel(output), 44100);
    EXPECT_NEAR(tone.frequency, 440.0, 4.0);
    EXPECT_NEAR(tone.peak, 16384, 200);
    EXPECT_NEAR(static_cast<double>(tone.soundingSamples), 0.6 * 44100, 0.02 * 44100);
}

// The editing player's music: played at twice its rate (pitch an octave up),
// its position kept on the virtual clock while a device plays it.
TEST_F(BassTest, AtAnotherRateThePitchFollowsAndThePositionCanKeepToTheClock) {
    const std::string output = dir.File("output.raw");
    UseDriver("disk");
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    ASSERT_TRUE(WriteTone(dir.File("tone.wav"), 440.0, 2.0, 44100, 2));
    Platform::UseVirtualClock(true);
    Platform::UseClockPosition(true);
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
    ASSERT_TRUE(BASS_Start());
    const HSTREAM handle = BASS_StreamCreateFile(FALSE, "tone.wav", 0, 0, 0);
    ASSERT_NE(handle, 0u);
    EXPECT_FALSE(BASS_ChannelSetAttribute(handle, BASS_ATTRIB_FREQ + 1, 88200.0f));
    EXPECT_FALSE(BASS_ChannelSetAttribute(handle, BASS_ATTRIB_FREQ, -1.0f));
    EXPECT_FALSE(BASS_ChannelSetAttribute(handle, BASS_ATTRIB_FREQ, 50.0f));
    EXPECT_FALSE(BASS_ChannelSetAttribute(0, BASS_ATTRIB_FREQ, 88200.0f));
    ASSERT_TRUE(BASS_ChannelSetAttribute(handle, BASS_ATTRIB_FREQ, 88200.0f));
    ASSERT_TRUE(BASS_StreamPlay(handle, FALSE, BASS_SAMPLE_LOOP));
    Sleep(300);
    EXPECT_EQ(Seconds(handle), 0.0f) << "the clock has not moved";
    Platform::SetVirtualTimeNs(750000000);
    EXPECT_NEAR(Seconds(handle), 0.75f, 0.001f);
    Sleep(300);
    BASS_Free();
    Platform::UseClockPosition(false);
    Platform::UseVirtualClock(false);

    const ToneMeasure tone = MeasureTone(LeftChannel(output), 44100);
    EXPECT_NEAR(tone.frequency, 880.0, 10.0);
}

}  // namespace
