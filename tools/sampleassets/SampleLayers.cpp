// The pictures of the sample's 2D layers: the loading screen, the title
// board, the scrolling strip and the frame overlay.
#include "tools/sampleassets/SampleLayers.h"

#include <cmath>

#include "tools/sampleassets/SampleFont.h"
#include "tools/sampleassets/SampleMaths.h"

namespace SampleAssets {

// Deep blue with a glow in the middle, the engine's name and a waiting line.
Image MakeLoadingScreen() {
    const int size = 512;
    Image image(size, size);
    const std::string title = "HALVENOR";
    const std::string waiting = "CARGANDO...";
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double dx = (x - size / 2.0) / size;
            const double dy = (y - size / 2.0) / size;
            const double glow = std::exp(-(dx * dx + dy * dy) * 9.0);
            Colour c = MixColour(Colour{0.01, 0.01, 0.04}, Colour{0.10, 0.16, 0.42}, glow);
            c = MixColour(c, Colour{1.0, 0.86, 0.55}, TextCoverage(title, CentredLeft(title, 8.0, size), 200, 8.0, x, y));
            c = MixColour(c, Colour{0.7, 0.8, 1.0}, TextCoverage(waiting, CentredLeft(waiting, 3.0, size), 300, 3.0, x, y));
            image.Set(x, y, c);
        }
    }
    return image;
}

// A dark panel with a thin amber rim and the show's title; drawn adding its
// light to the picture, so the dark stays see-through.
Image MakeBoard(const std::string& title, const std::string& subtitle) {
    const int width = 512;
    const int height = 128;
    Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool rim = x < 3 || y < 3 || x >= width - 3 || y >= height - 3;
            Colour c = rim ? Colour{0.55, 0.38, 0.10} : Colour{0.03, 0.04, 0.08} * (1.0 - 0.4 * y / height);
            c = MixColour(c, Colour{1.0, 0.80, 0.35}, TextCoverage(title, CentredLeft(title, 5.0, width), 28, 5.0, x, y));
            c = MixColour(c, Colour{0.55, 0.75, 1.0},
                          TextCoverage(subtitle, CentredLeft(subtitle, 2.0, width), 82, 2.0, x, y));
            image.Set(x, y, c);
        }
    }
    return image;
}

// Glowing cyan waves whose period divides the width: the strip repeats
// seamlessly while its texture scrolls sideways.
Image MakeStrip() {
    const int width = 256;
    const int height = 64;
    Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width;
            const double v = static_cast<double>(y) / height;
            const double wave = 0.5 + 0.22 * std::sin(2.0 * kPi * (u * 3.0)) + 0.08 * std::sin(2.0 * kPi * u * 7.0);
            const double line = std::exp(-std::pow((v - wave) * 14.0, 2.0));
            const double band = 0.25 * std::exp(-std::pow((v - 0.5) * 3.0, 2.0));
            image.Set(x, y, Colour{0.15, 0.75, 1.0} * (line + band) + Colour{0.6, 0.3, 0.9} * (line * 0.3));
        }
    }
    return image;
}

// A frame that multiplies the picture (overlay mode: twice source times
// destination): mid grey leaves it as it is, the vignette darkens the corners
// and the black bars cut a wide-screen letterbox with hard edges.
Image MakeFrameOverlay() {
    const int size = 512;
    const int bar = 48;
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double dx = (x - size / 2.0) / (size / 2.0);
            const double dy = (y - size / 2.0) / (size / 2.0);
            const double vignette = 0.5 - 0.22 * SmoothStep(0.6, 1.45, std::sqrt(dx * dx + dy * dy));
            const bool inBar = y < bar || y >= size - bar;
            const bool edge = y == bar || y == size - bar - 1;
            image.Set(x, y, inBar ? Colour{0.0, 0.0, 0.0} : (edge ? Colour{0.9, 0.7, 0.4} : Colour{1.0, 1.0, 1.0} * vignette));
        }
    }
    return image;
}

}  // namespace SampleAssets
