// How far the editing player's window is from halvenor-capture's frames: the
// sample (or the show directory given) is captured once at 50 frames a
// second, then played by halvenor --edit's author mode in this process,
// paused, overlay hidden. Every half second of the show it seeks there and
// compares the window with the capture's frame for that time, then steps one
// picture on and compares again with the capture's frame for the time the
// player then says it is at. Prints the largest difference of any channel of
// any pixel, and the number of places that were not exact.
// Usage: AuthorCaptureMatch [show directory [its 50 fps capture's frames]].
// Needs a display: run under
// xvfb-run -a -s "-screen 0 1280x1024x24".
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "author/AuthorMode.h"
#include "capture/PngOutput.h"
#include "core/Application.h"
#include "glext/GlExtensions.h"
#include "platform/Clock.h"

namespace {

constexpr double kCaptureRate = 50.0;
constexpr double kEvery = 0.5;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // rows from the top down
};

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

Picture ReadWindow(int width, int height) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    std::vector<uint8_t> rows(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    picture.rgb.resize(rows.size());
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        std::memcpy(&picture.rgb[static_cast<size_t>(y) * rowBytes],
                    &rows[static_cast<size_t>(height - 1 - y) * rowBytes], rowBytes);
    }
    return picture;
}

struct Difference {
    int largest = 0;
    double share = 0.0;  // of the channels that differ at all
};

Difference Compare(const Picture& a, const Picture& b) {
    Difference difference;
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) {
        difference.largest = 256;
        difference.share = 1.0;
        return difference;
    }
    size_t differing = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) {
        const int d = std::abs(static_cast<int>(a.rgb[i]) - static_cast<int>(b.rgb[i]));
        difference.largest = std::max(difference.largest, d);
        differing += d != 0 ? 1 : 0;
    }
    difference.share = static_cast<double>(differing) / static_cast<double>(a.rgb.size());
    return difference;
}

// Real time that never passes, so that pacing never waits.
class StillWall : public AuthorMode::WallClock {
public:
    int64_t NowNs() override { return now; }
    void SleepNs(int64_t nanoseconds) override { now += nanoseconds; }
    int64_t now = 1000000000;
};

// Frame by frame: a seek to the next time, its frame compared, a step, its
// frame compared.
class MatchRun : public FrameSink {
public:
    MatchRun(AuthorMode& mode, std::string frames) : mode(mode), frames(std::move(frames)) {}

    bool ShowStarted(Engine& engine) override { return mode.ShowStarted(engine); }
    FramePlan BeginFrame(Engine& engine) override { return mode.BeginFrame(engine); }
    void PictureComposed(Engine& engine) override { mode.PictureComposed(engine); }
    bool ShowEnded(Engine& engine) override { return mode.ShowEnded(engine); }
    bool FrameComposed(Engine& engine) override;

    int largestAfterSeek = 0;
    int largestAfterStep = 0;
    int inexact = 0;
    int compared = 0;

private:
    void Check(double time, const char* after, int& largest);

    AuthorMode& mode;
    std::string frames;
    int index = 0;
    bool stepped = true;
};

void MatchRun::Check(double time, const char* after, int& largest) {
    // The capture's frame at or after the time, which shows the picture on
    // screen at that time when pictures are further apart than its frames.
    const auto frame = static_cast<int64_t>(std::ceil(time * kCaptureRate - 1e-6));
    Picture captured;
    if (!ReadPng(frames + "/" + PngOutput::FileName(frame), captured)) {
        return;
    }
    const Picture seen = ReadWindow(captured.width, captured.height);
    const Difference difference = Compare(seen, captured);
    ++compared;
    if (difference.largest != 0) {
        ++inexact;
        std::printf("%-5s %8.3f s: up to %3d levels on %5.1f %% of the channels\n", after, time, difference.largest,
                    100.0 * difference.share);
    }
    largest = std::max(largest, difference.largest);
}

bool MatchRun::FrameComposed(Engine& engine) {
    const bool goesOn = mode.FrameComposed(engine);
    glFinish();
    const double now = mode.Status().time;
    if (index > 0) {
        Check(now, stepped ? "step" : "seek", stepped ? largestAfterStep : largestAfterSeek);
    }
    if (!stepped) {
        stepped = true;
        return goesOn && mode.Step(1, nullptr);
    }
    const double next = index * kEvery;
    std::string error;
    if (!mode.Seek(next, &error)) {
        return false;
    }
    ++index;
    stepped = false;
    return goesOn;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string build = HALVENOR_BUILD_DIR;
    char dirName[] = "/tmp/halvenor-match-XXXXXX";
    if (mkdtemp(dirName) == nullptr) {
        return 1;
    }
    const std::string dir = dirName;
    std::string show = dir + "/show";
    if (argc > 1) {
        show = argv[1];
    } else {
        const std::string sample = std::string(HALVENOR_SOURCE_DIR) + "/shows/sample";
        const std::string make = "mkdir -p '" + show + "' && '" + build + "/MakeSampleAssets' '" + show +
                                 "' >/dev/null && cp '" + sample + "/preconfig.txt' '" + sample + "/guion.txt' '" +
                                 show + "'";
        if (std::system(make.c_str()) != 0) {
            std::fprintf(stderr, "AuthorCaptureMatch: cannot make the sample in %s\n", show.c_str());
            return 1;
        }
    }
    const std::string frames = argc > 2 ? std::string(argv[2]) : dir + "/frames";
    char rate[32];
    std::snprintf(rate, sizeof rate, "%g", kCaptureRate);
    const std::string capture = "cd '" + show + "' && '" + build + "/halvenor-capture' -r " + rate + " -o '" +
                                frames + "' 2>/dev/null";
    if ((argc <= 2 && std::system(capture.c_str()) != 0) || chdir(show.c_str()) != 0) {
        std::fprintf(stderr, "AuthorCaptureMatch: the capture of %s failed\n", show.c_str());
        return 1;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    AuthorOptions options;
    options.pause = true;
    options.overlay = false;
    StillWall wall;
    AuthorMode::UseAuthorTime();
    AuthorMode mode(options, &wall);
    MatchRun run(mode, frames);
    const int status = Application::Run(run);
    Platform::UseVirtualClock(false);
    std::system(("rm -rf '" + dir + "'").c_str());
    if (status != 0 || run.compared == 0) {
        std::fprintf(stderr, "AuthorCaptureMatch: the show did not play through its seeks\n");
        return 1;
    }
    std::printf("%d pictures compared, %d not exact\n", run.compared, run.inexact);
    std::printf("metric: author_capture_largest_difference_after_seek %d levels\n", run.largestAfterSeek);
    std::printf("metric: author_capture_largest_difference_after_step %d levels\n", run.largestAfterStep);
    std::printf("metric: author_capture_inexact_pictures %d pictures\n", run.inexact);
    return 0;
}
