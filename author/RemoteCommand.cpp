#include "author/RemoteCommand.h"

#include "author/AuthorOptions.h"
#include "checker/ShowLines.h"

#include <cmath>
#include <vector>

namespace {

const char* const kCommands = "seek, pause, play, step, loop, speed, reload, status or quit";
const char* const kTimeForms = "seconds (95.5) or minutes:seconds (1:35.5)";

bool SameWord(const std::string& word, const char* keyword) {
    size_t i = 0;
    for (; i < word.size() && keyword[i] != '\0'; ++i) {
        char c = word[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != keyword[i]) {
            return false;
        }
    }
    return i == word.size() && keyword[i] == '\0';
}

// A word of the client inside an answer: printable ASCII only, and short,
// so that the answer stays one line of text whatever was sent.
std::string Quoted(const std::string& word) {
    constexpr size_t kShown = 40;
    std::string shown;
    for (size_t i = 0; i < word.size() && i < kShown; ++i) {
        const unsigned char c = static_cast<unsigned char>(word[i]);
        shown += (c < 32 || c >= 127) ? '?' : static_cast<char>(c);
    }
    return "'" + shown + (word.size() > kShown ? "...'" : "'");
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits with an optional fraction ("12", "12.5", ".5", "12."), read
// without the C library so that no locale, hexadecimal form, exponent,
// infinity or NaN slips in. Digits beyond the seventeenth change nothing a
// double can hold, so they are read and dropped.
bool ParseDecimal(const std::string& text, double& value) {
    constexpr int kKeptDigits = 17;
    double whole = 0.0;
    double fraction = 0.0;
    double scale = 1.0;
    int kept = 0;
    bool anyDigit = false;
    bool point = false;
    for (const char c : text) {
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (!IsDigit(c)) {
            return false;
        }
        anyDigit = true;
        if (!point && kept == 0 && c == '0') {
            continue;  // leading zeros hold no digit of the value
        }
        if (kept == kKeptDigits) {
            if (!point) {
                whole *= 10.0;  // a digit of the whole part still counts
            }
            continue;
        }
        ++kept;
        if (point) {
            scale /= 10.0;
            fraction += (c - '0') * scale;
        } else {
            whole = whole * 10.0 + (c - '0');
        }
    }
    value = whole + fraction;
    return anyDigit && std::isfinite(value);
}

bool ParseFrames(const std::string& word, int& frames) {
    size_t start = 0;
    bool negative = false;
    if (!word.empty() && (word[0] == '-' || word[0] == '+')) {
        negative = word[0] == '-';
        start = 1;
    }
    if (start == word.size()) {
        return false;
    }
    long long count = 0;
    for (size_t i = start; i < word.size(); ++i) {
        if (!IsDigit(word[i])) {
            return false;
        }
        count = count * 10 + (word[i] - '0');
        if (count > RemoteCommand::kMostFrames) {
            return false;
        }
    }
    if (count == 0) {
        return false;
    }
    frames = static_cast<int>(negative ? -count : count);
    return true;
}

bool Fail(std::string* error, const std::string& why) {
    if (error != nullptr) {
        *error = why;
    }
    return false;
}

bool TimeArgument(const std::string& word, double& seconds, std::string* error) {
    if (!RemoteCommand::ParseTime(word, seconds)) {
        return Fail(error, Quoted(word) + " is not a time: write " + kTimeForms);
    }
    return true;
}

}  // namespace

bool RemoteCommand::ParseTime(const std::string& word, double& seconds) {
    // The protocol reads a time as the command line does.
    return word.find('\0') == std::string::npos && AuthorOptions::ParseTime(word.c_str(), seconds);
}

bool RemoteCommand::Parse(const std::string& line, RemoteCommand& command, std::string* error) {
    const std::vector<std::string> words = ShowLines::SplitWords(line, " \t\r");
    if (words.empty()) {
        return Fail(error, std::string("empty line: write ") + kCommands);
    }
    const std::string& verb = words[0];
    const size_t arguments = words.size() - 1;
    RemoteCommand read;
    struct Plain {
        const char* word;
        Kind kind;
    };
    static const Plain kPlain[] = {{"pause", Kind::Pause},   {"play", Kind::Play},     {"reload", Kind::Reload},
                                   {"status", Kind::Status}, {"quit", Kind::Quit}};
    for (const Plain& plain : kPlain) {
        if (SameWord(verb, plain.word)) {
            if (arguments != 0) {
                return Fail(error, std::string(plain.word) + " takes no argument");
            }
            read.kind = plain.kind;
            command = read;
            return true;
        }
    }
    if (SameWord(verb, "seek")) {
        if (arguments != 1) {
            return Fail(error, std::string("write seek T, T in ") + kTimeForms);
        }
        read.kind = Kind::Seek;
        if (!TimeArgument(words[1], read.time, error)) {
            return false;
        }
    } else if (SameWord(verb, "step")) {
        read.kind = Kind::Step;
        if (arguments > 1 || (arguments == 1 && !ParseFrames(words[1], read.frames))) {
            return Fail(error, "write step [N], N a whole number of frames other than 0, up to " +
                                   std::to_string(kMostFrames) + " (negative steps back)");
        }
    } else if (SameWord(verb, "loop")) {
        if (arguments == 1 && SameWord(words[1], "off")) {
            read.kind = Kind::LoopOff;
            command = read;
            return true;
        }
        if (arguments != 2) {
            return Fail(error, std::string("write loop A B, A and B in ") + kTimeForms + ", or loop off");
        }
        read.kind = Kind::Loop;
        if (!TimeArgument(words[1], read.time, error) || !TimeArgument(words[2], read.endTime, error)) {
            return false;
        }
        if (read.endTime <= read.time) {
            return Fail(error, "the loop must end after it starts");
        }
    } else if (SameWord(verb, "speed")) {
        read.kind = Kind::Speed;
        if (arguments != 1 || !ParseDecimal(words[1], read.speed) || read.speed <= 0.0 || read.speed > kFastestSpeed) {
            return Fail(error, std::string(arguments == 1 ? Quoted(words[1]) + " is not a speed: " : "") +
                                   "write speed X, X a factor above 0 (0.5 is half speed)");
        }
    } else {
        return Fail(error, "unknown command " + Quoted(verb) + ": write " + kCommands);
    }
    command = read;
    return true;
}
