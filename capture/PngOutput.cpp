#include "capture/PngOutput.h"

#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Fast compression: a capture writes many large frames, and the files are
// an intermediate product.
constexpr int kCompressionLevel = 2;

bool MakeDirectories(const std::string& path) {
    for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            break;
        }
    }
    struct stat info{};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool WriteRows(FILE* file, const uint8_t* rgb, int width, int height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, kCompressionLevel);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int row = 0; row < height; ++row) {
        png_write_row(png, rgb + static_cast<size_t>(row) * static_cast<size_t>(width) * 3);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

PngOutput::PngOutput(const std::string& directory_) : directory(directory_), width(0), height(0) {}

std::string PngOutput::FileName(int64_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "%06lld.png", static_cast<long long>(index));
    return name;
}

bool PngOutput::WritePng(const std::string& path, const uint8_t* rgb, int width, int height) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = WriteRows(file, rgb, width, height);
    return std::fclose(file) == 0 && written;
}

bool PngOutput::Open(int newWidth, int newHeight) {
    width = newWidth;
    height = newHeight;
    if (!MakeDirectories(directory)) {
        error = "cannot create the directory " + directory + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool PngOutput::Write(const uint8_t* rgb, int64_t index) {
    const std::string path = directory + "/" + FileName(index);
    if (!WritePng(path, rgb, width, height)) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool PngOutput::Close() { return true; }
