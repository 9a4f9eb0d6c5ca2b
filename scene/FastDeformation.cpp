#include "scene/FastDeformation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "scene/DeformArrays.h"
#include "scene/FastTrig.h"
#include "scene/MeshNormals.h"
#include "scene/SceneObject.h"

namespace {

constexpr double kDegToRad = DeformParams::kDegToRad;
constexpr double kFlagBand = DeformParams::kFlagBand;

// How far the flag stage's bobbing can move a vertex: (cos + sin) / 5.
constexpr double kMostBob = 0.4;

// One set of arrays for every object (see DeformArrays.h).
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
    const double widest =
        1.01 * std::max(along * std::fabs(d.frequency) * kDegToRad, std::fabs(d.amplitude) * kDegToRad);
    return widest < FastTrig::kLimit;
}

void FastWave(float* __restrict x, float* __restrict y, float* __restrict z, const float* __restrict nx,
              const float* __restrict ny, const float* __restrict nz, uint32_t count, const DeformParams& params) {
    const DeformParams d = params;
    for (uint32_t i = 0; i < count; ++i) {
        const double angle = (x[i] + d.time + y[i] + z[i] + d.phase) * d.frequency * kDegToRad;
        const double c = FastTrig::Cos(angle);
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
        const double c = FastTrig::Cos(angle);
        const double w = c * d.amplitude;
        x[i] = static_cast<float>(px + nx[i] * w);
        y[i] = static_cast<float>(py + ny[i] * w);
        z[i] = static_cast<float>(pz + nz[i] * w);
    }
}

// Face normals a block at a time: the corners are gathered first, so that
// the arithmetic (in double precision, as MeshNormals::ComputeFaceNormal)
// runs as one vectorised loop; faces whose corners fall outside the vertex
// array keep their normal, as in the reference.
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
        // No direction (or no finite one): zero, as MeshNormals::ComputeFaceNormal.
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
            const bool valid = CornerInRange(face.a, vCount) && CornerInRange(face.b, vCount) &&
                               CornerInRange(face.c, vCount);
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
        MeshNormals::AverageAdjacentNormals(vertex);
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
        const double c = FastTrig::Cos(angle);
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
        const double c = FastTrig::Cos(angle);
        const double a = c * d.amplitude * kDegToRad;
        double sineA;
        double cosineA;
        FastTrig::TurnSinCos<kSmallTurn>(a, sineA, cosineA);
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
        const double c = FastTrig::Cos(angle);
        // Outside the band the bend takes the side's sign; inside it the
        // angle is 0, which turns nothing, as the untouched band of the
        // reference.
        const double side = px > kFlagBand ? 1.0 : (px < -kFlagBand ? -1.0 : 0.0);
        const double a = side * (c * d.amplitude * kDegToRad);
        double sineA;
        double cosineA;
        FastTrig::TurnSinCos<kSmallTurn>(a, sineA, cosineA);
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
    if (std::fabs(d.amplitude) * kDegToRad <= FastTrig::kNoReductionLimit) {
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
// cannot inline into such a function; its builds keep the single one, and so
// do Windows programs, whose loader has no ELF indirect functions to choose with.)
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && defined(__ELF__)
#define DEFORM_WIDE_VECTORS __attribute__((target_clones("avx2", "default"), flatten))
#else
#define DEFORM_WIDE_VECTORS
#endif

// What Apply does (FastDeformation.h), built as above.
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

bool FastDeformation::Apply(SceneObject& object, int32_t flags, const DeformParams& d) {
    return DeformFast(object, flags, d);
}
