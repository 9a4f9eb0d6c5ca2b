// One key of a sync track: from its row on, the track's value starts at the
// key's value and goes towards the next key's value the way the key's
// interpolation says (a track keeps each key's own interpolation, as the
// editor shows it in its row).
#ifndef HALVENOR_SYNC_SYNCKEY_H
#define HALVENOR_SYNC_SYNCKEY_H

#include <cstdint>

struct SyncKey {
    // The numbers the editor's protocol and the .track files use.
    enum Interpolation : uint8_t {
        kStep = 0,    // holds the value up to the next key
        kLinear = 1,  // straight to the next key's value
        kSmooth = 2,  // eases in and out (3t² - 2t³)
        kRamp = 3,    // starts slowly and speeds up (t²)
    };
    static constexpr uint8_t kInterpolationCount = 4;

    uint32_t row;
    float value;
    uint8_t interpolation;
};

#endif
