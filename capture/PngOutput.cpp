#include "capture/PngOutput.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/FileSystem.h"

namespace {

// Fast compression: a capture writes many large frames, and the files are
// an intermediate product. The left-neighbour filter alone encodes rendered
// pictures about three times faster than trying every filter on every row,
// and the files come out no larger.
constexpr int kCompressionLevel = 2;
// Frames waiting for the encoder; the show waits when it is this far ahead.
constexpr size_t kMaxPending = 3;

bool MakeDirectories(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (!part.empty() && !Platform::MakeDirectory(part)) {
            return false;
        }
        if (slash == std::string::npos) {
            break;
        }
    }
    return Platform::IsDirectory(path);
}

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void NoFlush(png_structp /*png*/) {}

}  // namespace

PngOutput::PngOutput(const std::string& directory_)
    : directory(directory_), width(0), height(0), closing(false) {}

PngOutput::~PngOutput() { Close(); }

std::string PngOutput::FileName(int64_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "%06lld.png", static_cast<long long>(index));
    return name;
}

std::string PngOutput::Encode(const uint8_t* rgb, int width, int height) {
    std::string bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return std::string();
    }
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return std::string();
    }
    png_set_write_fn(png, &bytes, AppendBytes, NoFlush);
    png_set_compression_level(png, kCompressionLevel);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int row = 0; row < height; ++row) {
        png_write_row(png, rgb + static_cast<size_t>(row) * static_cast<size_t>(width) * 3);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

bool PngOutput::Open(int newWidth, int newHeight) {
    width = newWidth;
    height = newHeight;
    if (!MakeDirectories(directory)) {
        error = "cannot create the directory " + directory + ": " + std::strerror(errno);
        return false;
    }
    if (!worker.joinable()) {
        closing = false;
        worker = std::thread(&PngOutput::Work, this);
    }
    return true;
}

bool PngOutput::WriteFiles(const std::string& png, int64_t first, int64_t repeat) {
    for (int64_t index = first; index < first + repeat; ++index) {
        const std::string path = directory + "/" + FileName(index);
        FILE* file = std::fopen(path.c_str(), "wb");
        const bool written = file != nullptr && !png.empty() && std::fwrite(png.data(), 1, png.size(), file) == png.size();
        if (file == nullptr || std::fclose(file) != 0 || !written) {
            std::lock_guard<std::mutex> guard(lock);
            workerError = "cannot write " + path + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

void PngOutput::Work() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> guard(lock);
            changed.wait(guard, [this] { return closing || !jobs.empty(); });
            if (jobs.empty()) {
                return;
            }
            job = std::move(jobs.front());
        }
        const bool written = WriteFiles(Encode(job.rgb.data(), width, height), job.first, job.repeat);
        std::lock_guard<std::mutex> guard(lock);
        jobs.pop_front();
        changed.notify_all();
        if (!written) {
            jobs.clear();
            return;
        }
    }
}

bool PngOutput::Write(const uint8_t* rgb, int64_t first, int64_t repeat) {
    std::unique_lock<std::mutex> guard(lock);
    changed.wait(guard, [this] { return jobs.size() < kMaxPending || !workerError.empty(); });
    if (!workerError.empty()) {
        error = workerError;
        return false;
    }
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
    jobs.push_back(Job{std::vector<uint8_t>(rgb, rgb + bytes), first, repeat});
    changed.notify_all();
    return true;
}

bool PngOutput::Close() {
    if (worker.joinable()) {
        {
            std::lock_guard<std::mutex> guard(lock);
            closing = true;
            changed.notify_all();
        }
        worker.join();
    }
    if (!workerError.empty()) {
        error = workerError;
        return false;
    }
    return true;
}
