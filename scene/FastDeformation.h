// The fast path of the deformation stages: the same stages as
// ReferenceDeformation over one array per coordinate (DeformArrays), so that
// each stage is a straight loop the compiler can vectorise, with a cosine and
// sine of its own that has no branches (FastTrig). Every stage still works in
// double precision and stores floats, in the same order of operations, so the
// results match the reference stages to the last bit of a float but for a
// rare rounding.
//
// Vertices go through the stages a block at a time, so that a block stays in
// the nearest cache from its first stage to its last.
#ifndef HALVENOR_SCENE_FASTDEFORMATION_H
#define HALVENOR_SCENE_FASTDEFORMATION_H

#include <cstdint>

#include "scene/DeformParams.h"

class SceneObject;

class FastDeformation {
public:
    // Rebuilds the object's vertices from its snapshot (which it must have)
    // and runs the stages flags selects. False when some argument might be
    // beyond the fast path's range (what it wrote by then is all written
    // again by the reference path), or when the reference path is as quick:
    // the caller then runs ReferenceDeformation.
    static bool Apply(SceneObject& object, int32_t flags, const DeformParams& d);
};

#endif
