#include "tests/support/CaptureRun.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "capture/PngOutput.h"

namespace TestSupport {

namespace {

const std::string kCaptureBinary = std::string(HALVENOR_BINARY_DIR) + "/halvenor-capture";
// A whole capture of the sample on a loaded machine.
constexpr int kCaptureLimitMs = 240000;

}  // namespace

RunResult RunCapture(const std::string& dir, const std::vector<std::string>& args, const std::string& extraEnv) {
    std::vector<std::string> command = {kCaptureBinary};
    command.insert(command.end(), args.begin(), args.end());
    return RunProgram(dir, command, extraEnv, kCaptureLimitMs);
}

bool ReadPng(const std::string& path, Picture& picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
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

bool CaptureStills(const std::string& dir, const std::vector<double>& times, double fps,
                   std::vector<Picture>& pictures) {
    const double last = *std::max_element(times.begin(), times.end());
    char duration[32];
    char rate[32];
    std::snprintf(duration, sizeof duration, "%.6f", last + 1.0 / fps);
    std::snprintf(rate, sizeof rate, "%.6f", fps);
    const std::string frames = dir + "/stills";
    const RunResult run = RunCapture(dir, {"-r", rate, "-t", duration, "-o", frames});
    if (run.exitCode != 0) {
        std::fprintf(stderr, "CaptureStills: %s\n", run.stderrText.c_str());
        return false;
    }
    pictures.clear();
    for (const double time : times) {
        Picture picture;
        const int64_t frame = std::llround(time * fps);
        if (!ReadPng(frames + "/" + PngOutput::FileName(frame), picture)) {
            return false;
        }
        pictures.push_back(std::move(picture));
    }
    return true;
}

Picture Downsample(const Picture& picture, int block) {
    Picture small;
    small.width = picture.width / block;
    small.height = picture.height / block;
    small.rgb.assign(static_cast<size_t>(small.width) * small.height * 3, 0);
    for (int y = 0; y < small.height; ++y) {
        for (int x = 0; x < small.width; ++x) {
            for (int channel = 0; channel < 3; ++channel) {
                long sum = 0;
                for (int dy = 0; dy < block; ++dy) {
                    for (int dx = 0; dx < block; ++dx) {
                        sum += picture.rgb[(static_cast<size_t>(y * block + dy) * picture.width + x * block + dx) * 3 +
                                           channel];
                    }
                }
                small.rgb[(static_cast<size_t>(y) * small.width + x) * 3 + channel] =
                    static_cast<uint8_t>((sum + block * block / 2) / (block * block));
            }
        }
    }
    return small;
}

int PictureDifference(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size()) {
        return 256;
    }
    int worst = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) {
        worst = std::max(worst, std::abs(static_cast<int>(a.rgb[i]) - static_cast<int>(b.rgb[i])));
    }
    return worst;
}

bool WritePng(const std::string& path, const Picture& picture) {
    const std::string bytes = PngOutput::Encode(picture.rgb.data(), picture.width, picture.height);
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return !bytes.empty() && static_cast<bool>(out);
}

bool CopySampleShow(const std::string& dir) {
    const std::string sample = std::string(HALVENOR_SOURCE_DIR) + "/shows/sample";
    const std::string command = std::string(HALVENOR_BINARY_DIR) + "/MakeSampleAssets '" + dir +
                                "' >/dev/null && cp '" + sample + "/preconfig.txt' '" + sample + "/guion.txt' '" +
                                dir + "'";
    return std::system(command.c_str()) == 0;
}

}  // namespace TestSupport
