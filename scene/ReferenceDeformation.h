// The deformation stages one vertex record at a time, with the C library's
// cosine and sine: exact for any argument, and the definition of every
// stage that the fast path (FastDeformation) must match. It runs when the
// fast path cannot vouch for its cosines (arguments beyond its reduction, or
// numbers that are not finite), and when the fast path would be no quicker.
//
// Each stage is one pass over the contiguous vertex array: no allocation,
// arithmetic in double precision stored back as float.
#ifndef HALVENOR_SCENE_REFERENCEDEFORMATION_H
#define HALVENOR_SCENE_REFERENCEDEFORMATION_H

#include <cstdint>

#include "scene/DeformParams.h"

class SceneObject;

class ReferenceDeformation {
public:
    // Rebuilds the object's vertices from its snapshot (which it must have)
    // and runs the stages flags selects, in their order.
    static void Apply(SceneObject& object, int32_t flags, const DeformParams& d);
};

#endif
