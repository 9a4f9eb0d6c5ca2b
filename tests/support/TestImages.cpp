#include "tests/support/TestImages.h"

#include <cstdlib>
#include <utility>

namespace TestSupport {

std::string EncodeJpeg(int width, int height, J_COLOR_SPACE space, int components,
                       const std::vector<uint8_t>& pixels) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    for (int c = 0; c < info.num_components; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> rows(pixels);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = rows.data() + static_cast<size_t>(info.next_scanline) * width * components;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

std::string SolidRgbJpeg(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) {
        pixels.insert(pixels.end(), {r, g, b});
    }
    return EncodeJpeg(width, height, JCS_RGB, 3, pixels);
}

// Glyph d lies in column d mod 16, in cell row d div 16 counted from the
// texture's t = 1 edge, which is the picture's last rows.
std::string MarkerGlyphSheet(char marker) {
    std::vector<uint8_t> rgb(256 * 256 * 3, 0);
    const int column = (static_cast<unsigned char>(marker) - 32) % 16;
    const int firstCellRow = (static_cast<unsigned char>(marker) - 32) / 16;
    const std::pair<int, int> cells[] = {{firstCellRow, 0}, {firstCellRow + 8, 1}};  // (cell row, channel)
    for (const auto& [cellRow, channel] : cells) {
        for (int row = 256 - 16 * (cellRow + 1); row < 256 - 16 * cellRow; ++row) {
            for (int x = 16 * column; x < 16 * column + 16; ++x) {
                rgb[(static_cast<size_t>(row) * 256 + x) * 3 + channel] = 255;
            }
        }
    }
    return EncodeJpeg(256, 256, JCS_RGB, 3, rgb);
}

}  // namespace TestSupport
