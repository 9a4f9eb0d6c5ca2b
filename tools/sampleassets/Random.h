// The sample's random numbers: a fixed linear congruential generator, so that
// every machine makes the same numbers, unlike the standard library's
// distributions.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_RANDOM_H
#define HALVENOR_TOOLS_SAMPLEASSETS_RANDOM_H

#include <cstdint>

namespace SampleAssets {

class Random {
public:
    explicit Random(uint32_t seed) : state(seed) {}
    uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state;
    }
    // In [0, 1).
    double Unit() { return (Next() >> 8) * (1.0 / 16777216.0); }

private:
    uint32_t state;
};

}  // namespace SampleAssets

#endif
