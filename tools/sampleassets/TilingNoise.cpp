// Value noise that tiles: the grain, cloud and turbulence of the sample's
// textures.
#include "tools/sampleassets/TilingNoise.h"

#include <cmath>

#include "tools/sampleassets/Random.h"
#include "tools/sampleassets/SampleMaths.h"

namespace SampleAssets {

TilingNoise::TilingNoise(int period, uint32_t seed) : period(period), values(static_cast<size_t>(period) * period) {
    Random random(seed);
    for (double& v : values) {
        v = random.Unit();
    }
}

double TilingNoise::At(double x, double y) const {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int x0 = Wrap(static_cast<int>(fx));
    const int y0 = Wrap(static_cast<int>(fy));
    const double tx = SmoothStep(0.0, 1.0, x - fx);
    const double ty = SmoothStep(0.0, 1.0, y - fy);
    const double top = Mix(Value(x0, y0), Value(x0 + 1, y0), tx);
    const double bottom = Mix(Value(x0, y0 + 1), Value(x0 + 1, y0 + 1), tx);
    return Mix(top, bottom, ty);
}

double TilingNoise::Fractal(double u, double v, int octaves) const {
    double sum = 0.0;
    double amplitude = 0.5;
    double scale = 1.0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * At(u * period * scale, v * period * scale);
        amplitude *= 0.5;
        scale *= 2.0;
    }
    return sum;
}

}  // namespace SampleAssets
