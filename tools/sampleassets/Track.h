// A stereo track as long as the sample show's music loop, which voices are
// added to: what rings past the end wraps round to the start, so the loop
// joins without a seam.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_TRACK_H
#define HALVENOR_TOOLS_SAMPLEASSETS_TRACK_H

#include <cmath>
#include <cstddef>
#include <vector>

#include "tools/sampleassets/SampleMaths.h"

namespace SampleAssets {

// The loop: eight bars at 96 beats per minute, 20 seconds.
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
    void AddEchoOf(const Track& send, double delaySeconds, double feedback, int repeats);
    void Mix(const Track& other, double gain);
    // Interleaved stereo scaled to a peak of 0.9.
    std::vector<float> Interleaved() const;

    const size_t frames;

private:
    std::vector<double> left;
    std::vector<double> right;
};

}  // namespace SampleAssets

#endif
