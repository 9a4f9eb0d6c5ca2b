#include "sound/MusicAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double kPi = 3.14159265358979323846;
// Half of the complex transform that a real window of kWindow frames packs into.
constexpr int kHalf = MusicAnalysis::kWindow / 2;
constexpr float kSmoothDecay = 0.75f;
// The integral grows as a sum taken once a picture at this rate would.
constexpr double kIntegralPicturesPerSecond = 60.0;
// The web audio analyser's magnitude is |X| / N; ours is 2 |X| / sum of the
// window, whose mean is the Blackman window's first coefficient.
constexpr float kWebMagnitudeOfAmplitude = 0.42f / 2.0f;
constexpr float kWebFloorDb = -100.0f;
constexpr float kWebCeilingDb = -30.0f;

uint32_t ReverseBits(uint32_t value, int bits) {
    uint32_t out = 0;
    for (int i = 0; i < bits; ++i) {
        out = (out << 1) | ((value >> i) & 1u);
    }
    return out;
}

}  // namespace

MusicAnalysis::MusicAnalysis(Source sourceOfFrames)
    : source(std::move(sourceOfFrames)),
      window(kWindow),
      cosines(kWindow),
      sines(kWindow),
      reversed(kHalf),
      real(kHalf),
      imaginary(kHalf),
      samples(kWindow),
      integralIndex(0),
      integral(kBins, 0.0f),
      checkpoints(1, std::vector<float>(kBins, 0.0f)),
      scratch(kBins) {
    // The web audio analyser's Blackman window.
    for (int n = 0; n < kWindow; ++n) {
        const double phase = 2.0 * kPi * n / kWindow;
        window[n] = static_cast<float>(0.42 - 0.5 * std::cos(phase) + 0.08 * std::cos(2.0 * phase));
    }
    for (int k = 0; k < kWindow; ++k) {
        cosines[k] = static_cast<float>(std::cos(2.0 * kPi * k / kWindow));
        sines[k] = static_cast<float>(std::sin(2.0 * kPi * k / kWindow));
    }
    int bits = 0;
    while ((1 << bits) < kHalf) {
        ++bits;
    }
    for (uint32_t i = 0; i < static_cast<uint32_t>(kHalf); ++i) {
        reversed[i] = ReverseBits(i, bits);
    }
}

// The amplitudes of the window ending at end: the real window packed into a
// complex transform of half its length (even frames real, odd imaginary),
// then unpacked into the bands of the whole one.
uint32_t MusicAnalysis::WindowSpectrum(int64_t end, float* bins) {
    const uint32_t rate = source(end, kWindow, samples.data());
    if (rate == 0) {
        std::fill(bins, bins + kBins, 0.0f);
        return 0;
    }
    for (int n = 0; n < kHalf; ++n) {
        const uint32_t to = reversed[n];
        real[to] = samples[2 * n] * window[2 * n];
        imaginary[to] = samples[2 * n + 1] * window[2 * n + 1];
    }
    for (int size = 2; size <= kHalf; size *= 2) {
        const int half = size / 2;
        // The twiddles of a transform of size points: every (kWindow / size)-th.
        const int stride = kWindow / size;
        for (int start = 0; start < kHalf; start += size) {
            for (int k = 0; k < half; ++k) {
                const float wr = cosines[k * stride];
                const float wi = -sines[k * stride];
                const int i = start + k;
                const int j = i + half;
                const float tr = wr * real[j] - wi * imaginary[j];
                const float ti = wr * imaginary[j] + wi * real[j];
                real[j] = real[i] - tr;
                imaginary[j] = imaginary[i] - ti;
                real[i] += tr;
                imaginary[i] += ti;
            }
        }
    }
    const float scale = 2.0f / (0.42f * kWindow);
    for (int k = 0; k < kBins; ++k) {
        const int mirror = k == 0 ? 0 : kHalf - k;
        // Even and odd halves of band k, then the odd one turned by its twiddle.
        const float evenRe = 0.5f * (real[k] + real[mirror]);
        const float evenIm = 0.5f * (imaginary[k] - imaginary[mirror]);
        const float oddRe = 0.5f * (imaginary[k] + imaginary[mirror]);
        const float oddIm = -0.5f * (real[k] - real[mirror]);
        const float wr = cosines[k];
        const float wi = -sines[k];
        const float re = evenRe + wr * oddRe - wi * oddIm;
        const float im = evenIm + wr * oddIm + wi * oddRe;
        bins[k] = std::sqrt(re * re + im * im) * scale;
    }
    return rate;
}

const std::vector<float>& MusicAnalysis::GridSpectrum(int64_t index) {
    auto found = grid.find(index);
    if (found == grid.end()) {
        std::vector<float> bins(kBins, 0.0f);
        if (index > 0) {
            WindowSpectrum(index * kSmoothHop, bins.data());
        }
        found = grid.emplace(index, std::move(bins)).first;
    }
    return found->second;
}

void MusicAnalysis::Smoothed(int64_t end, float* out) {
    const int64_t newest = end / kSmoothHop;
    std::fill(out, out + kBins, 0.0f);
    float weight = 1.0f;
    float total = 0.0f;
    for (int j = 0; j < kSmoothWindows; ++j) {
        const std::vector<float>& bins = GridSpectrum(newest - j);
        for (int k = 0; k < kBins; ++k) {
            out[k] += bins[k] * weight;
        }
        total += weight;
        weight *= kSmoothDecay;
    }
    for (int k = 0; k < kBins; ++k) {
        out[k] /= total;
    }
    // Only the windows the next pictures may use stay.
    for (auto it = grid.begin(); it != grid.end();) {
        const bool kept = it->first > newest - kSmoothWindows && it->first <= newest + 2;
        it = kept ? std::next(it) : grid.erase(it);
    }
}

// The running sum moves to grid point index, from where it is when that is
// on the way, otherwise from the last checkpoint at or before index: every
// sum is added up in the same order from the start.
void MusicAnalysis::AdvanceIntegral(int64_t index, uint32_t rate) {
    const int64_t checkpoint =
        std::min<int64_t>(index / kCheckpointEvery, static_cast<int64_t>(checkpoints.size()) - 1);
    if (index < integralIndex || checkpoint * kCheckpointEvery > integralIndex) {
        integral = checkpoints[static_cast<size_t>(checkpoint)];
        integralIndex = checkpoint * kCheckpointEvery;
    }
    const float share = static_cast<float>(kIntegralHop / static_cast<double>(rate) * kIntegralPicturesPerSecond);
    while (integralIndex < index) {
        ++integralIndex;
        WindowSpectrum(integralIndex * kIntegralHop, scratch.data());
        for (int k = 0; k < kBins; ++k) {
            integral[k] += scratch[k] * share;
        }
        if (integralIndex % kCheckpointEvery == 0 &&
            integralIndex / kCheckpointEvery == static_cast<int64_t>(checkpoints.size())) {
            checkpoints.push_back(integral);
        }
    }
}

void MusicAnalysis::Integrated(int64_t end, const float* current, uint32_t rate, float* out) {
    const int64_t index = end / kIntegralHop;
    AdvanceIntegral(index, rate);
    const float since = static_cast<float>((end - index * kIntegralHop) / static_cast<double>(rate) *
                                           kIntegralPicturesPerSecond);
    for (int k = 0; k < kBins; ++k) {
        out[k] = integral[k] + current[k] * since;
    }
}

bool MusicAnalysis::Analyse(int64_t end, unsigned parts, Picture& out) {
    end = std::max<int64_t>(end, 0);
    out.rate = WindowSpectrum(end, out.spectrum);
    if (out.rate == 0) {
        std::memset(out.smoothed, 0, sizeof out.smoothed);
        std::memset(out.integrated, 0, sizeof out.integrated);
        std::memset(out.waveform, 0, sizeof out.waveform);
        return false;
    }
    if ((parts & kWaveformPart) != 0) {
        std::copy(samples.end() - kWaveform, samples.end(), out.waveform);
    }
    if ((parts & kSmoothed) != 0) {
        Smoothed(end, out.smoothed);
    }
    if ((parts & kIntegrated) != 0) {
        Integrated(end, out.spectrum, out.rate, out.integrated);
    }
    return true;
}

float MusicAnalysis::ShadertoyLevel(float amplitude) {
    const float magnitude = amplitude * kWebMagnitudeOfAmplitude;
    const float decibels = 20.0f * std::log10(std::max(magnitude, 1e-12f));
    return std::clamp((decibels - kWebFloorDb) / (kWebCeilingDb - kWebFloorDb), 0.0f, 1.0f);
}
