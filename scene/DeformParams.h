// The values one deformation of an object runs with, and the constants every
// way of running its stages shares.
#ifndef HALVENOR_SCENE_DEFORMPARAMS_H
#define HALVENOR_SCENE_DEFORMPARAMS_H

struct DeformParams {
    // Degrees to radians, to the ten decimals the deformation stages have
    // always used (not M_PI / 180, which would shift the waves slightly).
    static constexpr double kDegToRad = 0.0174532925;
    // Flag stage: the band of this half-width around x = 0 stays unbent.
    static constexpr double kFlagBand = 0.07;

    double time;
    double frequency;
    double amplitude;
    double phase;
};

#endif
