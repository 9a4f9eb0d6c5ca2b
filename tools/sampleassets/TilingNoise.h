// Value noise for the sample's textures: a square lattice that wraps every
// `period` cells, so that textures built from it tile without seams.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_TILINGNOISE_H
#define HALVENOR_TOOLS_SAMPLEASSETS_TILINGNOISE_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace SampleAssets {

class TilingNoise {
public:
    TilingNoise(int period, uint32_t seed);

    // x and y in lattice cells.
    double At(double x, double y) const;
    // Several octaves; u and v in [0, 1) cover the whole period once.
    double Fractal(double u, double v, int octaves) const;

private:
    int Wrap(int i) const { return ((i % period) + period) % period; }
    double Value(int x, int y) const { return values[static_cast<size_t>(Wrap(y)) * period + Wrap(x)]; }

    int period;
    std::vector<double> values;
};

}  // namespace SampleAssets

#endif
