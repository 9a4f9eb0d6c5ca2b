// The music seen as pictures see it: its spectrum, a smoothed spectrum, a
// spectrum integrated over time and its waveform, each a function of one
// position in the decoded music and of nothing else. A window of the music
// ending at the position is analysed, so the player, a capture, a seek and a
// reload that draw the same music time draw the same spectrum; nothing
// depends on the sound card, on the frame rate or on the pictures drawn
// before.
//
// - spectrum: amplitude of each of kBins bands from 0 to half the rate, a
//   2048-frame Blackman window ending at the position; a full-scale sine
//   reads about 1 in its band.
// - smoothed: a weighted mean of the spectra of the windows ending on a
//   fixed grid of kSmoothHop frames at or before the position, the newest
//   weighing most (a fall-off of about a tenth of a second).
// - integrated: the sum of the spectra of the windows ending on a grid of
//   kIntegralHop frames since the start of the music, each counted for its
//   share of seconds times 60 (it grows as a sum taken at 60 pictures a
//   second would), plus the current spectrum's share of the time since the
//   last grid point. It is always summed from the start in the same order,
//   from checkpoints kept as it goes, so it is the same however the
//   position was reached.
// - waveform: the last kWaveform frames, -1 to 1.
#ifndef HALVENOR_SOUND_MUSICANALYSIS_H
#define HALVENOR_SOUND_MUSICANALYSIS_H

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class MusicAnalysis {
public:
    static constexpr int kWindow = 2048;
    static constexpr int kBins = kWindow / 2;
    static constexpr int kWaveform = 512;
    static constexpr int kSmoothHop = 1024;
    static constexpr int kSmoothWindows = 12;
    static constexpr int kIntegralHop = 2048;
    static constexpr int kCheckpointEvery = 64;

    // count mono frames ending just before end (silence outside the music);
    // answers the music's rate, 0 when there is no music.
    using Source = std::function<uint32_t(int64_t end, int count, float* mono)>;

    enum Part : unsigned { kSpectrum = 1, kSmoothed = 2, kIntegrated = 4, kWaveformPart = 8, kAll = 15 };

    struct Picture {
        float spectrum[kBins];
        float smoothed[kBins];
        float integrated[kBins];
        float waveform[kWaveform];
        uint32_t rate;
    };

    explicit MusicAnalysis(Source source);

    // The parts asked for at frame position end; false, with everything 0,
    // without music.
    bool Analyse(int64_t end, unsigned parts, Picture& out);

    // A band's amplitude as Shadertoy's music texture holds it: decibels of
    // the web's audio analyser from -100 to -30 mapped to 0..1.
    static float ShadertoyLevel(float amplitude);

private:
    uint32_t WindowSpectrum(int64_t end, float* bins);
    const std::vector<float>& GridSpectrum(int64_t index);
    void Smoothed(int64_t end, float* out);
    void Integrated(int64_t end, const float* current, uint32_t rate, float* out);
    void AdvanceIntegral(int64_t index, uint32_t rate);

    Source source;
    std::vector<float> window;
    std::vector<float> cosines;
    std::vector<float> sines;
    std::vector<uint32_t> reversed;
    std::vector<float> real;
    std::vector<float> imaginary;
    std::vector<float> samples;
    std::map<int64_t, std::vector<float>> grid;
    // The integral's running sum at integralIndex, and copies of it at every
    // kCheckpointEvery grid points reached so far.
    int64_t integralIndex;
    std::vector<float> integral;
    std::vector<std::vector<float>> checkpoints;
    std::vector<float> scratch;
};

#endif
