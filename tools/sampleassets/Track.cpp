// The sample music's stereo track: the echo, the mix of two tracks and the
// samples handed to the sound file.
#include "tools/sampleassets/Track.h"

namespace SampleAssets {

void Track::AddEchoOf(const Track& send, double delaySeconds, double feedback, int repeats) {
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

void Track::Mix(const Track& other, double gain) {
    for (size_t i = 0; i < frames; ++i) {
        left[i] += other.left[i] * gain;
        right[i] += other.right[i] * gain;
    }
}

std::vector<float> Track::Interleaved() const {
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

}  // namespace SampleAssets
