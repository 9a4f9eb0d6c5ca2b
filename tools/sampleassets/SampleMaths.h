// The small maths the sample's pictures, meshes and sounds are computed with:
// points and directions, colours, and the blends between them.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_SAMPLEMATHS_H
#define HALVENOR_TOOLS_SAMPLEASSETS_SAMPLEMATHS_H

#include <cmath>

namespace SampleAssets {

constexpr double kPi = 3.14159265358979323846;

struct Vec3 {
    double x, y, z;
};

inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(const Vec3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline Vec3 Normalised(const Vec3& v) {
    const double length = std::sqrt(Dot(v, v));
    return length > 0.0 ? v * (1.0 / length) : Vec3{0.0, 0.0, 1.0};
}

inline double Clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }
inline double Mix(double a, double b, double t) { return a + (b - a) * t; }
inline double SmoothStep(double edge0, double edge1, double v) {
    const double t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

// Red, green and blue from 0 to 1; sums may pass 1 and are clamped when a
// picture stores them.
struct Colour {
    double r, g, b;
};

inline Colour operator*(const Colour& c, double s) { return {c.r * s, c.g * s, c.b * s}; }
inline Colour operator+(const Colour& a, const Colour& b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Colour MixColour(const Colour& a, const Colour& b, double t) {
    return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)};
}

}  // namespace SampleAssets

#endif
