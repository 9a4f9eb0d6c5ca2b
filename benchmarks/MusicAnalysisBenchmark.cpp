// What the music's pictures cost a frame: a minute of music (a chord with a
// beating bass and noise, decoded into memory as the player holds it)
// analysed at every picture of 60 a second, all four parts (spectrum,
// smoothed, integrated, waveform), as a shader reading all of them asks.
// Reports the mean per picture over the minute played, the best of several
// runs (the machine is shared), and the worst single picture of a jump to a
// place never played (the integral's catch-up).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "sound/MusicAnalysis.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr int kSeconds = 60;
constexpr int kRuns = 5;

std::vector<float> MakeMusic() {
    std::vector<float> music(static_cast<size_t>(kRate) * kSeconds);
    uint32_t noise = 1;
    for (size_t i = 0; i < music.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        noise = noise * 1664525u + 1013904223u;
        const double beat = std::exp(-8.0 * std::fmod(t, 0.5));
        music[i] = static_cast<float>(0.3 * beat * std::sin(2.0 * M_PI * 55.0 * t) + 0.1 * std::sin(2.0 * M_PI * 440.0 * t) +
                                      0.08 * std::sin(2.0 * M_PI * 554.4 * t) + 0.05 * ((noise >> 8) / 8388608.0 - 1.0));
    }
    return music;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main() {
    const std::vector<float> music = MakeMusic();
    auto source = [&music](int64_t end, int count, float* mono) {
        for (int i = 0; i < count; ++i) {
            const int64_t frame = end - count + i;
            mono[i] = frame >= 0 && frame < static_cast<int64_t>(music.size()) ? music[static_cast<size_t>(frame)] : 0.0f;
        }
        return kRate;
    };
    auto picture = std::make_unique<MusicAnalysis::Picture>();
    const int pictures = kSeconds * 60;
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        MusicAnalysis spectrum(source);
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < pictures; ++i) {
            spectrum.Analyse(static_cast<int64_t>(i) * kRate / 60, MusicAnalysis::kAll, *picture);
        }
        best = std::min(best, Seconds(start) / pictures);
    }
    MusicAnalysis fresh(source);
    const auto start = std::chrono::steady_clock::now();
    fresh.Analyse(static_cast<int64_t>(kSeconds - 1) * kRate, MusicAnalysis::kAll, *picture);
    const double jump = Seconds(start);
    std::printf("metric: music_spectrum_frame_ms %.4f ms\n", best * 1000.0);
    std::printf("metric: music_spectrum_jump_59s_ms %.3f ms\n", jump * 1000.0);
    return 0;
}
