// A TGA texture as the loader reads it, up to the pixels it would upload.
#include "fuzz/support/FuzzHarness.h"
#include "scene/TextureLoader.h"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    FuzzHarness::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzHarness run(data, size, "textura.tga");
    run.Run([&] {
        TgaImage image;
        if (ReadTgaFile(run.FileName(), image)) {
            // Every byte the upload would read.
            const size_t bytes = static_cast<size_t>(image.width) * image.height * (image.bitsPerPixel / 8);
            volatile uint8_t sum = 0;
            for (size_t i = 0; i < bytes; ++i) {
                sum += image.pixels[i];
            }
        }
    });
    return 0;
}
