// Positions and normals of the vertices being deformed, one array per
// coordinate, for the fast deformation path (FastDeformation): its stages
// take them as separate pointers that cannot alias, which is what lets their
// loops vectorise. One set is reused from draw to draw (the engine draws on
// one thread), so a frame's deformation allocates nothing once the largest
// object has been deformed.
//
// Inline, as the fast path is built once per processor kind with everything
// it calls inlined into it.
#ifndef HALVENOR_SCENE_DEFORMARRAYS_H
#define HALVENOR_SCENE_DEFORMARRAYS_H

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "scene/Vertex.h"

class DeformArrays {
public:
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

#endif
