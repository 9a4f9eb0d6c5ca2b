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
// Built with the Linux tests, on their own picture reading and comparing.
#include <cstdio>
#include <cstdlib>

#include "tests/support/CaptureRun.h"

using TestSupport::Downsample;
using TestSupport::Picture;
using TestSupport::PictureDifference;
using TestSupport::ReadPng;

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: PngDiff A.png B.png [BLOCK]\n");
        return 2;
    }
    const int block = argc == 4 ? std::atoi(argv[3]) : 4;
    Picture a;
    Picture b;
    if (block < 1 || !ReadPng(argv[1], a) || !ReadPng(argv[2], b)) {
        std::fprintf(stderr, "PngDiff: cannot read %s or %s\n", argv[1], argv[2]);
        return 2;
    }
    if (a.width != b.width || a.height != b.height) {
        std::fprintf(stderr, "PngDiff: sizes differ: %dx%d and %dx%d\n", a.width, a.height, b.width, b.height);
        return 2;
    }
    std::printf("full=%d blocks=%d\n", PictureDifference(a, b),
                PictureDifference(Downsample(a, block), Downsample(b, block)));
    return 0;
}
