// The sample's textures: the flare, the spark, the console's background and
// the scene's floor, marble and mirror-ball pictures, computed from fixed seeds.
#include "tools/sampleassets/SampleTextures.h"

#include <cmath>

#include "tools/sampleassets/SampleMaths.h"
#include "tools/sampleassets/TilingNoise.h"

namespace SampleAssets {

namespace {

// What a mirror ball sees, in eye space (y up, the viewer along +z): sky
// above the horizon with a sun, a tiled floor below.
Colour Environment(const Vec3& r) {
    const Vec3 sun = Normalised(Vec3{0.45, 0.55, 0.7});
    if (r.y >= 0.0) {
        const Colour sky = MixColour(Colour{0.85, 0.90, 1.0}, Colour{0.12, 0.28, 0.65}, std::pow(r.y, 0.6));
        const double glare = std::pow(std::fmax(0.0, Dot(r, sun)), 200.0) * 1.5;
        return sky + Colour{1.0, 0.95, 0.8} * glare;
    }
    const double distance = 1.0 / std::fmax(-r.y, 0.05);
    const bool odd = (static_cast<int>(std::floor(r.x * distance * 2.0)) + static_cast<int>(std::floor(r.z * distance * 2.0))) % 2 != 0;
    const Colour floor = odd ? Colour{0.35, 0.30, 0.26} : Colour{0.65, 0.58, 0.48};
    return MixColour(floor, Colour{0.80, 0.82, 0.86}, std::exp(r.y * 12.0));
}

}  // namespace

// The lens flare: a soft bluish-white glow that fades to pure black well
// inside the square, because flares are added to the frame.
Image MakeFlare() {
    const int size = 128;
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double dx = (x + 0.5 - size / 2.0) / (size / 2.0);
            const double dy = (y + 0.5 - size / 2.0) / (size / 2.0);
            const double r = std::sqrt(dx * dx + dy * dy);
            const double fade = 1.0 - SmoothStep(0.75, 0.98, r);
            const double halo = std::exp(-r * r * 4.5) * 0.9;
            const double core = std::exp(-r * r * 25.0);
            const double ring = std::exp(-std::pow((r - 0.62) / 0.035, 2.0)) * 0.12;
            const Colour glow = Colour{0.55, 0.72, 1.0} * (halo + ring) + Colour{1.0, 1.0, 1.0} * core;
            image.Set(x, y, glow * fade);
        }
    }
    return image;
}

// A particle: a warm round glow with a white-hot core that reaches pure
// black inside the square, since particles are added to the frame.
Image MakeSpark() {
    const int size = 64;
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double dx = (x + 0.5 - size / 2.0) / (size / 2.0);
            const double dy = (y + 0.5 - size / 2.0) / (size / 2.0);
            const double r2 = dx * dx + dy * dy;
            const double fade = 1.0 - SmoothStep(0.7, 0.95, std::sqrt(r2));
            const Colour glow = Colour{1.0, 0.55, 0.18} * std::exp(-r2 * 6.0) + Colour{1.0, 0.95, 0.8} * std::exp(-r2 * 40.0);
            image.Set(x, y, glow * fade);
        }
    }
    return image;
}

// Dark blue panel texture with faint scan lines; tiles in both directions.
Image MakeConsoleBackground() {
    const int size = 128;
    Image image(size, size);
    const TilingNoise noise(8, 0xC0FFEEu);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double n = noise.Fractal(static_cast<double>(x) / size, static_cast<double>(y) / size, 4);
            const double line = (y % 4 == 0) ? 0.75 : 1.0;
            const Colour c = MixColour(Colour{0.02, 0.04, 0.12}, Colour{0.08, 0.16, 0.38}, n) * line;
            image.Set(x, y, c);
        }
    }
    return image;
}

// Eight by eight squares with a thin grout line and a little grain.
Image MakeChecker() {
    const int size = 256;
    const int square = 32;
    Image image(size, size);
    const TilingNoise noise(16, 0x5EED01u);
    const Colour light{0.86, 0.84, 0.76};
    const Colour dark{0.18, 0.22, 0.32};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const bool odd = ((x / square) + (y / square)) % 2 != 0;
            const bool grout = x % square == 0 || y % square == 0;
            const double grain = 0.9 + 0.2 * noise.Fractal(static_cast<double>(x) / size, static_cast<double>(y) / size, 3);
            const Colour base = odd ? dark : light;
            image.Set(x, y, (grout ? base * 0.6 : base) * grain);
        }
    }
    return image;
}

// Cream marble with grey-green veins bent by turbulence; tiles seamlessly.
Image MakeMarble() {
    const int size = 256;
    Image image(size, size);
    const TilingNoise noise(8, 0x3A4B1Eu);
    const Colour stone{0.93, 0.90, 0.84};
    const Colour vein{0.30, 0.38, 0.36};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double u = static_cast<double>(x) / size;
            const double v = static_cast<double>(y) / size;
            const double turbulence = noise.Fractal(u, v, 4);
            const double wave = std::sin((u * 2.0 + v) * 2.0 * kPi + turbulence * 5.0);
            const double veinAmount = 0.85 * std::pow(1.0 - std::fabs(wave), 12.0) + 0.15 * (wave + 1.0) * 0.5;
            image.Set(x, y, MixColour(stone, vein, veinAmount) * (0.94 + 0.06 * turbulence));
        }
    }
    return image;
}

// Sphere map: texel (s, t) holds the colour reflected by the sphere point
// whose normal is (2s - 1, 2t - 1, nz). The picture's first row is t = 0, so
// as a picture the floor is at the top.
Image MakeSphereMap() {
    const int size = 256;
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double nx = 2.0 * (x + 0.5) / size - 1.0;
            const double ny = 2.0 * (y + 0.5) / size - 1.0;
            const double rim = nx * nx + ny * ny;
            const double nz = std::sqrt(std::fmax(0.0, 1.0 - rim));
            const Vec3 reflected{2.0 * nz * nx, 2.0 * nz * ny, 2.0 * nz * nz - 1.0};
            const Colour c = Environment(Normalised(reflected));
            image.Set(x, y, rim < 1.0 ? c : Colour{0.80, 0.82, 0.86});
        }
    }
    return image;
}

}  // namespace SampleAssets
