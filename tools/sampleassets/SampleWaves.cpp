// The sample's oscillators and pluck envelope, summed from sines so that
// they sound the same on every machine.
#include "tools/sampleassets/SampleWaves.h"

#include <cmath>

#include "tools/sampleassets/SampleMaths.h"

namespace SampleAssets {

double NoteFrequency(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

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

}  // namespace SampleAssets
