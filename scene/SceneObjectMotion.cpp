// Object preparation, procedural vertex deformation and triangle drawing.
//
// Deformation runs on the processor for every drawn frame, so each stage is
// one tight pass over the contiguous vertex array: no allocation, arithmetic
// in double precision stored back as float.
#include "scene/SceneObject.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "glext/GlExtensions.h"
#include "scene/Material.h"

namespace {

// Degrees to radians, to the ten decimals the deformation stages have
// always used (not M_PI / 180, which would shift the waves slightly).
constexpr double kDegToRad = 0.0174532925;

// Flag stage: the band of this half-width around x = 0 stays unbent.
constexpr double kFlagBand = 0.07;

// The centring box starts inside out so that the first vertex sets it.
constexpr float kBoxStart = 100000000.0f;

bool IndexInRange(int32_t index, uint32_t count) {
    return index >= 0 && static_cast<uint32_t>(index) < count;
}

// Cross product of the two edges from P0, made unit length. Coincident or
// collinear corners give no direction: the normal is zero, so that the face
// adds nothing to the vertex normals around it instead of spreading NaN.
void ComputeFaceNormal(const float* p0, const float* p1, const float* p2, float* normal) {
    const double e1x = static_cast<double>(p1[0]) - p0[0];
    const double e1y = static_cast<double>(p1[1]) - p0[1];
    const double e1z = static_cast<double>(p1[2]) - p0[2];
    const double e2x = static_cast<double>(p2[0]) - p0[0];
    const double e2y = static_cast<double>(p2[1]) - p0[1];
    const double e2z = static_cast<double>(p2[2]) - p0[2];
    const double nx = e1y * e2z - e1z * e2y;
    const double ny = e1z * e2x - e1x * e2z;
    const double nz = e1x * e2y - e1y * e2x;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0.0) || !std::isfinite(length)) {
        normal[0] = normal[1] = normal[2] = 0.0f;
        return;
    }
    normal[0] = static_cast<float>(nx / length);
    normal[1] = static_cast<float>(ny / length);
    normal[2] = static_cast<float>(nz / length);
}

// Mean of the face normals around the vertex, not renormalised. A vertex on
// no face has no normal to take: it gets zero.
void AverageAdjacentNormals(Vertex& vertex) {
    double sum[3] = {0.0, 0.0, 0.0};
    const int32_t filled = vertex.adjacentNormals != nullptr ? vertex.adjacentFilled : 0;
    for (int32_t i = 0; i < filled; ++i) {
        const float* faceNormal = vertex.adjacentNormals[i];
        sum[0] += faceNormal[0];
        sum[1] += faceNormal[1];
        sum[2] += faceNormal[2];
    }
    if (vertex.adjacentCount <= 0) {
        vertex.normal[0] = vertex.normal[1] = vertex.normal[2] = 0.0f;
        return;
    }
    const float count = static_cast<float>(vertex.adjacentCount);
    vertex.normal[0] = static_cast<float>(sum[0]) / count;
    vertex.normal[1] = static_cast<float>(sum[1]) / count;
    vertex.normal[2] = static_cast<float>(sum[2]) / count;
}

// Face corners that name a vertex of the object.
int64_t CornersInUse(const Face* faces, uint32_t faceCount, uint32_t vertexCount) {
    int64_t corners = 0;
    for (uint32_t f = 0; f < faceCount; ++f) {
        corners += (IndexInRange(faces[f].a, vertexCount) ? 1 : 0) + (IndexInRange(faces[f].b, vertexCount) ? 1 : 0) +
                   (IndexInRange(faces[f].c, vertexCount) ? 1 : 0);
    }
    return corners;
}

void AppendAdjacentNormal(Vertex& vertex, float* faceNormal) {
    if (vertex.adjacentNormals == nullptr || vertex.adjacentFilled >= vertex.adjacentCount) {
        return;
    }
    vertex.adjacentNormals[vertex.adjacentFilled++] = faceNormal;
}

void ApplyTiling(TexVertex& texVertex, const TextureMap& map) {
    texVertex.s = texVertex.u * map.uTiling + map.uOffset;
    texVertex.t = texVertex.v * map.vTiling + map.vOffset;
}

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

struct DeformParams {
    double time;
    double frequency;
    double amplitude;
    double phase;
};

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

// Face normals from the current positions, then the vertex normals from
// them through the adjacency lists built at preparation.
void RecomputeNormals(SceneObject& object) {
    Vertex* vertices = object.vertices;
    const uint32_t vCount = vertices != nullptr ? object.vertexCount : 0;
    const uint32_t fCount = object.faces != nullptr ? object.faceCount : 0;
    for (uint32_t f = 0; f < fCount; ++f) {
        Face& face = object.faces[f];
        if (!IndexInRange(face.a, vCount) || !IndexInRange(face.b, vCount) || !IndexInRange(face.c, vCount)) {
            continue;
        }
        ComputeFaceNormal(vertices[face.a].position, vertices[face.b].position, vertices[face.c].position,
                          face.normal);
    }
    for (uint32_t i = 0; i < vCount; ++i) {
        AverageAdjacentNormals(vertices[i]);
    }
}

// The stages one vertex record at a time with the C library's cosine and
// sine, exact for any argument. Used when the fast path cannot vouch for its
// cosines (arguments beyond its reduction, or numbers that are not finite).
void DeformReference(SceneObject& object, int32_t flags, const DeformParams& d) {
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
        RecomputeNormals(object);
        NormalWaveStage(vertices, count, d);
    }
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
    if (flags & DEFORM_FLAG) {
        FlagStage(vertices, count, d);
    }
}

// ---------------------------------------------------------------------------
// The fast path: the same stages over one array per coordinate, so that each
// stage is a straight loop the compiler can vectorise, with a cosine and sine
// of its own that has no branches. Every stage still works in double
// precision and stores floats, in the same order of operations, so the
// results match the reference stages to the last bit of a float but for a
// rare rounding.

// Beyond this the three-part reduction by pi/2 below loses bits. A bound on
// every argument of a deformation is worked out before it starts; a
// deformation that might pass this (or meets a number that is not finite)
// takes the reference path instead.
constexpr double kFastTrigLimit = 1.0e6;

// pi/2 in three parts of 33 bits each, so that n times a part is exact for
// every quadrant number n below 2^20; 2/pi; and the number whose addition
// rounds a double to an integer, leaving it in the low bits of the mantissa.
constexpr double kPiOver2Part1 = 1.57079632673412561417e+00;
constexpr double kPiOver2Part2 = 6.07710050630396597660e-11;
constexpr double kPiOver2Part3 = 2.02226624871116645580e-21;
constexpr double kTwoOverPi = 6.36619772367581382433e-01;
constexpr double kRoundingShift = 6755399441055744.0;  // 1.5 x 2^52

// How far the flag stage's bobbing can move a vertex: (cos + sin) / 5.
constexpr double kMostBob = 0.4;

inline uint64_t BitsOf(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

inline double DoubleOf(uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Sine and cosine of r in [-pi/4, pi/4]: the minimax polynomials of the
// classic C library kernels, good to a unit in the last place of a double.
inline void SinCosPolynomials(double r, double& sine, double& cosine) {
    const double z = r * r;
    const double sinTail = 8.33333333332248946124e-03 +
                           z * (-1.98412698298579493134e-04 +
                                z * (2.75573137070700676789e-06 +
                                     z * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10)));
    sine = r + z * r * (-1.66666666666666324348e-01 + z * sinTail);
    const double cosTail =
        z * (4.16666666666666019037e-02 +
             z * (-1.38888888888741095749e-03 +
                  z * (2.48015872894767294178e-05 +
                       z * (-2.75573143513906633035e-07 +
                            z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11)))));
    const double half = 0.5 * z;
    const double w = 1.0 - half;
    cosine = w + (((1.0 - w) - half) + z * cosTail);
}

// Sine and cosine of x (|x| below kFastTrigLimit) to within a unit or two in
// the last place of a double: reduction to r in [-pi/4, pi/4] and the
// quadrant n, the polynomials on r, then a choice and a sign by the
// quadrant's two low bits, all without a branch.
inline void FastSinCos(double x, double& sine, double& cosine) {
    const double shifted = x * kTwoOverPi + kRoundingShift;
    const double n = shifted - kRoundingShift;
    const uint64_t quadrant = BitsOf(shifted);
    const double r = ((x - n * kPiOver2Part1) - n * kPiOver2Part2) - n * kPiOver2Part3;
    double s;
    double c;
    SinCosPolynomials(r, s, c);
    // Quadrants 0..3: sine is s, c, -s, -c and cosine c, -s, -c, s.
    const uint64_t swap = 0 - (quadrant & 1);
    const uint64_t sBits = BitsOf(s);
    const uint64_t cBits = BitsOf(c);
    const uint64_t sineBits = (sBits & ~swap) | (cBits & swap);
    const uint64_t cosineBits = (cBits & ~swap) | (sBits & swap);
    sine = DoubleOf(sineBits ^ ((quadrant & 2) << 62));
    cosine = DoubleOf(cosineBits ^ (((quadrant + 1) & 2) << 62));
}

// Cosine alone, for the stages that need no sine: reduction by pi instead,
// to r in [-pi/2, pi/2] and the multiple m, then one even polynomial, the
// Taylor series to r^22 (its first term left out is below 1e-19 there), with
// the sign of (-1)^m: about a third less work than both polynomials and a
// choice. Its error is a few units in the last place of 1, absolute, which
// next to the coordinates it moves is far below what a float keeps.
constexpr double kOneOverPi = 3.18309886183790671538e-01;
constexpr double kPiPart1 = 2.0 * kPiOver2Part1;
constexpr double kPiPart2 = 2.0 * kPiOver2Part2;
constexpr double kPiPart3 = 2.0 * kPiOver2Part3;

inline double FastCos(double x) {
    const double shifted = x * kOneOverPi + kRoundingShift;
    const double m = shifted - kRoundingShift;
    const uint64_t odd = BitsOf(shifted) & 1;
    const double r = ((x - m * kPiPart1) - m * kPiPart2) - m * kPiPart3;
    const double z = r * r;
    const double c =
        1.0 + z * (-1.0 / 2 + z * (1.0 / 24 + z * (-1.0 / 720 + z * (1.0 / 40320 + z * (-1.0 / 3628800 +
        z * (1.0 / 479001600 + z * (-1.0 / 87178291200.0 + z * (1.0 / 20922789888000.0 +
        z * (-1.0 / 6402373705728000.0 + z * (1.0 / 2432902008176640000.0 +
        z * (-1.0 / 1124000727777607680000.0)))))))))));
    return DoubleOf(BitsOf(c) ^ (odd << 63));
}

// The turning angle of the twists and the flag is at most the amplitude in
// radians; up to pi/4 it needs no reduction.
constexpr double kNoReductionLimit = 0.78539816339744830962;

template <bool kSmallTurn>
inline void TurnSinCos(double a, double& sine, double& cosine) {
    if (kSmallTurn) {
        SinCosPolynomials(a, sine, cosine);
    } else {
        FastSinCos(a, sine, cosine);
    }
}

// Positions and normals one array per coordinate, reused from draw to draw
// (the engine draws on one thread). The stages take them as separate
// pointers that cannot alias, which is what lets their loops vectorise.
struct DeformArrays {
    std::vector<float> x, y, z, nx, ny, nz;

    void Reserve(uint32_t count) {
        for (std::vector<float>* array : {&x, &y, &z, &nx, &ny, &nz}) {
            if (array->size() < count) {
                array->resize(count);
            }
        }
    }

    // Copies count snapshot records from first on; answers bounds on the
    // length of their positions and of their normals (infinite when a
    // coordinate is not a finite number).
    void Load(const Vertex* rest, uint32_t first, uint32_t count, double& longestPosition, double& longestNormal) {
        for (uint32_t i = first; i < first + count; ++i) {
            const Vertex& vertex = rest[i];
            x[i] = vertex.position[0];
            y[i] = vertex.position[1];
            z[i] = vertex.position[2];
            nx[i] = vertex.normal[0];
            ny[i] = vertex.normal[1];
            nz[i] = vertex.normal[2];
        }
        longestPosition = LongestOf(x.data() + first, y.data() + first, z.data() + first, count);
        longestNormal = LongestOf(nx.data() + first, ny.data() + first, nz.data() + first, count);
    }

    // Every record from first on back as in the snapshot, with the new
    // positions (and the new normals when the normal wave made them).
    void Store(Vertex* vertices, const Vertex* rest, uint32_t first, uint32_t count, bool withNormals) const {
        std::memcpy(vertices + first, rest + first, sizeof(Vertex) * count);
        for (uint32_t i = first; i < first + count; ++i) {
            vertices[i].position[0] = x[i];
            vertices[i].position[1] = y[i];
            vertices[i].position[2] = z[i];
        }
        if (withNormals) {
            for (uint32_t i = first; i < first + count; ++i) {
                vertices[i].normal[0] = nx[i];
                vertices[i].normal[1] = ny[i];
                vertices[i].normal[2] = nz[i];
            }
        }
    }

private:
    // At least the longest of the vectors (a, b, c): the largest magnitude of
    // any coordinate, found on the float's bits (whose order is the order of
    // the magnitudes, infinity and NaN above every number, in a loop that
    // vectorises), times the square root of 3.
    static double LongestOf(const float* __restrict a, const float* __restrict b, const float* __restrict c,
                            uint32_t count) {
        int32_t largest = 0;
        for (uint32_t i = 0; i < count; ++i) {
            int32_t bits[3];
            std::memcpy(&bits[0], &a[i], sizeof(int32_t));
            std::memcpy(&bits[1], &b[i], sizeof(int32_t));
            std::memcpy(&bits[2], &c[i], sizeof(int32_t));
            for (const int32_t value : bits) {
                const int32_t magnitude = value & 0x7FFFFFFF;
                largest = magnitude > largest ? magnitude : largest;
            }
        }
        float coordinate;
        std::memcpy(&coordinate, &largest, sizeof coordinate);
        return std::isfinite(coordinate) ? 1.7320508075688772 * coordinate : INFINITY;
    }
};

DeformArrays& SharedDeformArrays() {
    static DeformArrays arrays;
    return arrays;
}

// Whether every cosine and sine argument of the deformation stays within the
// fast path's range, from the snapshot's longest position and normal and how
// far each stage can move a vertex (rotations move none; recomputed normals
// are at most 1 long).
bool WithinFastRange(double longestPosition, double longestNormal, int32_t flags, const DeformParams& d) {
    if (!std::isfinite(d.time) || !std::isfinite(d.frequency) || !std::isfinite(d.amplitude) ||
        !std::isfinite(d.phase) || !std::isfinite(longestPosition) || !std::isfinite(longestNormal)) {
        return false;
    }
    const double normal = std::max(longestNormal, (flags & DEFORM_NORMAL_WAVE) != 0 ? 1.0 : 0.0);
    const double moved = 3.0 * std::fabs(d.amplitude) * normal + 3.0 * std::fabs(d.frequency) * normal + kMostBob;
    const double position = longestPosition + moved;
    const double sqrt3 = 1.7320508075688772;
    const double along = sqrt3 * (position + normal) + std::fabs(d.time) + std::fabs(d.phase);
    // A little slack for the roundings on the way.
    const double widest = 1.01 * std::max(along * std::fabs(d.frequency) * kDegToRad, std::fabs(d.amplitude) * kDegToRad);
    return widest < kFastTrigLimit;
}

void FastWave(float* __restrict x, float* __restrict y, float* __restrict z, const float* __restrict nx,
              const float* __restrict ny, const float* __restrict nz, uint32_t count, const DeformParams& params) {
    const DeformParams d = params;
    for (uint32_t i = 0; i < count; ++i) {
        const double angle = (x[i] + d.time + y[i] + z[i] + d.phase) * d.frequency * kDegToRad;
        const double c = FastCos(angle);
        const double w = c * d.amplitude;
        x[i] = static_cast<float>(x[i] + nx[i] * w);
        y[i] = static_cast<float>(y[i] + ny[i] * w);
        z[i] = static_cast<float>(z[i] + nz[i] * w);
    }
}

void FastRipple(float* __restrict x, float* __restrict y, float* __restrict z, const float* __restrict nx,
              const float* __restrict ny, const float* __restrict nz, uint32_t count, const DeformParams& params) {
    const DeformParams d = params;
    for (uint32_t i = 0; i < count; ++i) {
        const double px = x[i];
        const double py = y[i];
        const double pz = z[i];
        const double distance = std::sqrt(px * px + py * py + pz * pz);
        const double angle = (d.time + distance + d.phase) * d.frequency * kDegToRad;
        const double c = FastCos(angle);
        const double w = c * d.amplitude;
        x[i] = static_cast<float>(px + nx[i] * w);
        y[i] = static_cast<float>(py + ny[i] * w);
        z[i] = static_cast<float>(pz + nz[i] * w);
    }
}

// Face normals a block at a time: the corners are gathered first, so that
// the arithmetic (in double precision, as ComputeFaceNormal) runs as one
// vectorised loop; faces whose corners fall outside the vertex array keep
// their normal, as in the reference.
constexpr uint32_t kFaceBlock = 256;

struct FaceBlock {
    double e1x[kFaceBlock], e1y[kFaceBlock], e1z[kFaceBlock];
    double e2x[kFaceBlock], e2y[kFaceBlock], e2z[kFaceBlock];
    float nx[kFaceBlock], ny[kFaceBlock], nz[kFaceBlock];
    bool valid[kFaceBlock];
};

void BlockFaceNormals(FaceBlock& b, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const double nx = b.e1y[i] * b.e2z[i] - b.e1z[i] * b.e2y[i];
        const double ny = b.e1z[i] * b.e2x[i] - b.e1x[i] * b.e2z[i];
        const double nz = b.e1x[i] * b.e2y[i] - b.e1y[i] * b.e2x[i];
        const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
        // No direction (or no finite one): zero, as ComputeFaceNormal.
        const bool usable = (length > 0.0) & (length <= std::numeric_limits<double>::max());
        // One division for the three (a unit in the last place of a double
        // apart from dividing each, far below what the float keeps).
        const double inverse = 1.0 / (usable ? length : 1.0);
        const float unitX = static_cast<float>(nx * inverse);
        const float unitY = static_cast<float>(ny * inverse);
        const float unitZ = static_cast<float>(nz * inverse);
        b.nx[i] = usable ? unitX : 0.0f;
        b.ny[i] = usable ? unitY : 0.0f;
        b.nz[i] = usable ? unitZ : 0.0f;
    }
}

void FastFaceNormals(const float* x, const float* y, const float* z, SceneObject& object) {
    const uint32_t vCount = object.vertexCount;
    const uint32_t fCount = object.faces != nullptr ? object.faceCount : 0;
    Face* const faces = object.faces;
    static FaceBlock block;
    for (uint32_t first = 0; first < fCount; first += kFaceBlock) {
        const uint32_t count = std::min(kFaceBlock, fCount - first);
        for (uint32_t i = 0; i < count; ++i) {
            const Face& face = faces[first + i];
            const bool valid = IndexInRange(face.a, vCount) && IndexInRange(face.b, vCount) &&
                               IndexInRange(face.c, vCount);
            block.valid[i] = valid;
            const uint32_t a = valid ? static_cast<uint32_t>(face.a) : 0;
            const uint32_t bi = valid ? static_cast<uint32_t>(face.b) : 0;
            const uint32_t c = valid ? static_cast<uint32_t>(face.c) : 0;
            const double p0x = x[a];
            const double p0y = y[a];
            const double p0z = z[a];
            block.e1x[i] = static_cast<double>(x[bi]) - p0x;
            block.e1y[i] = static_cast<double>(y[bi]) - p0y;
            block.e1z[i] = static_cast<double>(z[bi]) - p0z;
            block.e2x[i] = static_cast<double>(x[c]) - p0x;
            block.e2y[i] = static_cast<double>(y[c]) - p0y;
            block.e2z[i] = static_cast<double>(z[c]) - p0z;
        }
        BlockFaceNormals(block, count);
        for (uint32_t i = 0; i < count; ++i) {
            if (block.valid[i]) {
                float* const normal = faces[first + i].normal;
                normal[0] = block.nx[i];
                normal[1] = block.ny[i];
                normal[2] = block.nz[i];
            }
        }
    }
}

// Each vertex normal from first on as the mean of the face normals its
// adjacency list points at (once every face normal is recomputed).
void FastVertexNormals(DeformArrays& v, const Vertex* rest, uint32_t first, uint32_t count) {
    float* const nx = v.nx.data();
    float* const ny = v.ny.data();
    float* const nz = v.nz.data();
    for (uint32_t i = first; i < first + count; ++i) {
        Vertex vertex;
        vertex.adjacentNormals = rest[i].adjacentNormals;
        vertex.adjacentFilled = rest[i].adjacentFilled;
        vertex.adjacentCount = rest[i].adjacentCount;
        AverageAdjacentNormals(vertex);
        nx[i] = vertex.normal[0];
        ny[i] = vertex.normal[1];
        nz[i] = vertex.normal[2];
    }
}

void FastNormalWave(float* __restrict x, float* __restrict y, float* __restrict z, const float* __restrict nx,
              const float* __restrict ny, const float* __restrict nz, uint32_t count, const DeformParams& params) {
    const DeformParams d = params;
    for (uint32_t i = 0; i < count; ++i) {
        const double angle = (nx[i] + d.time + ny[i] + nz[i] + d.phase) * d.frequency * kDegToRad;
        const double c = FastCos(angle);
        const double w = c * d.amplitude;
        x[i] = static_cast<float>(x[i] + nx[i] * w);
        y[i] = static_cast<float>(y[i] + ny[i] * w);
        z[i] = static_cast<float>(z[i] + nz[i] * w);
    }
}

// Turns (first, second) by an angle from the coordinate along the axis.
template <bool kSmallTurn>
void FastTwist(const float* __restrict along, float* __restrict first, float* __restrict second, uint32_t count,
               const DeformParams& params) {
    const DeformParams d = params;
    for (uint32_t i = 0; i < count; ++i) {
        const double angle = (along[i] + d.time + d.phase) * d.frequency * kDegToRad;
        const double c = FastCos(angle);
        const double a = c * d.amplitude * kDegToRad;
        double sineA;
        double cosineA;
        TurnSinCos<kSmallTurn>(a, sineA, cosineA);
        const double p = first[i];
        const double q = second[i];
        first[i] = static_cast<float>(p * cosineA - q * sineA);
        second[i] = static_cast<float>(p * sineA + q * cosineA);
    }
}

void FastPush(float* __restrict position, const float* __restrict normal, uint32_t count, double distance) {
    for (uint32_t i = 0; i < count; ++i) {
        position[i] = static_cast<float>(position[i] + normal[i] * distance);
    }
}

template <bool kSmallTurn>
void FastFlag(float* __restrict x, float* __restrict y, uint32_t count, const DeformParams& params) {
    const DeformParams d = params;
    const double bob = (std::cos(8.0 * d.time * kDegToRad) + std::sin(4.0 * d.time * kDegToRad)) / 5.0;
    for (uint32_t i = 0; i < count; ++i) {
        const double px = x[i];
        const double angle = (px + d.time + d.phase) * d.frequency * kDegToRad;
        const double c = FastCos(angle);
        // Outside the band the bend takes the side's sign; inside it the
        // angle is 0, which turns nothing, as the untouched band of the
        // reference.
        const double side = px > kFlagBand ? 1.0 : (px < -kFlagBand ? -1.0 : 0.0);
        const double a = side * (c * d.amplitude * kDegToRad);
        double sineA;
        double cosineA;
        TurnSinCos<kSmallTurn>(a, sineA, cosineA);
        const double q = y[i];
        x[i] = static_cast<float>(px * cosineA - q * sineA);
        y[i] = static_cast<float>(static_cast<float>(px * sineA + q * cosineA) + bob);
    }
}

// The stages before the normals are recomputed, over count vertices from first.
void EarlyStages(DeformArrays& v, uint32_t first, uint32_t count, int32_t flags, const DeformParams& d) {
    float* const x = v.x.data() + first;
    float* const y = v.y.data() + first;
    float* const z = v.z.data() + first;
    const float* const nx = v.nx.data() + first;
    const float* const ny = v.ny.data() + first;
    const float* const nz = v.nz.data() + first;
    if (flags & DEFORM_WAVE) {
        FastWave(x, y, z, nx, ny, nz, count, d);
    }
    if (flags & DEFORM_RIPPLE) {
        FastRipple(x, y, z, nx, ny, nz, count, d);
    }
}

// The twists, pushes and flag, in their order.
template <bool kSmallTurn>
void TurningStages(float* x, float* y, float* z, const float* nx, const float* ny, const float* nz, uint32_t count,
                   int32_t flags, const DeformParams& d) {
    if (flags & DEFORM_TWIST_X) {
        FastTwist<kSmallTurn>(x, y, z, count, d);
    }
    if (flags & DEFORM_TWIST_Y) {
        FastTwist<kSmallTurn>(y, x, z, count, d);
    }
    if (flags & DEFORM_TWIST_Z) {
        FastTwist<kSmallTurn>(z, x, y, count, d);
    }
    if (flags & DEFORM_PUSH_X) {
        FastPush(x, nx, count, d.frequency);
    }
    if (flags & DEFORM_PUSH_Y) {
        FastPush(y, ny, count, d.frequency);
    }
    if (flags & DEFORM_PUSH_Z) {
        FastPush(z, nz, count, d.frequency);
    }
    if (flags & DEFORM_FLAG) {
        FastFlag<kSmallTurn>(x, y, count, d);
    }
}

// The normal wave (its normals already recomputed) and every stage after it.
void LateStages(DeformArrays& v, uint32_t first, uint32_t count, int32_t flags, const DeformParams& d) {
    float* const x = v.x.data() + first;
    float* const y = v.y.data() + first;
    float* const z = v.z.data() + first;
    const float* const nx = v.nx.data() + first;
    const float* const ny = v.ny.data() + first;
    const float* const nz = v.nz.data() + first;
    if (flags & DEFORM_NORMAL_WAVE) {
        FastNormalWave(x, y, z, nx, ny, nz, count, d);
    }
    if (std::fabs(d.amplitude) * kDegToRad <= kNoReductionLimit) {
        TurningStages<true>(x, y, z, nx, ny, nz, count, flags, d);
    } else {
        TurningStages<false>(x, y, z, nx, ny, nz, count, flags, d);
    }
}

// Vertices go through the stages a block at a time, so that a block stays in
// the nearest cache from its first stage to its last. The normal wave needs
// every position before it can recompute normals, which splits the run in two.
constexpr uint32_t kVertexBlock = 1024;

// On x86-64 the whole fast path is built twice, with every stage inlined into
// it: for the plain 128-bit vectors every such processor has, and for the
// 256-bit ones of AVX2, chosen once when the program loads. Four doubles a
// step instead of two; no fused multiply-adds (those are another extension),
// so both builds round every operation alike and give the same bits. (Clang
// cannot inline into such a function; its builds keep the single one.)
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define DEFORM_WIDE_VECTORS __attribute__((target_clones("avx2", "default"), flatten))
#else
#define DEFORM_WIDE_VECTORS
#endif

// False when some argument might be beyond the fast path's range (what it
// wrote by then is all written again by the reference path), or when the
// reference path is as quick.
DEFORM_WIDE_VECTORS bool DeformFast(SceneObject& object, int32_t flags, const DeformParams& d) {
    const uint32_t count = object.vertexCount;
    // Pushes alone need no cosine: the copy and one pass over the records is
    // quicker than gathering them into arrays and back.
    const int32_t withCosines = DEFORM_WAVE | DEFORM_RIPPLE | DEFORM_NORMAL_WAVE | DEFORM_TWIST_X | DEFORM_TWIST_Y |
                                DEFORM_TWIST_Z | DEFORM_FLAG;
    if ((flags & withCosines) == 0) {
        return false;
    }
    const bool newNormals = (flags & DEFORM_NORMAL_WAVE) != 0;
    DeformArrays& v = SharedDeformArrays();
    v.Reserve(count);
    for (uint32_t first = 0; first < count; first += kVertexBlock) {
        const uint32_t block = std::min(kVertexBlock, count - first);
        double longestPosition = 0.0;
        double longestNormal = 0.0;
        v.Load(object.restVertices, first, block, longestPosition, longestNormal);
        if (!WithinFastRange(longestPosition, longestNormal, flags, d)) {
            return false;
        }
        EarlyStages(v, first, block, flags, d);
        if (!newNormals) {
            LateStages(v, first, block, flags, d);
            v.Store(object.vertices, object.restVertices, first, block, false);
        }
    }
    if (newNormals) {
        // Face normals from the current positions, written to the faces as
        // the reference does; then block by block the vertex normals, while
        // the block's snapshot records are at hand for restoring.
        if (count > 0) {
            FastFaceNormals(v.x.data(), v.y.data(), v.z.data(), object);
        }
        for (uint32_t first = 0; first < count; first += kVertexBlock) {
            const uint32_t block = std::min(kVertexBlock, count - first);
            FastVertexNormals(v, object.restVertices, first, block);
            LateStages(v, first, block, flags, d);
            v.Store(object.vertices, object.restVertices, first, block, true);
        }
    }
    return true;
}

}  // namespace

void SceneObject::Centre() {
    float low[3] = {kBoxStart, kBoxStart, kBoxStart};
    float high[3] = {-kBoxStart, -kBoxStart, -kBoxStart};
    const uint32_t count = vertices != nullptr ? vertexCount : 0;
    for (uint32_t i = 0; i < count; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            const float value = vertices[i].position[axis];
            if (value < low[axis]) {
                low[axis] = value;
            }
            if (value > high[axis]) {
                high[axis] = value;
            }
        }
    }
    for (int axis = 0; axis < 3; ++axis) {
        position[axis] = (low[axis] + high[axis]) / 2.0f;
    }
    for (uint32_t i = 0; i < count; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            vertices[i].position[axis] -= position[axis];
        }
    }
}

void SceneObject::Prepare(bool binaryScene) {
    const uint32_t vCount = vertices != nullptr ? vertexCount : 0;
    const uint32_t fCount = faces != nullptr ? faceCount : 0;

    // Face i takes its coordinates from texture face i, so an object with
    // fewer texture faces than faces cannot be textured.
    textured = (texVertexCount != 0 && texFaceCount != 0 && material != nullptr && texVertices != nullptr &&
                texFaces != nullptr && texFaceCount >= fCount)
                   ? 1
                   : 0;

    // Stored counts size the adjacency lists, so together they must be the
    // corners the faces actually use: counts that add up to anything else
    // (or one below zero) come from a broken file and are counted afresh.
    bool recount = !binaryScene;
    if (!recount) {
        int64_t stored = 0;
        for (uint32_t i = 0; i < vCount && !recount; ++i) {
            recount = vertices[i].adjacentCount < 0;
            stored += vertices[i].adjacentCount;
        }
        recount = recount || stored != CornersInUse(faces, fCount, vCount);
    }
    for (uint32_t i = 0; i < vCount; ++i) {
        if (recount) {
            vertices[i].adjacentCount = 0;
        }
        vertices[i].adjacentFilled = 0;
    }
    if (recount) {
        for (uint32_t f = fCount; f-- > 0;) {
            const Face& face = faces[f];
            const int32_t corners[3] = {face.a, face.b, face.c};
            for (const int32_t corner : corners) {
                if (IndexInRange(corner, vCount)) {
                    ++vertices[corner].adjacentCount;
                }
            }
        }
    }

    // The pointers a binary file carries are meaningless here: every list is
    // allocated afresh.
    for (uint32_t i = 0; i < vCount; ++i) {
        const int32_t count = vertices[i].adjacentCount;
        vertices[i].adjacentNormals = count > 0 ? new float*[count] : nullptr;
    }

    const TextureMap* map0 = textured ? &material->maps[0] : nullptr;
    for (uint32_t f = fCount; f-- > 0;) {
        Face& face = faces[f];
        const int32_t corners[3] = {face.a, face.b, face.c};
        for (const int32_t corner : corners) {
            if (IndexInRange(corner, vCount)) {
                AppendAdjacentNormal(vertices[corner], face.normal);
            }
        }
        if (map0 != nullptr) {
            const TexFace& texFace = texFaces[f];
            const int32_t texCorners[3] = {texFace.a, texFace.b, texFace.c};
            for (const int32_t corner : texCorners) {
                if (IndexInRange(corner, texVertexCount)) {
                    ApplyTiling(texVertices[corner], *map0);
                }
            }
        }
    }

    for (uint32_t i = 0; i < vCount; ++i) {
        AverageAdjacentNormals(vertices[i]);
    }
}

void SceneObject::Snapshot() {
    const uint32_t count = vertices != nullptr ? vertexCount : 0;
    // A second snapshot replaces the first rather than losing it.
    if (hasRestVertices != 0) {
        delete[] restVertices;
    }
    restVertices = new Vertex[count];
    if (count != 0) {
        std::memcpy(restVertices, vertices, sizeof(Vertex) * count);
    }
    hasRestVertices = 1;
}

void SceneObject::SetDeformation(int32_t flags, double frequency, double amplitude, double phase, double step) {
    deformFlags = flags;
    deformFrequency = frequency;
    deformAmplitude = amplitude;
    deformPhase = phase;
    deformStep = step;
}

void SceneObject::RecordShape() {
    shape = Shape{deformFlags, deformFrequency, deformAmplitude, deformPhase, deformTime};
}

void SceneObject::ApplyShape() {
    shapePending = 0;
    // Without a snapshot every draw would deform the last result again; the
    // object keeps its shape instead.
    const bool haveRest = hasRestVertices != 0 && restVertices != nullptr && vertices != nullptr;
    if (!haveRest) {
        return;
    }
    const DeformParams d{shape.time, shape.frequency, shape.amplitude, shape.phase};
    if (!DeformFast(*this, shape.flags, d)) {
        DeformReference(*this, shape.flags, d);
    }
}

void SceneObject::Deform() {
    RecordShape();
    ApplyShape();
    deformTime = static_cast<float>(deformTime + deformStep);
}

void SceneObject::Advance() {
    if (deformFlags != 0) {
        RecordShape();
        shapePending = 1;
        deformTime = static_cast<float>(deformTime + deformStep);
    }
}

void SceneObject::RestoreShape(const Shape& kept) {
    shape = kept;
    shapePending = 1;
    if (shape.flags == 0) {
        ApplyShape();
    }
}

void SceneObject::Draw() {
    if (deformFlags != 0) {
        Deform();
    } else if (shapePending != 0) {
        // A shape owed since the object was last advanced without drawing.
        ApplyShape();
    }
    if (vertices == nullptr || faces == nullptr) {
        return;
    }
    const bool withTexture = textured != 0 && material != nullptr && texFaces != nullptr && texVertices != nullptr &&
                             texFaceCount >= faceCount;
    const bool twoMaps = withTexture && material->props.mapCount >= 2;
    const float uTiling1 = twoMaps ? material->maps[1].uTiling : 1.0f;
    const float vTiling1 = twoMaps ? material->maps[1].vTiling : 1.0f;

    glBegin(GL_TRIANGLES);
    for (uint32_t f = 0; f < faceCount; ++f) {
        const Face& face = faces[f];
        const int32_t corners[3] = {face.a, face.b, face.c};
        if (!IndexInRange(corners[0], vertexCount) || !IndexInRange(corners[1], vertexCount) ||
            !IndexInRange(corners[2], vertexCount)) {
            continue;
        }
        const TexVertex* texCorners[3] = {nullptr, nullptr, nullptr};
        if (withTexture) {
            const TexFace& texFace = texFaces[f];
            const int32_t indices[3] = {texFace.a, texFace.b, texFace.c};
            for (int k = 0; k < 3; ++k) {
                texCorners[k] = IndexInRange(indices[k], texVertexCount) ? &texVertices[indices[k]] : nullptr;
            }
        }
        for (int k = 0; k < 3; ++k) {
            const Vertex& vertex = vertices[corners[k]];
            glNormal3fv(vertex.normal);
            const TexVertex* tex = texCorners[k];
            if (tex != nullptr) {
                if (twoMaps) {
                    glMultiTexCoord2fARB(GL_TEXTURE0_ARB, tex->s, tex->t);
                    glMultiTexCoord2fARB(GL_TEXTURE1_ARB, tex->u * uTiling1, tex->v * vTiling1);
                } else {
                    glTexCoord2f(tex->s, tex->t);
                }
            }
            glVertex3fv(vertex.position);
        }
    }
    glEnd();
}
