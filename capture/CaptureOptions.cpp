#include "capture/CaptureOptions.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double kMaxFps = 1000.0;
// A day of show: far beyond any demo, and far from overflowing frame counts.
constexpr double kMaxSeconds = 86400.0;

bool ReadNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(value);
}

bool ReadOption(const char* flag, const char* text, CaptureOptions& options, std::string& error) {
    double value = 0.0;
    const bool number = ReadNumber(text, value);
    if (std::strcmp(flag, "-r") == 0) {
        if (!number || value <= 0.0 || value > kMaxFps) {
            error = std::string("-r wants a frame rate above 0 and up to 1000, not '") + text + "'";
            return false;
        }
        options.fps = value;
    } else if (std::strcmp(flag, "-s") == 0) {
        if (!number || value < 0.0 || value > kMaxSeconds) {
            error = std::string("-s wants a start time in seconds, 0 or more, not '") + text + "'";
            return false;
        }
        options.start = value;
    } else if (std::strcmp(flag, "-t") == 0) {
        if (!number || value <= 0.0 || value > kMaxSeconds) {
            error = std::string("-t wants a duration in seconds above 0, not '") + text + "'";
            return false;
        }
        options.duration = value;
    } else {
        if (*text == '\0') {
            error = "-o wants a file or directory name";
            return false;
        }
        options.output = text;
    }
    return true;
}

bool TakesValue(const char* arg) {
    return std::strcmp(arg, "-r") == 0 || std::strcmp(arg, "-s") == 0 || std::strcmp(arg, "-t") == 0 ||
           std::strcmp(arg, "-o") == 0;
}

}  // namespace

bool CaptureOptions::Parse(int argc, const char* const* argv, CaptureOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
            options.help = true;
            return true;
        }
        if (!TakesValue(arg)) {
            error = std::string("unknown argument '") + arg + "'";
            return false;
        }
        if (i + 1 >= argc) {
            error = std::string(arg) + " wants a value";
            return false;
        }
        if (!ReadOption(arg, argv[++i], options, error)) {
            return false;
        }
    }
    return true;
}

const char* CaptureOptions::Usage() {
    return "usage: halvenor-capture [-r FPS] [-s START] [-t DURATION] [-o OUTPUT]\n"
           "\n"
           "Captures the show of the working directory (its preconfig.txt), as the\n"
           "halvenor player plays it, on a virtual clock: frame n is the show at music\n"
           "time START + n / FPS, however fast the machine is, and two captures of the\n"
           "same show are identical. No sound device is used; keys are ignored.\n"
           "\n"
           "  -r FPS       frames per second of the capture (default 60)\n"
           "  -s START     music time of the first frame, in seconds (default 0)\n"
           "  -t DURATION  seconds to capture (default: to the show's DEMO FX_STOP event,\n"
           "               or to the end of the music when the script has none)\n"
           "  -o OUTPUT    a video file ending in .mp4, .mkv (H.264) or .webm (VP9),\n"
           "               encoded by the ffmpeg program with the show's music as its\n"
           "               sound track; or a directory, which receives the frames as\n"
           "               numbered PNG files 000000.png, 000001.png, ... (default\n"
           "               capture.mp4)\n"
           "  -h, --help   this text\n"
           "  --version    the engine version\n"
           "\n"
           "It needs an OpenGL display; on a machine without one run it under\n"
           "xvfb-run -a -s \"-screen 0 1280x1024x24\". Progress goes to stderr; the show's\n"
           "log goes to error_log.txt as with the player. Exit status 0 when the capture\n"
           "is complete, 1 when it could not be made or was interrupted.\n";
}
