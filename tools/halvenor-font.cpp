// halvenor-font: renders a TrueType font into texturas\font.jpg, the glyph
// sheet the console draws with, in the exact cell layout the engine cuts it
// into. See --help.
//
// The engine's layout: a 16 x 16 grid of cells over the whole picture; cell d
// is column d % 16, row d / 16, rows counted from the texture's t = 1 edge.
// Cells 0-127 are character set 0 (the console's history), 128-255 set 1 (its
// input line); in both the first cell is the space (code 32), so cell d shows
// code 32 + d % 128. Each cell is drawn as a quad of 16 x 26 window pixels
// with its top edge at the larger t, and the pen moves 10 pixels a character.
// The picture's first row is t = 0, so the sheet is drawn upright and then
// flipped top to bottom.
//
// This sheet is 256 x 512 (cells of 16 x 32 texels, both sides powers of two
// so the loader keeps them): one texel a window pixel across, 32 texels for 26
// pixels down, so glyphs are rendered that much taller and come out in their
// own proportions on screen.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/Version.h"
#include "platform/SystemFont.h"

namespace {

// The system's monospaced font; when it has none, the first place looked at,
// so that the message names a file the author can put there.
std::string DefaultFont() {
    const std::string found = Platform::DefaultMonospacedFont();
    return found.empty() ? Platform::DefaultFontPlaces().front() : found;
}

constexpr int kGrid = 16;
constexpr int kCellWidth = 16;   // texels, one per window pixel
constexpr int kCellHeight = 32;  // texels for the quad's 26 window pixels
constexpr int kQuadHeight = 26;  // window pixels of a drawn glyph
constexpr int kAdvance = 10;     // window pixels the pen moves
constexpr int kSheetWidth = kGrid * kCellWidth;
constexpr int kSheetHeight = kGrid * kCellHeight;
constexpr int kSetSize = 128;
constexpr int kFirstCode = 32;
constexpr int kLastCode = 126;
constexpr int kMinSize = 6;
constexpr int kMaxSize = 26;
constexpr int kDefaultSize = 16;
constexpr int kQuality = 95;

// Set 0 (history) in white, set 1 (the input line) in amber, as the sample
// show's font: the line being typed stands out from the lines entered.
constexpr float kInk[2][3] = {{1.0f, 1.0f, 1.0f}, {1.0f, 0.85f, 0.45f}};

const char* const kUsage =
    "usage: halvenor-font [--size PX] [FONT.ttf] OUT.jpg\n"
    "\n"
    "Renders a TrueType (or OpenType) font into the glyph sheet the console\n"
    "draws with: save it as texturas/font.jpg in the show directory.\n"
    "\n"
    "  FONT.ttf     the font (default: Debian's DejaVu Sans Mono,\n"
    "               /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf)\n"
    "  --size PX    the font's size in window pixels, 6 to 26 (default 16);\n"
    "               the console moves 10 pixels a character, so a monospaced\n"
    "               font at about 16 pixels fits best\n"
    "  -h, --help   show this text\n"
    "      --version\n"
    "\n"
    "The sheet is a 256 x 512 JPEG: 16 x 16 cells of 16 x 32 texels, codes\n"
    "32-126 in cells 0-94 (set 0, white: the console's history) and again in\n"
    "cells 128-222 (set 1, amber: its input line), flipped top to bottom as\n"
    "the engine reads it. Exit status: 0 written, 1 the font cannot be read\n"
    "or the file written, 2 bad arguments.\n";

struct Options {
    std::string font = DefaultFont();
    bool defaultFont = true;
    std::string output;
    int size = kDefaultSize;
    bool help = false;
    bool version = false;
};

bool ParseSize(const char* text, int& size) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < kMinSize || value > kMaxSize) {
        return false;
    }
    size = static_cast<int>(value);
    return true;
}

bool Parse(int argc, char** argv, Options& options) {
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--size") {
            if (i + 1 >= argc || !ParseSize(argv[i + 1], options.size)) {
                std::fprintf(stderr, "halvenor-font: --size takes a whole number of pixels from %d to %d\n",
                             kMinSize, kMaxSize);
                return false;
            }
            ++i;
        } else if (argument.size() > 1 && argument[0] == '-') {
            std::fprintf(stderr, "halvenor-font: unknown option %s\n", argv[i]);
            return false;
        } else {
            files.push_back(argument);
        }
    }
    if (options.help || options.version) {
        return true;
    }
    if (files.empty() || files.size() > 2) {
        std::fprintf(stderr, "halvenor-font: give the output file (and before it a font file)\n");
        return false;
    }
    if (files.size() == 2) {
        options.font = files[0];
        options.defaultFont = false;
    }
    options.output = files.back();
    return true;
}

class Sheet {
public:
    Sheet() : rgb(static_cast<size_t>(kSheetWidth) * kSheetHeight * 3, 0) {}

    // Adds a rendered glyph, coverage 0-255, with its top-left corner at
    // (left, top) of the upright sheet, clipped to the cell it belongs to.
    void Put(const FT_Bitmap& bitmap, int cell, int left, int top, const float* ink) {
        const int cellLeft = (cell % kGrid) * kCellWidth;
        const int cellTop = (cell / kGrid) * kCellHeight;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            const int y = cellTop + top + static_cast<int>(row);
            if (y < cellTop || y >= cellTop + kCellHeight) {
                continue;
            }
            for (unsigned column = 0; column < bitmap.width; ++column) {
                const int x = cellLeft + left + static_cast<int>(column);
                if (x < cellLeft || x >= cellLeft + kCellWidth) {
                    continue;
                }
                const uint8_t coverage = bitmap.buffer[static_cast<long>(row) * bitmap.pitch + column];
                uint8_t* pixel = &rgb[(static_cast<size_t>(y) * kSheetWidth + x) * 3];
                for (int c = 0; c < 3; ++c) {
                    pixel[c] = std::max(pixel[c], static_cast<uint8_t>(std::lround(coverage * ink[c])));
                }
            }
        }
    }

    void FlipRows() {
        const size_t rowBytes = static_cast<size_t>(kSheetWidth) * 3;
        for (int top = 0, bottom = kSheetHeight - 1; top < bottom; ++top, --bottom) {
            std::swap_ranges(rgb.begin() + static_cast<long>(top * rowBytes),
                             rgb.begin() + static_cast<long>((top + 1) * rowBytes),
                             rgb.begin() + static_cast<long>(bottom * rowBytes));
        }
    }

    bool WriteJpeg(const std::string& path) const {
        FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr) {
            return false;
        }
        jpeg_compress_struct info{};
        jpeg_error_mgr errors{};
        info.err = jpeg_std_error(&errors);
        jpeg_create_compress(&info);
        jpeg_stdio_dest(&info, out);
        info.image_width = kSheetWidth;
        info.image_height = kSheetHeight;
        info.input_components = 3;
        info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, kQuality, TRUE);
        // Full-resolution colour: strokes a texel or two wide would lose
        // their ink to chroma subsampling.
        info.comp_info[0].h_samp_factor = 1;
        info.comp_info[0].v_samp_factor = 1;
        jpeg_start_compress(&info, TRUE);
        while (info.next_scanline < info.image_height) {
            JSAMPROW row = const_cast<uint8_t*>(&rgb[static_cast<size_t>(info.next_scanline) * kSheetWidth * 3]);
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        const bool written = std::ferror(out) == 0;
        return std::fclose(out) == 0 && written;
    }

private:
    std::vector<uint8_t> rgb;
};

// Renders codes 32-126 into both sets. The baseline sits where the font's
// ascent and descent are centred in the 26-pixel quad.
bool Render(FT_Face face, int size, Sheet& sheet) {
    const double stretch = static_cast<double>(kCellHeight) / kQuadHeight;
    if (FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(size), static_cast<FT_UInt>(std::lround(size * stretch))) != 0) {
        return false;
    }
    const double ascent = face->size->metrics.ascender / 64.0;
    const double descent = -face->size->metrics.descender / 64.0;
    const double baseline = std::max(0.0, (kCellHeight - (ascent + descent)) / 2.0) + ascent;
    for (int code = kFirstCode; code <= kLastCode; ++code) {
        if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER) != 0) {
            continue;  // a glyph the font lacks stays blank
        }
        const FT_GlyphSlot glyph = face->glyph;
        // Centred on the pen's advance, so a proportional font keeps its
        // letters apart too.
        const double width = glyph->advance.x / 64.0;
        const int left = static_cast<int>(std::lround((kAdvance - width) / 2.0)) + glyph->bitmap_left;
        const int top = static_cast<int>(std::lround(baseline)) - glyph->bitmap_top;
        for (int set = 0; set < 2; ++set) {
            sheet.Put(glyph->bitmap, set * kSetSize + code - kFirstCode, left, top, kInk[set]);
        }
    }
    return true;
}

int MakeSheet(const Options& options) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "halvenor-font: cannot start FreeType\n");
        return 1;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, options.font.c_str(), 0, &face) != 0) {
        std::fprintf(stderr, "halvenor-font: cannot read the font %s%s\n", options.font.c_str(),
                     options.defaultFont ? (" (" + Platform::DefaultFontHint() + ")").c_str() : "");
        FT_Done_FreeType(library);
        return 1;
    }
    Sheet sheet;
    const bool rendered = Render(face, options.size, sheet);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    if (!rendered) {
        std::fprintf(stderr, "halvenor-font: %s cannot be rendered at %d pixels\n", options.font.c_str(),
                     options.size);
        return 1;
    }
    sheet.FlipRows();
    if (!sheet.WriteJpeg(options.output)) {
        std::fprintf(stderr, "halvenor-font: cannot write %s\n", options.output.c_str());
        std::remove(options.output.c_str());
        return 1;
    }
    std::printf("halvenor-font: %s at %d pixels -> %s (%d x %d)\n", options.font.c_str(), options.size,
                options.output.c_str(), kSheetWidth, kSheetHeight);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("halvenor-font %s\n", HALVENOR_VERSION);
        return 0;
    }
    return MakeSheet(options);
}
