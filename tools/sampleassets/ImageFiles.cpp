// The sample's pictures as JPEG and TGA files, byte for byte the same on
// every run.
#include "tools/sampleassets/ImageFiles.h"

#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

#include <jpeglib.h>

#include "tools/sampleassets/Image.h"

namespace SampleAssets {

// Full-resolution chroma keeps thin glyph strokes and hard checker edges clean.
bool WriteJpeg(const std::string& path, const Image& image, int quality) {
    FILE* const file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    for (int c = 0; c < info.num_components; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    const size_t rowBytes = static_cast<size_t>(image.width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(&image.rgb[info.next_scanline * rowBytes]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

// Uncompressed 24-bit TGA, B G R per pixel. Rows are written top row first
// because the engine hands file rows to OpenGL in file order.
bool WriteTga(const std::string& path, const Image& image) {
    FILE* const file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    uint8_t header[18] = {};
    header[2] = 2;
    header[12] = static_cast<uint8_t>(image.width & 0xFF);
    header[13] = static_cast<uint8_t>(image.width >> 8);
    header[14] = static_cast<uint8_t>(image.height & 0xFF);
    header[15] = static_cast<uint8_t>(image.height >> 8);
    header[16] = 24;
    header[17] = 0x20;  // top-left origin, so that viewers agree with the engine
    std::fwrite(header, 1, sizeof header, file);
    std::vector<uint8_t> bgr(image.rgb);
    for (size_t i = 0; i < bgr.size(); i += 3) {
        std::swap(bgr[i], bgr[i + 2]);
    }
    std::fwrite(bgr.data(), 1, bgr.size(), file);
    return std::fclose(file) == 0;
}

}  // namespace SampleAssets
