// The deformation stages against the straightforward routine they replaced
// (kept below, one vertex record at a time with the C library's cosine):
// every stage alone and all of them together, over many frames of a curved
// grid, must agree to float rounding; deformations beyond the fast path's
// range must agree exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "scene/SceneObject.h"

namespace {

constexpr double kDegToRad = 0.0174532925;

// ---- The reference stages, as the engine had them ----

void RefPush(Vertex& v, double w) {
    v.position[0] = static_cast<float>(v.position[0] + v.normal[0] * w);
    v.position[1] = static_cast<float>(v.position[1] + v.normal[1] * w);
    v.position[2] = static_cast<float>(v.position[2] + v.normal[2] * w);
}

void RefRotate(float& first, float& second, double a) {
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double p = first;
    const double q = second;
    first = static_cast<float>(p * c - q * s);
    second = static_cast<float>(p * s + q * c);
}

void RefFaceNormal(const float* p0, const float* p1, const float* p2, float* normal) {
    const double e1x = static_cast<double>(p1[0]) - p0[0], e1y = static_cast<double>(p1[1]) - p0[1],
                 e1z = static_cast<double>(p1[2]) - p0[2];
    const double e2x = static_cast<double>(p2[0]) - p0[0], e2y = static_cast<double>(p2[1]) - p0[1],
                 e2z = static_cast<double>(p2[2]) - p0[2];
    const double nx = e1y * e2z - e1z * e2y, ny = e1z * e2x - e1x * e2z, nz = e1x * e2y - e1y * e2x;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0.0) || !std::isfinite(length)) {
        normal[0] = normal[1] = normal[2] = 0.0f;
        return;
    }
    normal[0] = static_cast<float>(nx / length);
    normal[1] = static_cast<float>(ny / length);
    normal[2] = static_cast<float>(nz / length);
}

void RefVertexNormal(Vertex& v) {
    double sum[3] = {0.0, 0.0, 0.0};
    for (int32_t i = 0; v.adjacentNormals != nullptr && i < v.adjacentFilled; ++i) {
        for (int k = 0; k < 3; ++k) {
            sum[k] += v.adjacentNormals[i][k];
        }
    }
    if (v.adjacentCount <= 0) {
        v.normal[0] = v.normal[1] = v.normal[2] = 0.0f;
        return;
    }
    for (int k = 0; k < 3; ++k) {
        v.normal[k] = static_cast<float>(sum[k]) / static_cast<float>(v.adjacentCount);
    }
}

// The reference deformation of the object's vertices (whose adjacency lists
// point at faces).
void RefDeform(SceneObject& o) {
    const double T = o.deformTime, F = o.deformFrequency, A = o.deformAmplitude, Ph = o.deformPhase;
    Vertex* const vs = o.vertices;
    const uint32_t n = o.vertexCount;
    std::memcpy(vs, o.restVertices, sizeof(Vertex) * n);
    const int32_t flags = o.deformFlags;
    if (flags & DEFORM_WAVE) {
        for (uint32_t i = 0; i < n; ++i) {
            float* p = vs[i].position;
            RefPush(vs[i], std::cos((p[0] + T + p[1] + p[2] + Ph) * F * kDegToRad) * A);
        }
    }
    if (flags & DEFORM_RIPPLE) {
        for (uint32_t i = 0; i < n; ++i) {
            const double x = vs[i].position[0], y = vs[i].position[1], z = vs[i].position[2];
            RefPush(vs[i], std::cos((T + std::sqrt(x * x + y * y + z * z) + Ph) * F * kDegToRad) * A);
        }
    }
    if (flags & DEFORM_NORMAL_WAVE) {
        for (uint32_t f = 0; f < o.faceCount; ++f) {
            Face& face = o.faces[f];
            RefFaceNormal(vs[face.a].position, vs[face.b].position, vs[face.c].position, face.normal);
        }
        for (uint32_t i = 0; i < n; ++i) {
            RefVertexNormal(vs[i]);
        }
        for (uint32_t i = 0; i < n; ++i) {
            const float* m = vs[i].normal;
            RefPush(vs[i], std::cos((m[0] + T + m[1] + m[2] + Ph) * F * kDegToRad) * A);
        }
    }
    const int twists[3][4] = {{DEFORM_TWIST_X, 0, 1, 2}, {DEFORM_TWIST_Y, 1, 0, 2}, {DEFORM_TWIST_Z, 2, 0, 1}};
    for (const auto& t : twists) {
        if (flags & t[0]) {
            for (uint32_t i = 0; i < n; ++i) {
                float* p = vs[i].position;
                RefRotate(p[t[2]], p[t[3]], std::cos((p[t[1]] + T + Ph) * F * kDegToRad) * A * kDegToRad);
            }
        }
    }
    const int pushes[3][2] = {{DEFORM_PUSH_X, 0}, {DEFORM_PUSH_Y, 1}, {DEFORM_PUSH_Z, 2}};
    for (const auto& push : pushes) {
        if (flags & push[0]) {
            for (uint32_t i = 0; i < n; ++i) {
                vs[i].position[push[1]] = static_cast<float>(vs[i].position[push[1]] + vs[i].normal[push[1]] * F);
            }
        }
    }
    if (flags & DEFORM_FLAG) {
        const double bob = (std::cos(8.0 * T * kDegToRad) + std::sin(4.0 * T * kDegToRad)) / 5.0;
        for (uint32_t i = 0; i < n; ++i) {
            float* p = vs[i].position;
            const double x = p[0];
            double a = 0.0;
            if (x > 0.07) {
                a = std::cos((x + T + Ph) * F * kDegToRad) * A * kDegToRad;
            } else if (x < -0.07) {
                a = -std::cos((x + T + Ph) * F * kDegToRad) * A * kDegToRad;
            }
            RefRotate(p[0], p[1], a);
            p[1] = static_cast<float>(p[1] + bob);
        }
    }
    o.deformTime = static_cast<float>(o.deformTime + o.deformStep);
}

// ---- A curved grid, twice: one deformed by the engine, one by the reference ----

constexpr int kSide = 41;

struct Grid {
    std::vector<Vertex> vertices;
    std::vector<Face> faces;
    SceneObject object;

    explicit Grid(float scale) {
        for (int row = 0; row < kSide; ++row) {
            for (int column = 0; column < kSide; ++column) {
                Vertex v = DefaultVertex();
                // Columns straddle x = 0 (the flag's unbent band) at uneven steps.
                v.position[0] = (column - kSide / 2) * 0.37f * scale + 0.013f;
                v.position[1] = std::sin(column * 0.3f) * std::cos(row * 0.2f) * 3.0f * scale;
                v.position[2] = (row - kSide / 2) * 0.41f * scale;
                vertices.push_back(v);
            }
        }
        for (int row = 0; row + 1 < kSide; ++row) {
            for (int column = 0; column + 1 < kSide; ++column) {
                const int32_t a = row * kSide + column;
                faces.push_back(Face{a, a + kSide, a + 1, nullptr, nullptr, nullptr, {0.0f, 1.0f, 0.0f}});
                faces.push_back(Face{a + 1, a + kSide, a + kSide + 1, nullptr, nullptr, nullptr, {0.0f, 1.0f, 0.0f}});
            }
        }
        object.vertices = vertices.data();
        object.vertexCount = static_cast<uint32_t>(vertices.size());
        object.faces = faces.data();
        object.faceCount = static_cast<uint32_t>(faces.size());
        object.Prepare(false);
        object.Snapshot();
    }
    ~Grid() {
        for (Vertex& v : vertices) {
            delete[] v.adjacentNormals;
        }
        delete[] object.restVertices;
    }
};

// Units in the last place of a float between a and b, on the scale of the
// larger (or of scale, for values near zero, whose last place is meaningless
// next to the coordinates around them).
double UlpsApart(float a, float b, float scale) {
    const float larger = std::max({std::fabs(a), std::fabs(b), scale});
    const double ulp = std::nextafter(larger, INFINITY) - larger;
    return std::fabs(static_cast<double>(a) - b) / ulp;
}

struct Worst {
    double ulps = 0.0;
    bool exact = true;
};

void Compare(const Grid& fast, const Grid& reference, float scale, Worst& worst) {
    for (size_t i = 0; i < fast.vertices.size(); ++i) {
        for (int k = 0; k < 3; ++k) {
            const float pf = fast.vertices[i].position[k], pr = reference.vertices[i].position[k];
            const float nf = fast.vertices[i].normal[k], nr = reference.vertices[i].normal[k];
            worst.ulps = std::max({worst.ulps, UlpsApart(pf, pr, scale), UlpsApart(nf, nr, 1e-3f)});
            worst.exact = worst.exact && std::memcmp(&pf, &pr, sizeof pf) == 0 && std::memcmp(&nf, &nr, sizeof nf) == 0;
        }
        EXPECT_EQ(0, std::memcmp(fast.vertices[i].reserved, reference.vertices[i].reserved, sizeof(float) * 4));
    }
    for (size_t f = 0; f < fast.faces.size(); ++f) {
        for (int k = 0; k < 3; ++k) {
            worst.ulps = std::max(worst.ulps, UlpsApart(fast.faces[f].normal[k], reference.faces[f].normal[k], 1e-3f));
        }
    }
}

// Runs frames draws of both grids with the same settings.
Worst RunBoth(int32_t flags, double frequency, double amplitude, double phase, double step, float startTime,
              int frames, float scale = 1.0f) {
    Grid fast(scale);
    Grid reference(scale);
    fast.object.SetDeformation(flags, frequency, amplitude, phase, step);
    reference.object.SetDeformation(flags, frequency, amplitude, phase, step);
    fast.object.deformTime = reference.object.deformTime = startTime;
    Worst worst;
    for (int frame = 0; frame < frames; ++frame) {
        fast.object.Deform();
        RefDeform(reference.object);
        Compare(fast, reference, 1e-3f * scale, worst);
        EXPECT_EQ(fast.object.deformTime, reference.object.deformTime);
    }
    return worst;
}

constexpr int32_t kAllStages = DEFORM_WAVE | DEFORM_RIPPLE | DEFORM_NORMAL_WAVE | DEFORM_TWIST_X | DEFORM_TWIST_Y |
                               DEFORM_TWIST_Z | DEFORM_PUSH_X | DEFORM_PUSH_Y | DEFORM_PUSH_Z | DEFORM_FLAG;

TEST(DeformPrecision, EveryStageAloneMatchesTheReferenceToFloatRounding) {
    for (const int32_t flags : {DEFORM_WAVE, DEFORM_RIPPLE, DEFORM_NORMAL_WAVE, DEFORM_TWIST_X, DEFORM_TWIST_Y,
                                DEFORM_TWIST_Z, DEFORM_PUSH_X, DEFORM_PUSH_Y, DEFORM_PUSH_Z, DEFORM_FLAG}) {
        SCOPED_TRACE(flags);
        // Small and large turning angles (up to and past 45 degrees), and a
        // clock that has run for hours.
        for (const double amplitude : {0.5, 30.0, 200.0}) {
            SCOPED_TRACE(amplitude);
            const Worst worst = RunBoth(flags, 2.0, amplitude, 10.0, 1.0, 0.0f, 6);
            EXPECT_LE(worst.ulps, 1.0);
            const Worst later = RunBoth(flags, 7.5, amplitude, -3.0, 0.5, 200000.0f, 3);
            EXPECT_LE(later.ulps, 1.0);
        }
    }
}

TEST(DeformPrecision, AllStagesTogetherMatchTheReferenceToFloatRounding) {
    // Each stage starts from the last one's floats, so a rounding that went
    // the other way early on is carried (and turned) by the stages after it.
    for (const float scale : {1.0f, 40.0f}) {
        SCOPED_TRACE(scale);
        EXPECT_LE(RunBoth(kAllStages, 2.0, 0.5, 10.0, 1.0, 0.0f, 8, scale).ulps, 8.0);
        EXPECT_LE(RunBoth(kAllStages, 13.0, 60.0, 5.0, 3.0, 5000.0f, 4, scale).ulps, 8.0);
        EXPECT_LE(RunBoth(DEFORM_WAVE | DEFORM_TWIST_Y | DEFORM_FLAG, 1.0, 1.0, 0.0, 2.0, 0.0f, 8, scale).ulps, 8.0);
    }
}

TEST(DeformPrecision, ArgumentsBeyondTheFastRangeTakeTheReferencePathExactly) {
    // A clock far past what the fast cosine reduces, and numbers that are not finite.
    EXPECT_TRUE(RunBoth(kAllStages, 3.0, 0.5, 10.0, 1.0, 3.0e9f, 2).exact);
    EXPECT_TRUE(RunBoth(kAllStages, 3.0, 1.0e12, 10.0, 1.0, 0.0f, 1).exact);
    Grid fast(1.0f);
    Grid reference(1.0f);
    fast.vertices[7].position[1] = reference.vertices[7].position[1] = NAN;
    fast.object.Snapshot();
    reference.object.Snapshot();
    fast.object.SetDeformation(DEFORM_WAVE | DEFORM_TWIST_X, 2.0, 0.5, 0.0, 1.0);
    reference.object.SetDeformation(DEFORM_WAVE | DEFORM_TWIST_X, 2.0, 0.5, 0.0, 1.0);
    fast.object.Deform();
    RefDeform(reference.object);
    Worst worst;
    Compare(fast, reference, 1e-3f, worst);
    EXPECT_TRUE(worst.exact);
}

}  // namespace
