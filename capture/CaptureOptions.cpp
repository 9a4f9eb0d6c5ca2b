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

// The options of a split capture; false when arg is none of them.
bool ReadSplitOption(const char* arg, const char* value, CaptureOptions& options, std::string& error) {
    if (std::strcmp(arg, "--part") == 0) {
        return CaptureSplit::Parse(value, options.part, error);
    }
    char* end = nullptr;
    const long jobs = std::strtol(value, &end, 10);
    if (end == value || *end != '\0' || jobs < 1 || jobs > CaptureOptions::kMaxJobs) {
        error = std::string("--jobs wants a number of processes from 1 to ") +
                std::to_string(CaptureOptions::kMaxJobs) + ", not '" + value + "'";
        return false;
    }
    options.jobs = static_cast<int>(jobs);
    return true;
}

bool CheckCombination(const CaptureOptions& options, bool outputGiven, std::string& error) {
    if (options.join) {
        if (options.joinParts.empty() || !outputGiven) {
            error = "--join wants the parts to join and -o OUTPUT";
            return false;
        }
        return true;
    }
    if (!options.joinParts.empty()) {
        error = "unknown argument '" + options.joinParts.front() + "'";
        return false;
    }
    if (options.jobs > 1 && !options.part.Whole()) {
        error = "--jobs and --part do not go together: --jobs runs every part itself";
        return false;
    }
    return true;
}

}  // namespace

bool CaptureOptions::Parse(int argc, const char* const* argv, CaptureOptions& options, std::string& error) {
    bool outputGiven = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
            options.help = true;
            return true;
        }
        if (std::strcmp(arg, "--join") == 0) {
            options.join = true;
            continue;
        }
        if (std::strcmp(arg, "--report-lines") == 0) {
            options.reportLines = true;
            continue;
        }
        const bool split = std::strcmp(arg, "--jobs") == 0 || std::strcmp(arg, "--part") == 0;
        if (!TakesValue(arg) && !split) {
            // The words after --join are the parts.
            if (options.join && arg[0] != '-') {
                options.joinParts.emplace_back(arg);
                continue;
            }
            error = std::string("unknown argument '") + arg + "'";
            return false;
        }
        if (i + 1 >= argc) {
            error = std::string(arg) + " wants a value";
            return false;
        }
        const char* value = argv[++i];
        if (split ? !ReadSplitOption(arg, value, options, error) : !ReadOption(arg, value, options, error)) {
            return false;
        }
        outputGiven = outputGiven || std::strcmp(arg, "-o") == 0;
    }
    return CheckCombination(options, outputGiven, error);
}

const char* CaptureOptions::Usage() {
    return "usage: halvenor-capture [-r FPS] [-s START] [-t DURATION] [-o OUTPUT] [--jobs N | --part K/N]\n"
           "       halvenor-capture --join PART... -o OUTPUT\n"
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
           "  --jobs N     N processes side by side, each capturing one part of the\n"
           "               stretch (N from 1 to 64; on a machine with N cores or more):\n"
           "               the same frames as one process, in OUTPUT; a video's parts\n"
           "               are joined without encoding the picture again\n"
           "  --part K/N   only part K of N (numbered from 0) of the stretch, for a\n"
           "               scheduler that runs the parts on many machines; OUTPUT is\n"
           "               the part's own (a video file, or a directory that parts may\n"
           "               share), described in a file beside it for --join\n"
           "  --join PART... -o OUTPUT\n"
           "               joins the parts (the outputs of --part runs) into OUTPUT,\n"
           "               after checking that they are all there, complete, and of\n"
           "               the same show, stretch, rate, size and split\n"
           "  --report-lines  progress as a line every half second (for a program\n"
           "               that follows the capture)\n"
           "  -h, --help   this text\n"
           "  --version    the engine version\n"
           "\n"
           "It needs an OpenGL display; on a machine without one run it under\n"
           "xvfb-run -a -s \"-screen 0 1280x1024x24\" (--jobs then runs each part under\n"
           "an Xvfb of its own). Progress goes to stderr; the show's\n"
           "log goes to error_log.txt as with the player. Exit status 0 when the capture\n"
           "is complete, 1 when it could not be made or was interrupted.\n";
}
