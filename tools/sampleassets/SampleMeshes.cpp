// The sample scene's meshes, built by code in the modeller's Z-up world
// coordinates: the ground, the torus, the mirror ball and the glass box.
#include "tools/sampleassets/SampleMeshes.h"

#include <cmath>

namespace SampleAssets {

namespace {

// A grid of (columns + 1) x (rows + 1) texture vertices over [0, 1] x [0, 1].
void AddTexGrid(Mesh& mesh, int columns, int rows) {
    for (int j = 0; j <= rows; ++j) {
        for (int i = 0; i <= columns; ++i) {
            mesh.texVertices.push_back({static_cast<double>(i) / columns, static_cast<double>(j) / rows, 0.0});
        }
    }
}

}  // namespace

Mesh MakeGround(double size, int cells) {
    Mesh mesh;
    mesh.name = "Suelo";
    mesh.materialRef = 0;
    for (int j = 0; j <= cells; ++j) {
        for (int i = 0; i <= cells; ++i) {
            mesh.vertices.push_back({(static_cast<double>(i) / cells - 0.5) * size, (static_cast<double>(j) / cells - 0.5) * size, 0.0});
        }
    }
    AddTexGrid(mesh, cells, cells);
    const int stride = cells + 1;
    for (int j = 0; j < cells; ++j) {
        for (int i = 0; i < cells; ++i) {
            const int a = j * stride + i;
            mesh.AddFace(a, a + 1, a + stride + 1, a, a + 1, a + stride + 1, 1);
            mesh.AddFace(a + stride + 1, a + stride, a, a + stride + 1, a + stride, a, 1);
        }
    }
    return mesh;
}

// Tilted about X so that the ring shows its hole to the orbiting camera.
Mesh MakeTorus(const Vec3& centre, double major, double minor, int around, int across, double tiltDegrees) {
    Mesh mesh;
    mesh.name = "Toroide";
    mesh.materialRef = 1;
    const double tilt = tiltDegrees * kPi / 180.0;
    for (int j = 0; j < across; ++j) {
        const double phi = 2.0 * kPi * j / across;
        for (int i = 0; i < around; ++i) {
            const double theta = 2.0 * kPi * i / around;
            const double ring = major + minor * std::cos(phi);
            const Vec3 flat{ring * std::cos(theta), ring * std::sin(theta), minor * std::sin(phi)};
            const Vec3 tilted{flat.x, flat.y * std::cos(tilt) - flat.z * std::sin(tilt), flat.y * std::sin(tilt) + flat.z * std::cos(tilt)};
            mesh.vertices.push_back(centre + tilted);
        }
    }
    AddTexGrid(mesh, around, across);
    const int texStride = around + 1;
    for (int j = 0; j < across; ++j) {
        for (int i = 0; i < around; ++i) {
            const int a = j * around + i;
            const int b = j * around + (i + 1) % around;
            const int c = ((j + 1) % across) * around + (i + 1) % around;
            const int d = ((j + 1) % across) * around + i;
            const int ta = j * texStride + i;
            mesh.AddFace(a, b, c, ta, ta + 1, ta + texStride + 1, 1);
            mesh.AddFace(c, d, a, ta + texStride + 1, ta + texStride, ta, 1);
        }
    }
    return mesh;
}

// Latitude-longitude sphere with one vertex at each pole.
Mesh MakeSphere(const std::string& name, int materialRef, const Vec3& centre, double radius, int around, int rings) {
    Mesh mesh;
    mesh.name = name;
    mesh.materialRef = materialRef;
    mesh.vertices.push_back(centre + Vec3{0.0, 0.0, radius});
    for (int j = 1; j < rings; ++j) {
        const double polar = kPi * j / rings;
        for (int i = 0; i < around; ++i) {
            const double azimuth = 2.0 * kPi * i / around;
            mesh.vertices.push_back(centre + Vec3{radius * std::sin(polar) * std::cos(azimuth),
                                                  radius * std::sin(polar) * std::sin(azimuth), radius * std::cos(polar)});
        }
    }
    const int south = static_cast<int>(mesh.vertices.size());
    mesh.vertices.push_back(centre + Vec3{0.0, 0.0, -radius});
    AddTexGrid(mesh, around, rings);
    const int texStride = around + 1;
    // Ring r (1 .. rings - 1) vertex i; texture row counts from the south pole.
    auto ringVertex = [around](int r, int i) { return 1 + (r - 1) * around + i % around; };
    auto tex = [texStride, rings](int r, int i) { return (rings - r) * texStride + i; };
    for (int i = 0; i < around; ++i) {
        mesh.AddFace(0, ringVertex(1, i), ringVertex(1, i + 1), tex(0, i), tex(1, i), tex(1, i + 1), 1);
        for (int r = 1; r < rings - 1; ++r) {
            mesh.AddFace(ringVertex(r, i), ringVertex(r + 1, i), ringVertex(r + 1, i + 1), tex(r, i), tex(r + 1, i),
                         tex(r + 1, i + 1), 1);
            mesh.AddFace(ringVertex(r + 1, i + 1), ringVertex(r, i + 1), ringVertex(r, i), tex(r + 1, i + 1),
                         tex(r, i + 1), tex(r, i), 1);
        }
        mesh.AddFace(ringVertex(rings - 1, i), south, ringVertex(rings - 1, i + 1), tex(rings - 1, i), tex(rings, i),
                     tex(rings - 1, i + 1), 1);
    }
    return mesh;
}

// A box with its own four corners per side, so that each side is lit flat.
Mesh MakeBox(const Vec3& centre, double half) {
    Mesh mesh;
    mesh.name = "Cristal";
    mesh.materialRef = 3;
    mesh.smoothing = 0;
    const Vec3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    mesh.texVertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    for (int side = 0; side < 6; ++side) {
        const Vec3 normal = axes[side / 2] * (side % 2 == 0 ? 1.0 : -1.0);
        const Vec3 u = axes[(side / 2 + 1) % 3] * (side % 2 == 0 ? 1.0 : -1.0);
        const Vec3 v = Cross(normal, u);
        const int first = static_cast<int>(mesh.vertices.size());
        const Vec3 middle = centre + normal * half;
        mesh.vertices.push_back(middle - u * half - v * half);
        mesh.vertices.push_back(middle + u * half - v * half);
        mesh.vertices.push_back(middle + u * half + v * half);
        mesh.vertices.push_back(middle - u * half + v * half);
        mesh.AddFace(first, first + 1, first + 2, 0, 1, 2, 2 + side);
        mesh.AddFace(first + 2, first + 3, first, 2, 3, 0, 2 + side);
    }
    return mesh;
}

}  // namespace SampleAssets
