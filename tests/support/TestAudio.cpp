#include "tests/support/TestAudio.h"

#include <sndfile.h>

#include <cmath>
#include <vector>

namespace TestSupport {

bool WriteTone(const std::string& path, double frequency, double seconds, int rate, int channels,
               double amplitude) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        return false;
    }
    const auto frames = static_cast<sf_count_t>(seconds * rate);
    std::vector<short> samples(static_cast<size_t>(frames) * channels);
    for (sf_count_t i = 0; i < frames; ++i) {
        const double value = amplitude * 32767.0 * std::sin(2.0 * M_PI * frequency * i / rate);
        for (int c = 0; c < channels; ++c) {
            samples[i * channels + c] = static_cast<short>(std::lround(value));
        }
    }
    const bool written = sf_writef_short(file, samples.data(), frames) == frames;
    sf_close(file);
    return written;
}

}  // namespace TestSupport
