// Tracker music for shows/tracker: a four-channel ProTracker module at speed 6
// and tempo 125, so a row lasts 0.12 s, a beat four rows (0.48 s) and each of
// its two patterns four bars (7.68 s): 15.36 s that loop. Its samples are
// computed here at the rate a C-2 plays (about 8 287 Hz on a PAL Amiga).
#include "tools/sampleassets/TrackerMusic.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "sound/ProTrackerModule.h"
#include "tools/sampleassets/Random.h"
#include "tools/sampleassets/SampleMaths.h"
#include "tools/sampleassets/SampleWaves.h"

namespace SampleAssets {

namespace {

constexpr double kModuleRate = 7093789.2 / (2.0 * 428.0);
// Notes: 0 is C-1, 12 C-2, 24 C-3.
constexpr int kC2 = 12;

// Signed bytes, padded to an even count because a module measures its
// samples in two-byte words.
std::vector<int8_t> ToBytes(const std::vector<double>& wave) {
    std::vector<int8_t> bytes;
    for (const double v : wave) {
        bytes.push_back(static_cast<int8_t>(std::lround(std::max(-1.0, std::min(1.0, v)) * 127.0)));
    }
    if (bytes.size() % 2 != 0) {
        bytes.push_back(0);
    }
    return bytes;
}

// A falling sine, played at C-2.
ProTrackerModule::Sample MakeKick() {
    std::vector<double> wave(static_cast<size_t>(0.3 * kModuleRate));
    for (size_t i = 0; i < wave.size(); ++i) {
        const double t = i / kModuleRate;
        const double phase = 50.0 * t + (160.0 - 50.0) * 0.035 * (1.0 - std::exp(-t / 0.035));
        wave[i] = std::sin(2.0 * kPi * phase) * std::exp(-t / 0.12);
    }
    return {"kick", ToBytes(wave), 64, 0, 0};
}

// Noise over a low tone, falling off fast.
ProTrackerModule::Sample MakeSnare(Random& random, double seconds, double decay, double tone, const char* name) {
    std::vector<double> wave(static_cast<size_t>(seconds * kModuleRate));
    for (size_t i = 0; i < wave.size(); ++i) {
        const double t = i / kModuleRate;
        const double noise = random.Unit() * 2.0 - 1.0;
        wave[i] = (noise * 0.8 + std::sin(2.0 * kPi * tone * t) * 0.4) * std::exp(-t / decay);
    }
    return {name, ToBytes(wave), 64, 0, 0};
}

// One cycle of a wave, looped: 32 bytes, so a note sounds at its playback
// rate divided by 32 (C-3 about 518 Hz).
ProTrackerModule::Sample MakeCycle(const char* name, int volume, double (*shape)(double)) {
    std::vector<double> wave(32);
    for (size_t i = 0; i < wave.size(); ++i) {
        wave[i] = shape(static_cast<double>(i) / wave.size());
    }
    ProTrackerModule::Sample sample{name, ToBytes(wave), volume, 0, 0};
    sample.loopLength = sample.data.size();
    return sample;
}

double BassShape(double phase) { return Saw(phase, 5) * 0.8; }
double LeadShape(double phase) { return Triangle(phase) * 0.6 + std::sin(4.0 * kPi * phase) * 0.25; }

// A bar of 16 rows per chord: Am F C G, the bass on every second row, the
// drums on the beat, the lead (second pattern only) arpeggiating the chord.
std::string ComposeModule() {
    ProTrackerModule module("halvenor tracker");
    Random random(0x70Du);
    const int kick = module.AddSample(MakeKick());
    const int snare = module.AddSample(MakeSnare(random, 0.25, 0.07, 180.0, "snare"));
    const int hat = module.AddSample(MakeSnare(random, 0.06, 0.015, 3000.0, "hat"));
    const int bass = module.AddSample(MakeCycle("bass", 48, BassShape));
    const int lead = module.AddSample(MakeCycle("lead", 40, LeadShape));
    static const int kRoots[4] = {9, 5, 0, 7};  // A F C G, in octave 1
    static const int kTones[4][3] = {{9, 12, 16}, {5, 9, 12}, {0, 4, 7}, {7, 11, 14}};
    static const int kBassSteps[8] = {0, 0, 12, 0, 7, 0, 12, 7};
    for (int p = 0; p < 2; ++p) {
        const int pattern = module.AddPattern();
        for (int row = 0; row < ProTrackerModule::kRows; ++row) {
            const int chord = row / 16;
            if (row % 8 == 0) {
                module.At(pattern, row, 0) = {kC2, kick, 0, 0};
            } else if (row % 8 == 4) {
                module.At(pattern, row, 0) = {kC2, snare, 0, 0};
            }
            if (row % 4 == 2) {
                module.At(pattern, row, 1) = {kC2 + 12, hat, 0xC, 24};
            }
            if (row % 2 == 0) {
                module.At(pattern, row, 2) = {kRoots[chord] + kBassSteps[(row / 2) % 8], bass, 0, 0};
            }
            if (p == 1 || row % 16 == 0) {
                const int tone = kTones[chord][(row / 2) % 3] + 12 * (1 + (row % 4 == 0 ? 1 : 0));
                module.At(pattern, row, 3) = {std::min(tone, ProTrackerModule::kNotes - 1), lead, 0xC,
                                              p == 1 ? 40 - (row % 4) * 6 : 24};
            }
        }
        if (p == 0) {
            module.At(pattern, 0, 1).effect = 0xF;
            module.At(pattern, 0, 1).param = 6;
        }
        module.AddOrder(pattern);
    }
    return module.Bytes();
}

}  // namespace

bool WriteModule(const std::string& path) {
    const std::string bytes = ComposeModule();
    FILE* const file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace SampleAssets
