// Writes the sample show's assets into a directory: the textures the engine
// and the scene name, a small 3ds Max-style ASCII scene, a music loop and two
// particle systems (made by the ParticleTool built next to it).
// Everything is computed here from fixed seeds, so two runs write the same
// bytes.
//
//   MakeSampleAssets <target directory>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <sndfile.h>

#include "core/Version.h"
#include "sound/ProTrackerModule.h"
#include "tools/sampleassets/AseWriter.h"
#include "tools/sampleassets/Image.h"
#include "tools/sampleassets/ImageFiles.h"
#include "tools/sampleassets/Random.h"
#include "tools/sampleassets/SampleFont.h"
#include "tools/sampleassets/SampleLayers.h"
#include "tools/sampleassets/SampleMeshes.h"
#include "tools/sampleassets/SampleParticles.h"
#include "tools/sampleassets/SampleScene.h"
#include "tools/sampleassets/SampleTextures.h"
#include "tools/sampleassets/SampleMaths.h"
#include "tools/sampleassets/TilingNoise.h"

using namespace SampleAssets;

namespace {

// ---------------------------------------------------------------------------
// Music: eight bars at 96 beats per minute, 20 seconds that loop seamlessly
// (every sound that rings past the end wraps round to the start).

constexpr int kSampleRate = 44100;
constexpr double kBeat = 60.0 / 96.0;
constexpr int kBars = 8;
constexpr double kLength = kBars * 4 * kBeat;

class Track {
public:
    Track() : frames(static_cast<size_t>(kLength * kSampleRate)), left(frames, 0.0), right(frames, 0.0) {}

    // Adds a voice from `start` seconds on; `voice` gives the mono sample at
    // a time since the note began, `pan` 0 (left) to 1 (right).
    template <typename Voice>
    void Add(double start, double duration, double pan, Voice voice) {
        const size_t first = static_cast<size_t>(std::lround(start * kSampleRate));
        const size_t count = static_cast<size_t>(duration * kSampleRate);
        const double release = 0.01 * kSampleRate;  // no click where a note is cut
        const double leftGain = std::cos(pan * kPi / 2.0);
        const double rightGain = std::sin(pan * kPi / 2.0);
        for (size_t i = 0; i < count; ++i) {
            const double value = voice(static_cast<double>(i) / kSampleRate) * std::fmin(1.0, (count - i) / release);
            const size_t at = (first + i) % frames;
            left[at] += value * leftGain;
            right[at] += value * rightGain;
        }
    }

    // Ping-pong echo, also wrapping, applied to a separate send track.
    void AddEchoOf(const Track& send, double delaySeconds, double feedback, int repeats) {
        const size_t delay = static_cast<size_t>(delaySeconds * kSampleRate);
        double gain = 1.0;
        for (int r = 1; r <= repeats; ++r) {
            gain *= feedback;
            const bool swap = r % 2 == 1;
            for (size_t i = 0; i < frames; ++i) {
                const size_t at = (i + delay * r) % frames;
                left[at] += (swap ? send.right[i] : send.left[i]) * gain;
                right[at] += (swap ? send.left[i] : send.right[i]) * gain;
            }
        }
    }

    void Mix(const Track& other, double gain) {
        for (size_t i = 0; i < frames; ++i) {
            left[i] += other.left[i] * gain;
            right[i] += other.right[i] * gain;
        }
    }

    // Interleaved stereo scaled to a peak of 0.9.
    std::vector<float> Interleaved() const {
        double peak = 1e-9;
        for (size_t i = 0; i < frames; ++i) {
            peak = std::fmax(peak, std::fmax(std::fabs(left[i]), std::fabs(right[i])));
        }
        const double scale = 0.9 / peak;
        std::vector<float> out(frames * 2);
        for (size_t i = 0; i < frames; ++i) {
            out[i * 2] = static_cast<float>(left[i] * scale);
            out[i * 2 + 1] = static_cast<float>(right[i] * scale);
        }
        return out;
    }

    const size_t frames;

private:
    std::vector<double> left;
    std::vector<double> right;
};

double NoteFrequency(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

// Band-limited saw from its first harmonics.
double Saw(double phase, int harmonics) {
    double sum = 0.0;
    for (int n = 1; n <= harmonics; ++n) {
        sum += std::sin(2.0 * kPi * n * phase) / n;
    }
    return sum * 0.6;
}

double Triangle(double phase) {
    return std::sin(2.0 * kPi * phase) - std::sin(6.0 * kPi * phase) / 9.0 + std::sin(10.0 * kPi * phase) / 25.0;
}

double Pluck(double t, double attack, double decay) { return t < attack ? t / attack : std::exp(-(t - attack) / decay); }

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

// ---------------------------------------------------------------------------
// Tracker music for shows/tracker: a four-channel ProTracker module at speed 6
// and tempo 125, so a row lasts 0.12 s, a beat four rows (0.48 s) and each of
// its two patterns four bars (7.68 s): 15.36 s that loop. Its samples are
// computed here at the rate a C-2 plays (about 8 287 Hz on a PAL Amiga).

constexpr double kModuleRate = 7093789.2 / (2.0 * 428.0);
// Notes: 0 is C-1, 12 C-2, 24 C-3.
constexpr int kC2 = 12;

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

bool WriteModule(const std::string& path) {
    const std::string bytes = ComposeModule();
    FILE* const file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// ---------------------------------------------------------------------------

bool MakeDirectory(const std::string& path) {
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

bool Report(bool ok, const std::string& path) {
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", path.c_str());
    return ok;
}

}  // namespace

// What the sample and the tracker show both hold: the scene and its
// textures, the flare, the console's font and background. False when the
// directories cannot be made (said on stderr); ok takes each file's report.
bool WriteSharedAssets(const std::string& root, bool& ok) {
    const std::string textures = root + "/texturas";
    if (!MakeDirectory(root) || !MakeDirectory(textures)) {
        std::fprintf(stderr, "MakeSampleAssets: cannot create %s\n", textures.c_str());
        return false;
    }
    ok &= Report(WriteJpeg(textures + "/Blue.jpg", MakeFlare(), 92), textures + "/Blue.jpg");
    ok &= Report(WriteJpeg(textures + "/font.jpg", MakeFont(), 95), textures + "/font.jpg");
    ok &= Report(WriteJpeg(textures + "/consola_fondo.jpg", MakeConsoleBackground(), 90), textures + "/consola_fondo.jpg");
    ok &= Report(WriteJpeg(textures + "/checker.jpg", MakeChecker(), 90), textures + "/checker.jpg");
    ok &= Report(WriteTga(textures + "/marble.tga", MakeMarble()), textures + "/marble.tga");
    ok &= Report(WriteJpeg(textures + "/env.jpg", MakeSphereMap(), 90), textures + "/env.jpg");
    ok &= Report(WriteScene(root + "/escena.ase"), root + "/escena.ase");
    return true;
}

// shows/tracker: the sample's scene, sparks, console and flare textures, its
// own board and the tracker module as music.
int WriteTrackerShow(const std::string& root) {
    const std::string textures = root + "/texturas";
    bool ok = true;
    if (!WriteSharedAssets(root, ok)) {
        return 1;
    }
    ok &= Report(WriteJpeg(textures + "/chispa.jpg", MakeSpark(), 92), textures + "/chispa.jpg");
    ok &= Report(WriteJpeg(textures + "/tablero.jpg", MakeBoard("HALVENOR TRACKER", "MOD - XM - S3M - IT"), 95),
                 textures + "/tablero.jpg");
    ok &= Report(WriteJpeg(textures + "/marco.jpg", MakeFrameOverlay(), 95), textures + "/marco.jpg");
    ok &= Report(WriteSparks(root + "/chispas.bin"), root + "/chispas.bin");
    ok &= Report(WriteModule(root + "/musica.mod"), root + "/musica.mod");
    return ok ? 0 : 1;
}

int main(int argc, char** argv) {
    const char* const usage =
        "usage: MakeSampleAssets [--tracker] <target directory>\n"
        "Writes the sample show's scene (escena.ase), music (musica.flac or musica.wav)\n"
        "and textures (texturas/) into the directory, creating it if needed.\n"
        "  --tracker  the tracker show's instead (shows/tracker): its scene, textures,\n"
        "             sparks and a ProTracker module composed here (musica.mod)\n"
        "  --help     this text\n"
        "  --version  the engine version\n";
    if (argc == 3 && std::strcmp(argv[1], "--tracker") == 0 && argv[2][0] != '-' && argv[2][0] != '\0') {
        return WriteTrackerShow(argv[2]);
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("MakeSampleAssets %s\n", HALVENOR_VERSION);
        return 0;
    }
    // A word that looks like an option is never taken for a directory name.
    if (argc != 2 || argv[1][0] == '-' || argv[1][0] == '\0') {
        std::fputs(usage, stderr);
        return 2;
    }
    const std::string root = argv[1];
    const std::string textures = root + "/texturas";
    bool ok = true;
    if (!WriteSharedAssets(root, ok)) {
        return 1;
    }
    ok &= Report(WriteJpeg(textures + "/carga.jpg", MakeLoadingScreen(), 92), textures + "/carga.jpg");
    ok &= Report(WriteJpeg(textures + "/tablero.jpg", MakeBoard(), 95), textures + "/tablero.jpg");
    ok &= Report(WriteJpeg(textures + "/tira.jpg", MakeStrip(), 92), textures + "/tira.jpg");
    ok &= Report(WriteJpeg(textures + "/marco.jpg", MakeFrameOverlay(), 95), textures + "/marco.jpg");
    ok &= Report(WriteJpeg(textures + "/chispa.jpg", MakeSpark(), 92), textures + "/chispa.jpg");
    ok &= Report(WriteSparks(root + "/chispas.bin"), root + "/chispas.bin");
    ok &= Report(WriteSpiral(root + "/espiral.bin"), root + "/espiral.bin");
    const std::string music = WriteMusic(root);
    ok &= Report(!music.empty(), root + "/" + (music.empty() ? "musica" : music));
    ok &= Report(ExportBinaryScene(root), root + "/escena.bin");
    return ok ? 0 : 1;
}
