#include "author/AuthorOptions.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/ControlServer.h"

namespace {

constexpr double kSpeeds[] = {0.25, 0.5, 1.0, 2.0};
// Thirty minutes of music is the longest show there is.
constexpr double kMaxSeconds = 30.0 * 60.0;

bool ReadNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(value);
}

// Only digits and one point: strtod's hexadecimal, exponents, infinities and
// leading spaces are no way to write a time.
bool PlainDecimal(const char* text) {
    int points = 0;
    int digits = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '.') {
            ++points;
        } else if (*c >= '0' && *c <= '9') {
            ++digits;
        } else {
            return false;
        }
    }
    return digits > 0 && points <= 1;
}

std::string Quoted(const char* text) { return std::string("'") + text + "'"; }

bool ReadTime(const char* flag, const char* text, double& seconds, std::string& error) {
    if (!AuthorOptions::ParseTime(text, seconds)) {
        error = std::string(flag) + " wants a time in seconds (95.5) or minutes and seconds (1:35.5), not " +
                Quoted(text);
        return false;
    }
    return true;
}

std::string TimeText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", seconds);
    return text;
}

}  // namespace

bool AuthorOptions::Wanted(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--edit") == 0) {
            return true;
        }
    }
    return false;
}

bool AuthorOptions::IsOption(const char* word) {
    for (const char* option : {"--edit", "--at", "--pause", "--loop", "--speed", "--listen"}) {
        if (std::strcmp(word, option) == 0) {
            return true;
        }
    }
    return false;
}

bool AuthorOptions::ParseTime(const char* text, double& seconds) {
    if (text == nullptr) {
        return false;
    }
    const char* colon = std::strchr(text, ':');
    if (colon == nullptr) {
        double value = 0.0;
        if (!PlainDecimal(text) || !ReadNumber(text, value) || value > kMaxSeconds) {
            return false;
        }
        seconds = value;
        return true;
    }
    const std::string minutesText(text, colon);
    const char* secondsText = colon + 1;
    double minutes = 0.0;
    double rest = 0.0;
    // Whole minutes, then seconds below 60 written with two digits before
    // any point (1:05, not 1:5).
    const bool wholeMinutes = !minutesText.empty() && minutesText.find('.') == std::string::npos &&
                              PlainDecimal(minutesText.c_str()) && ReadNumber(minutesText.c_str(), minutes);
    const bool twoDigits = std::strlen(secondsText) >= 2 && secondsText[0] >= '0' && secondsText[0] <= '9' &&
                           secondsText[1] >= '0' && secondsText[1] <= '9' &&
                           (secondsText[2] == '\0' || secondsText[2] == '.');
    if (!wholeMinutes || !twoDigits || !PlainDecimal(secondsText) || !ReadNumber(secondsText, rest) ||
        rest >= 60.0) {
        return false;
    }
    const double value = minutes * 60.0 + rest;
    if (value > kMaxSeconds) {
        return false;
    }
    seconds = value;
    return true;
}

bool AuthorOptions::IsOfferedSpeed(double speed) {
    for (const double offered : kSpeeds) {
        if (speed == offered) {
            return true;
        }
    }
    return false;
}

bool AuthorOptions::Parse(int argc, const char* const* argv, AuthorOptions& options, std::string& error) {
    bool edit = false;
    bool atGiven = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const int left = argc - 1 - i;
        if (std::strcmp(arg, "--edit") == 0) {
            edit = true;
        } else if (std::strcmp(arg, "--pause") == 0) {
            options.pause = true;
        } else if (std::strcmp(arg, "--at") == 0) {
            if (left < 1) {
                error = "--at wants a time";
                return false;
            }
            if (!ReadTime("--at", argv[++i], options.at, error)) {
                return false;
            }
            atGiven = true;
        } else if (std::strcmp(arg, "--loop") == 0) {
            if (left < 2) {
                error = "--loop wants two times, its start and its end";
                return false;
            }
            if (!ReadTime("--loop", argv[i + 1], options.loopStart, error) ||
                !ReadTime("--loop", argv[i + 2], options.loopEnd, error)) {
                return false;
            }
            i += 2;
            if (!(options.loopEnd > options.loopStart)) {
                error = "--loop wants its end after its start";
                return false;
            }
            options.loopSet = true;
        } else if (std::strcmp(arg, "--speed") == 0) {
            double speed = 0.0;
            if (left < 1 || !ReadNumber(argv[i + 1], speed) || !IsOfferedSpeed(speed)) {
                error = std::string("--speed wants 0.25, 0.5, 1 or 2") + (left < 1 ? "" : ", not " + Quoted(argv[i + 1]));
                return false;
            }
            options.speed = speed;
            ++i;
        } else if (std::strcmp(arg, "--listen") == 0) {
            if (left < 1) {
                error = "--listen wants [HOST:]PORT";
                return false;
            }
            if (!ControlServer::ParseAddress(argv[++i], options.listenHost, options.listenPort, &error)) {
                return false;
            }
            options.listen = true;
        } else {
            error = (arg[0] == '-' ? "unknown option " : "unexpected argument ") + Quoted(arg);
            return false;
        }
    }
    if (!edit) {
        error = "these options belong to --edit";
        return false;
    }
    // A loop alone starts at its start.
    if (options.loopSet && !atGiven) {
        options.at = options.loopStart;
    }
    return true;
}

bool AuthorOptions::CheckTimes(const AuthorOptions& options, double showEnd, std::string& error) {
    if (showEnd < 0.0) {
        return true;
    }
    const auto inside = [showEnd](double time) { return time >= 0.0 && time < showEnd; };
    if (!inside(options.at)) {
        error = "--at " + TimeText(options.at) + " is outside the show, which ends at " + TimeText(showEnd);
        return false;
    }
    if (options.loopSet && (!inside(options.loopStart) || options.loopEnd > showEnd)) {
        error = "--loop " + TimeText(options.loopStart) + " to " + TimeText(options.loopEnd) +
                " is outside the show, which ends at " + TimeText(showEnd);
        return false;
    }
    return true;
}

const char* AuthorOptions::Usage() {
    return "usage: halvenor --edit [--at TIME] [--pause] [--loop A B] [--speed X] [--listen [HOST:]PORT]\n"
           "Plays the show of the current directory for its author: start anywhere, pause,\n"
           "seek, step, loop a stretch, change speed, with the time on screen.\n"
           "TIME, A and B in seconds (95.5) or minutes and seconds (1:35.5), inside the show.\n"
           "\n"
           "  --at TIME     start at music time TIME (default 0, or the loop's start)\n"
           "  --pause       start paused\n"
           "  --loop A B    play the stretch from A to B over and over\n"
           "  --speed X     0.25, 0.5, 1 or 2 (the music's pitch follows)\n"
           "  --listen [HOST:]PORT  take remote-control commands (halvenor-ctl) on PORT of\n"
           "                127.0.0.1, or of HOST: no password, so keep it on loopback\n"
           "\n"
           "Keys: p pause/resume; Left/Right seek 1 s (with Shift 10 s); Home to the loop's\n"
           "start or to 0; , and . step one frame back/forward (paused); [ and ] set the\n"
           "loop's start/end at the current time, \\ clears it; - and = change speed;\n"
           "t shows or hides the overlay; r reads the show again now (saves are read by\n"
           "themselves). The player's own keys work as without --edit.\n";
}
