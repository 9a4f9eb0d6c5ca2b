// The sample show's music: eight bars at 96 beats per minute, 20 seconds that
// loop seamlessly, played by bass, pad, drums and an echoed arpeggio over
// Am F C G | Am F Dm E, and written as FLAC (or WAV).
#include "tools/sampleassets/SampleMusic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <sndfile.h>

#include "tools/sampleassets/Random.h"
#include "tools/sampleassets/SampleMaths.h"
#include "tools/sampleassets/SampleWaves.h"
#include "tools/sampleassets/Track.h"

namespace SampleAssets {

namespace {

struct Chord {
    int root;   // bass note
    int tones[3];
};

// Am F C G | Am F Dm E: the last bar leads back to the first.
const Chord kProgression[kBars] = {
    {45, {57, 60, 64}}, {41, {57, 60, 65}}, {48, {55, 60, 64}}, {43, {55, 59, 62}},
    {45, {57, 60, 64}}, {41, {57, 60, 65}}, {50, {57, 62, 65}}, {40, {56, 59, 64}},
};

void AddBass(Track& track, double barStart, const Chord& chord) {
    static const int kSteps[8] = {0, 0, 12, 0, 7, 0, 12, 7};
    for (int step = 0; step < 8; ++step) {
        const double frequency = NoteFrequency(chord.root + kSteps[step]);
        track.Add(barStart + step * kBeat / 2.0, kBeat * 0.9, 0.5, [frequency](double t) {
            return Saw(frequency * t, 6) * Pluck(t, 0.004, 0.16) * 0.5 + std::sin(2.0 * kPi * frequency * t) * Pluck(t, 0.004, 0.3) * 0.35;
        });
    }
}

void AddArpeggio(Track& track, double barStart, const Chord& chord) {
    static const int kOrder[16] = {0, 1, 2, 3, 4, 5, 4, 3, 1, 2, 3, 4, 5, 4, 2, 1};
    for (int step = 0; step < 16; ++step) {
        const int index = kOrder[step];
        const int note = chord.tones[index % 3] + 12 * (1 + index / 3);
        const double frequency = NoteFrequency(note);
        const double pan = step % 2 == 0 ? 0.3 : 0.7;
        track.Add(barStart + step * kBeat / 4.0, 0.7, pan, [frequency](double t) {
            const double tone = Triangle(frequency * t) + 0.4 * Triangle(frequency * 1.004 * t);
            return tone * Pluck(t, 0.003, 0.11) * 0.22;
        });
    }
}

void AddPad(Track& track, double barStart, const Chord& chord) {
    const double length = 4.0 * kBeat;
    for (int i = 0; i < 3; ++i) {
        const double frequency = NoteFrequency(chord.tones[i]);
        track.Add(barStart, length + 0.6, 0.2 + 0.3 * i, [frequency, length](double t) {
            const double swell = SmoothStep(0.0, 0.5, t) * (1.0 - SmoothStep(length - 0.1, length + 0.6, t));
            const double vibrato = 1.0 + 0.003 * std::sin(2.0 * kPi * 5.0 * t);
            const double phase = frequency * vibrato * t;
            return (std::sin(2.0 * kPi * phase) + 0.3 * std::sin(4.0 * kPi * phase)) * swell * 0.07;
        });
    }
}

void AddDrums(Track& track, double barStart, Random& random) {
    for (int beat = 0; beat < 4; ++beat) {
        const double at = barStart + beat * kBeat;
        track.Add(at, 0.5, 0.5, [](double t) {
            const double phase = 45.0 * t + (150.0 - 45.0) * 0.04 * (1.0 - std::exp(-t / 0.04));
            return std::sin(2.0 * kPi * phase) * std::exp(-t / 0.16) * 0.8;
        });
        if (beat % 2 == 1) {
            std::vector<double> noise(static_cast<size_t>(0.3 * kSampleRate));
            for (double& n : noise) {
                n = random.Unit() * 2.0 - 1.0;
            }
            track.Add(at, 0.3, 0.45, [&noise](double t) {
                const size_t i = std::min(noise.size() - 1, static_cast<size_t>(t * kSampleRate));
                return (noise[i] * 0.5 + std::sin(2.0 * kPi * 185.0 * t) * 0.4) * std::exp(-t / 0.08) * 0.45;
            });
        }
        std::vector<double> hiss(static_cast<size_t>(0.1 * kSampleRate));
        double previous = 0.0;
        for (double& n : hiss) {
            const double white = random.Unit() * 2.0 - 1.0;
            n = white - previous;  // a first difference keeps only the top of the spectrum
            previous = white;
        }
        track.Add(at + kBeat / 2.0, 0.1, 0.65, [&hiss](double t) {
            const size_t i = std::min(hiss.size() - 1, static_cast<size_t>(t * kSampleRate));
            return hiss[i] * std::exp(-t / 0.025) * 0.18;
        });
    }
}

std::vector<float> ComposeMusic() {
    Track mix;
    Track arpeggio;
    Random random(0xD12u);
    for (int bar = 0; bar < kBars; ++bar) {
        const double start = bar * 4.0 * kBeat;
        const Chord& chord = kProgression[bar];
        AddBass(mix, start, chord);
        AddPad(mix, start, chord);
        AddDrums(mix, start, random);
        AddArpeggio(arpeggio, start, chord);
    }
    mix.Mix(arpeggio, 1.0);
    mix.AddEchoOf(arpeggio, kBeat * 0.75, 0.35, 4);
    return mix.Interleaved();
}

}  // namespace

// FLAC when the library can write it (under half the size), else WAV; both
// 16-bit. Not Ogg Vorbis: its stream serial number is random, so two runs
// would not write the same bytes.
std::string WriteMusic(const std::string& directory) {
    const std::vector<float> samples = ComposeMusic();
    SF_INFO info{};
    info.samplerate = kSampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    std::string name = "musica.flac";
    if (sf_format_check(&info) == 0) {
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        name = "musica.wav";
    }
    const std::string path = directory + "/" + name;
    SNDFILE* const file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "MakeSampleAssets: %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return std::string();
    }
    const sf_count_t frames = static_cast<sf_count_t>(samples.size() / 2);
    const bool complete = sf_writef_float(file, samples.data(), frames) == frames;
    sf_close(file);
    return complete ? name : std::string();
}

}  // namespace SampleAssets
