// One step of a layer's animation program: the k-th move step and the k-th
// fade step share a record. Deltas are per tick.
#ifndef HALVENOR_FX2D_LAYERSTEP_H
#define HALVENOR_FX2D_LAYERSTEP_H

struct LayerStep {
    float moveTargetX;
    float moveTargetY;
    float moveDeltaX;
    float moveDeltaY;
    float moveTicks;
    float fadeFrom;
    float fadeTo;
    float fadeDelta;
    float fadeTicks;
};

#endif
