// The music's spectrum from made-up music: a pure tone peaks in its band, and
// every part is the same at a position however the position was reached.
#include "sound/MusicAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

constexpr uint32_t kRate = 44100;
constexpr int kBand = 50;

// A sine at the middle of band kBand, at half of full scale, for a minute.
uint32_t Tone(int64_t end, int count, float* mono) {
    const double frequency = kBand * static_cast<double>(kRate) / MusicAnalysis::kWindow;
    for (int i = 0; i < count; ++i) {
        const int64_t frame = end - count + i;
        mono[i] = frame < 0 || frame >= 60 * kRate
                      ? 0.0f
                      : static_cast<float>(0.5 * std::sin(2.0 * 3.14159265358979 * frequency * frame / kRate));
    }
    return kRate;
}

int Peak(const float* bins) { return static_cast<int>(std::max_element(bins, bins + MusicAnalysis::kBins) - bins); }

TEST(MusicAnalysisTest, PureTonePeaksInItsBand) {
    MusicAnalysis spectrum(Tone);
    auto picture = std::make_unique<MusicAnalysis::Picture>();
    ASSERT_TRUE(spectrum.Analyse(10 * kRate, MusicAnalysis::kAll, *picture));
    EXPECT_EQ(picture->rate, kRate);
    EXPECT_EQ(Peak(picture->spectrum), kBand);
    EXPECT_NEAR(picture->spectrum[kBand], 0.5f, 0.02f);
    EXPECT_LT(picture->spectrum[kBand + 10], 0.001f);
    EXPECT_EQ(Peak(picture->smoothed), kBand);
    EXPECT_NEAR(picture->smoothed[kBand], 0.5f, 0.02f);
    // Ten seconds of a band at 0.5, counted 60 times a second.
    EXPECT_NEAR(picture->integrated[kBand], 10.0f * 60.0f * 0.5f, 10.0f);
    EXPECT_LT(picture->integrated[kBand + 10], 1.0f);
    float expected[MusicAnalysis::kWaveform];
    Tone(10 * kRate, MusicAnalysis::kWaveform, expected);
    EXPECT_EQ(std::memcmp(expected, picture->waveform, sizeof expected), 0);
    // Shadertoy's texture: the tone at the top of its scale, silence at 0.
    EXPECT_FLOAT_EQ(MusicAnalysis::ShadertoyLevel(picture->smoothed[kBand]), 1.0f);
    EXPECT_FLOAT_EQ(MusicAnalysis::ShadertoyLevel(0.0f), 0.0f);

    // Past the music, silence.
    ASSERT_TRUE(spectrum.Analyse(61 * kRate + MusicAnalysis::kWindow, MusicAnalysis::kSpectrum, *picture));
    EXPECT_EQ(picture->spectrum[kBand], 0.0f);
    MusicAnalysis none([](int64_t, int, float*) { return 0u; });
    EXPECT_FALSE(none.Analyse(kRate, MusicAnalysis::kAll, *picture));
    EXPECT_EQ(picture->integrated[kBand], 0.0f);
}

TEST(MusicAnalysisTest, SamePositionSamePictureWhateverCameBefore) {
    const int64_t position = 23 * kRate + 777;
    MusicAnalysis fresh(Tone);
    auto direct = std::make_unique<MusicAnalysis::Picture>();
    fresh.Analyse(position, MusicAnalysis::kAll, *direct);

    // Played up to it a picture at a time, after a jump back from later on.
    MusicAnalysis played(Tone);
    auto picture = std::make_unique<MusicAnalysis::Picture>();
    played.Analyse(40 * kRate, MusicAnalysis::kAll, *picture);
    for (int64_t at = position - kRate; at <= position; at += kRate / 60) {
        played.Analyse(at, MusicAnalysis::kAll, *picture);
    }
    played.Analyse(position, MusicAnalysis::kAll, *picture);
    EXPECT_EQ(std::memcmp(direct.get(), picture.get(), sizeof *picture), 0);
}

}  // namespace
