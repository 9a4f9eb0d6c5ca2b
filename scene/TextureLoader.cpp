// JPEG decoding goes through libjpeg with its standard error manager, except
// that a fatal decoding error jumps back to the loader instead of ending the
// process: a broken texture must not take the show down with it.
#include "scene/TextureLoader.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include <jpeglib.h>

#include "core/FileMemoryBudget.h"
#include "core/Log.h"
#include "glext/GlExtensions.h"
#include "platform/FileSystem.h"
#include "scene/TextureCache.h"

namespace {

// libjpeg's own buffers for a picture of this many pixels at the least.
constexpr uint64_t kJpegWorkBytesPerPixel = 1;

struct JpegErrorManager {
    jpeg_error_mgr base;
    jmp_buf resume;
};

void JpegErrorExit(j_common_ptr info) {
    // The library's own text still reaches stderr, as with the standard manager.
    (*info->err->output_message)(info);
    JpegErrorManager* const manager = reinterpret_cast<JpegErrorManager*>(info->err);
    std::longjmp(manager->resume, 1);
}

void LogJpegFailure(const char* fileName) {
    const std::string text = std::string("-> [JPG LOADER] Error cargando la textura [ ") + fileName + " ].\n";
    Log::Write(text.c_str());
}

// Tightly packed rows of any width: OpenGL's default unpack alignment of 4
// would read past the end of a 3-pixel-wide RGB row buffer.
class PackedRows {
public:
    PackedRows() {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &previous);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    ~PackedRows() { glPixelStorei(GL_UNPACK_ALIGNMENT, previous); }
    PackedRows(const PackedRows&) = delete;
    PackedRows& operator=(const PackedRows&) = delete;

private:
    GLint previous = 4;
};

}  // namespace

// Texture generation mode belongs to the texture unit, so both units that a
// material may use get sphere mapping; unit 0 is left active.
void SetUpSphereMapping(uint32_t texture) {
    if (glActiveTextureARB == nullptr) {
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        return;
    }
    const GLenum units[] = {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB};
    for (const GLenum unit : units) {
        glActiveTextureARB(unit);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    }
    glActiveTextureARB(GL_TEXTURE0_ARB);
}

namespace {

// Adobe-style CMYK (the only kind in practice) stores inverted ink values.
void CmykToRgb(uint8_t* pixels, uint32_t width, uint32_t height, bool inverted) {
    const uint64_t count = static_cast<uint64_t>(width) * height;
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* const in = pixels + i * 4;
        uint8_t* const out = pixels + i * 3;
        const uint32_t c = inverted ? in[0] : 255u - in[0];
        const uint32_t m = inverted ? in[1] : 255u - in[1];
        const uint32_t y = inverted ? in[2] : 255u - in[2];
        const uint32_t k = inverted ? in[3] : 255u - in[3];
        out[0] = static_cast<uint8_t>((c * k + 127u) / 255u);
        out[1] = static_cast<uint8_t>((m * k + 127u) / 255u);
        out[2] = static_cast<uint8_t>((y * k + 127u) / 255u);
    }
}

// Everything libjpeg may abandon with a longjmp lives in the caller's frame or
// in info, so nothing needs a destructor on the way out. A few bytes of header
// can claim 65500 x 65500 pixels, so the decoded picture and libjpeg's own
// buffers (a progressive file keeps every coefficient of the picture) must
// together fit the file's memory budget.
bool DecodeJpeg(FILE* file, uint64_t budget, jpeg_decompress_struct& info, DecodedImage& image) {
    JpegErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JpegErrorExit;
    if (setjmp(errors.resume) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_calc_output_dimensions(&info);
    const uint64_t pixelCount = static_cast<uint64_t>(info.output_width) * info.output_height;
    const uint64_t outputBytes = pixelCount * static_cast<uint64_t>(info.output_components);
    if (outputBytes + pixelCount * kJpegWorkBytesPerPixel > budget) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    // Whole-picture buffers beyond this end the decoding with an error
    // instead of being allocated.
    info.mem->max_memory_to_use = static_cast<long>(budget - outputBytes);
    jpeg_start_decompress(&info);
    const uint32_t components = static_cast<uint32_t>(info.output_components);
    image.width = info.output_width;
    image.height = info.output_height;
    image.rowBytes = image.width * components;
    image.pixels.reset(new (std::nothrow) uint8_t[static_cast<size_t>(image.rowBytes) * image.height]);
    if (image.pixels == nullptr) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.pixels.get() + static_cast<size_t>(info.output_scanline) * image.rowBytes;
        if (jpeg_read_scanlines(&info, &row, 1) == 0) {
            jpeg_destroy_decompress(&info);
            return false;
        }
    }
    const bool inverted = info.saw_Adobe_marker != 0;
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    if (components == 4) {
        CmykToRgb(image.pixels.get(), image.width, image.height, inverted);
        image.rowBytes = image.width * 3;
    }
    return true;
}

GLuint UploadMipmappedRgb(const DecodedImage& image) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    {
        const PackedRows packed;
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, static_cast<GLint>(image.width), static_cast<GLint>(image.height),
                          GL_RGB, GL_UNSIGNED_BYTE, image.pixels.get());
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return texture;
}

// Bytes left in file from the current position, or -1 when it cannot tell.
long RemainingBytes(FILE* file) {
    const long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) {
        return -1;
    }
    const long end = std::ftell(file);
    if (std::fseek(file, here, SEEK_SET) != 0 || end < here) {
        return -1;
    }
    return end - here;
}

bool ReadTgaHeader(FILE* file, TgaImage& image) {
    static const uint8_t kUncompressedHeader[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    uint8_t start[12];
    if (std::fread(start, 1, sizeof start, file) != sizeof start ||
        std::memcmp(start, kUncompressedHeader, sizeof start) != 0) {
        return false;
    }
    uint8_t rest[6];
    if (std::fread(rest, 1, sizeof rest, file) != sizeof rest) {
        return false;
    }
    image.width = rest[0] + 256u * rest[1];
    image.height = rest[2] + 256u * rest[3];
    image.bitsPerPixel = rest[4];
    return image.width != 0 && image.height != 0 && (image.bitsPerPixel == 24 || image.bitsPerPixel == 32);
}

// The pixel bytes are checked against the file's length before they are
// allocated, so a header alone cannot ask for more memory than the file holds.
bool ReadTgaPixels(FILE* file, TgaImage& image) {
    const size_t bytesPerPixel = image.bitsPerPixel / 8;
    const size_t byteCount = static_cast<size_t>(image.width) * image.height * bytesPerPixel;
    const long remaining = RemainingBytes(file);
    if (remaining >= 0 && static_cast<unsigned long>(remaining) < byteCount) {
        return false;
    }
    image.pixels.reset(new (std::nothrow) uint8_t[byteCount]);
    if (image.pixels == nullptr || std::fread(image.pixels.get(), 1, byteCount, file) != byteCount) {
        return false;
    }
    uint8_t* const pixels = image.pixels.get();
    for (size_t i = 0; i < byteCount; i += bytesPerPixel) {
        const uint8_t blue = pixels[i];
        pixels[i] = pixels[i + 2];
        pixels[i + 2] = blue;
    }
    return true;
}

GLuint UploadTga(const TgaImage& image) {
    const GLenum format = image.bitsPerPixel == 32 ? GL_RGBA : GL_RGB;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    const PackedRows packed;
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), static_cast<GLsizei>(image.width),
                 static_cast<GLsizei>(image.height), 0, format, GL_UNSIGNED_BYTE, image.pixels.get());
    return texture;
}

bool Contains(const std::string& text, const char* word) { return text.find(word) != std::string::npos; }

}  // namespace

TextureFileType TextureTypeOfName(const char* fileName) {
    if (fileName == nullptr || fileName[0] == '\0') {
        return TextureFileType::None;
    }
    std::string upper(fileName);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    if (Contains(upper, "TGA")) {
        return TextureFileType::Tga;
    }
    if (Contains(upper, "JPG")) {
        return TextureFileType::Jpeg;
    }
    return TextureFileType::None;
}

uint32_t LoadTexture(const char* fileName) {
    return TextureCache::Load(fileName, TextureTypeOfName(fileName), false);
}

bool DecodeJpegFile(const char* fileName, DecodedImage& image) {
    if (fileName == nullptr) {
        return false;
    }
    FILE* const file = Platform::OpenFile(fileName, "rb");
    if (file == nullptr) {
        return false;
    }
    const long size = RemainingBytes(file);
    jpeg_decompress_struct info;
    const bool decoded = DecodeJpeg(file, FileMemoryBudget::For(size > 0 ? static_cast<uint64_t>(size) : 0), info, image);
    std::fclose(file);
    return decoded;
}

bool ReadTgaFile(const char* fileName, TgaImage& image) {
    if (fileName == nullptr) {
        return false;
    }
    FILE* const file = Platform::OpenFile(fileName, "rb");
    if (file == nullptr) {
        return false;
    }
    const bool read = ReadTgaHeader(file, image) && ReadTgaPixels(file, image);
    std::fclose(file);
    return read;
}

uint32_t LoadJpegTexture(const char* fileName, bool sphereMap) {
    if (fileName == nullptr) {
        return 0;
    }
    DecodedImage image;
    if (!DecodeJpegFile(fileName, image)) {
        LogJpegFailure(fileName);
        return 0;
    }
    const GLuint texture = UploadMipmappedRgb(image);
    if (sphereMap) {
        SetUpSphereMapping(texture);
    }
    return texture;
}

uint32_t LoadTgaTexture(const char* fileName, bool sphereMap) {
    if (fileName == nullptr) {
        return 0;
    }
    TgaImage image;
    if (!ReadTgaFile(fileName, image)) {
        return 0;
    }
    const GLuint texture = UploadTga(image);
    if (sphereMap) {
        SetUpSphereMapping(texture);
    }
    return texture;
}
