#include "scene/ReferenceDeformation.h"

#include <cmath>
#include <cstring>

#include "scene/MeshNormals.h"
#include "scene/SceneObject.h"

namespace {

constexpr double kDegToRad = DeformParams::kDegToRad;
constexpr double kFlagBand = DeformParams::kFlagBand;

// Moves the vertex along its normal by w.
inline void PushAlongNormal(Vertex& vertex, double w) {
    vertex.position[0] = static_cast<float>(vertex.position[0] + vertex.normal[0] * w);
    vertex.position[1] = static_cast<float>(vertex.position[1] + vertex.normal[1] * w);
    vertex.position[2] = static_cast<float>(vertex.position[2] + vertex.normal[2] * w);
}

// Rotates the pair (first, second) of a position by the angle a in radians.
inline void RotatePair(float& first, float& second, double a) {
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double p = first;
    const double q = second;
    first = static_cast<float>(p * c - q * s);
    second = static_cast<float>(p * s + q * c);
}

void WaveStage(Vertex* vertices, uint32_t count, const DeformParams& d) {
    for (uint32_t i = 0; i < count; ++i) {
        Vertex& v = vertices[i];
        const double w = std::cos((v.position[0] + d.time + v.position[1] + v.position[2] + d.phase) *
                                  d.frequency * kDegToRad) *
                         d.amplitude;
        PushAlongNormal(v, w);
    }
}

void RippleStage(Vertex* vertices, uint32_t count, const DeformParams& d) {
    for (uint32_t i = 0; i < count; ++i) {
        Vertex& v = vertices[i];
        const double x = v.position[0];
        const double y = v.position[1];
        const double z = v.position[2];
        const double distance = std::sqrt(x * x + y * y + z * z);
        const double w = std::cos((d.time + distance + d.phase) * d.frequency * kDegToRad) * d.amplitude;
        PushAlongNormal(v, w);
    }
}

void NormalWaveStage(Vertex* vertices, uint32_t count, const DeformParams& d) {
    for (uint32_t i = 0; i < count; ++i) {
        Vertex& v = vertices[i];
        const double w = std::cos((v.normal[0] + d.time + v.normal[1] + v.normal[2] + d.phase) * d.frequency *
                                  kDegToRad) *
                         d.amplitude;
        PushAlongNormal(v, w);
    }
}

// Twists about one axis: the angle comes from the coordinate along that axis
// and turns the pair of the other two.
void TwistStage(Vertex* vertices, uint32_t count, const DeformParams& d, int along, int first, int second) {
    for (uint32_t i = 0; i < count; ++i) {
        float* p = vertices[i].position;
        const double a = std::cos((p[along] + d.time + d.phase) * d.frequency * kDegToRad) * d.amplitude * kDegToRad;
        RotatePair(p[first], p[second], a);
    }
}

// In the pushes the frequency is a distance along the normal.
void PushStage(Vertex* vertices, uint32_t count, double distance, int axis) {
    for (uint32_t i = 0; i < count; ++i) {
        Vertex& v = vertices[i];
        v.position[axis] = static_cast<float>(v.position[axis] + v.normal[axis] * distance);
    }
}

// Bends both halves of the object away from the unbent band around x = 0,
// like cloth on a pole, and bobs the whole object.
void FlagStage(Vertex* vertices, uint32_t count, const DeformParams& d) {
    const double bob = (std::cos(8.0 * d.time * kDegToRad) + std::sin(4.0 * d.time * kDegToRad)) / 5.0;
    for (uint32_t i = 0; i < count; ++i) {
        float* p = vertices[i].position;
        const double x = p[0];
        double a = 0.0;
        if (x > kFlagBand) {
            a = std::cos((x + d.time + d.phase) * d.frequency * kDegToRad) * d.amplitude * kDegToRad;
        } else if (x < -kFlagBand) {
            a = -std::cos((x + d.time + d.phase) * d.frequency * kDegToRad) * d.amplitude * kDegToRad;
        }
        RotatePair(p[0], p[1], a);
        p[1] = static_cast<float>(p[1] + bob);
    }
}

// The twists about X, Y and Z, then the pushes along them.
void AxisStages(Vertex* vertices, uint32_t count, int32_t flags, const DeformParams& d) {
    if (flags & DEFORM_TWIST_X) {
        TwistStage(vertices, count, d, 0, 1, 2);
    }
    if (flags & DEFORM_TWIST_Y) {
        TwistStage(vertices, count, d, 1, 0, 2);
    }
    if (flags & DEFORM_TWIST_Z) {
        TwistStage(vertices, count, d, 2, 0, 1);
    }
    if (flags & DEFORM_PUSH_X) {
        PushStage(vertices, count, d.frequency, 0);
    }
    if (flags & DEFORM_PUSH_Y) {
        PushStage(vertices, count, d.frequency, 1);
    }
    if (flags & DEFORM_PUSH_Z) {
        PushStage(vertices, count, d.frequency, 2);
    }
}

}  // namespace

void ReferenceDeformation::Apply(SceneObject& object, int32_t flags, const DeformParams& d) {
    Vertex* const vertices = object.vertices;
    const uint32_t count = object.vertexCount;
    std::memcpy(vertices, object.restVertices, sizeof(Vertex) * count);
    if (flags & DEFORM_WAVE) {
        WaveStage(vertices, count, d);
    }
    if (flags & DEFORM_RIPPLE) {
        RippleStage(vertices, count, d);
    }
    if (flags & DEFORM_NORMAL_WAVE) {
        MeshNormals::Recompute(object);
        NormalWaveStage(vertices, count, d);
    }
    AxisStages(vertices, count, flags, d);
    if (flags & DEFORM_FLAG) {
        FlagStage(vertices, count, d);
    }
}
