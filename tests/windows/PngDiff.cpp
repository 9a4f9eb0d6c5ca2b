// PngDiff: how far apart two frames of the same show are, for comparing the
// Windows build's captures with the Linux build's.
//
// Prints "full=N blocks=M": N is the largest difference of one colour channel
// between two pixels at the same place (levels of 255); M is the same after
// each picture is reduced to the means of BLOCK x BLOCK pixel blocks (rounded),
// which is how the reference-picture tests compare, so that a driver's
// rounding on an edge does not count as a changed look. Exit status 0 when the
// pictures could be compared, 2 when one cannot be read or their sizes differ.
//
// Usage: PngDiff A.png B.png [BLOCK]   (BLOCK default 4)
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

bool Read(const char* path, Picture& picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path) == 0) {
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgb.assign(PNG_IMAGE_SIZE(image), 0);
    const bool read = png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return read;
}

Picture Blocks(const Picture& picture, int block) {
    Picture small;
    small.width = picture.width / block;
    small.height = picture.height / block;
    small.rgb.assign(static_cast<size_t>(small.width) * small.height * 3, 0);
    const long area = static_cast<long>(block) * block;
    for (int y = 0; y < small.height; ++y) {
        for (int x = 0; x < small.width; ++x) {
            for (int channel = 0; channel < 3; ++channel) {
                long sum = 0;
                for (int dy = 0; dy < block; ++dy) {
                    for (int dx = 0; dx < block; ++dx) {
                        const size_t at =
                            (static_cast<size_t>(y * block + dy) * picture.width + x * block + dx) * 3 + channel;
                        sum += picture.rgb[at];
                    }
                }
                small.rgb[(static_cast<size_t>(y) * small.width + x) * 3 + channel] =
                    static_cast<uint8_t>((sum + area / 2) / area);
            }
        }
    }
    return small;
}

int Largest(const Picture& a, const Picture& b) {
    int worst = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) {
        worst = std::max(worst, std::abs(static_cast<int>(a.rgb[i]) - static_cast<int>(b.rgb[i])));
    }
    return worst;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: PngDiff A.png B.png [BLOCK]\n");
        return 2;
    }
    const int block = argc == 4 ? std::atoi(argv[3]) : 4;
    Picture a;
    Picture b;
    if (block < 1 || !Read(argv[1], a) || !Read(argv[2], b)) {
        std::fprintf(stderr, "PngDiff: cannot read %s or %s\n", argv[1], argv[2]);
        return 2;
    }
    if (a.width != b.width || a.height != b.height) {
        std::fprintf(stderr, "PngDiff: sizes differ: %dx%d and %dx%d\n", a.width, a.height, b.width, b.height);
        return 2;
    }
    std::printf("full=%d blocks=%d\n", Largest(a, b), Largest(Blocks(a, block), Blocks(b, block)));
    return 0;
}
