// BoxWatch: closes the message boxes of the program under test and writes down
// what they said, so that a Windows program can run unattended under Wine.
//
// A real MessageBoxA is modal and waits for a click that never comes on a test
// machine. This watchdog runs beside the program (same Wine prefix, same
// desktop), looks for dialog-class windows ("#32770") a few times a second,
// appends each new box to LOG as one line "[caption] text" -- the line the
// Linux build writes to stderr for the same box: carriage returns dropped,
// line breaks as the two characters \n -- and presses OK with WM_COMMAND IDOK.
// It ends when STOP exists (the test harness creates it) or after SECONDS.
//
// Usage: BoxWatch LOG STOP [SECONDS]
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

namespace {

constexpr int kPollMs = 50;
// A box that is still there this long after its OK is pressed again.
constexpr int kRepressMs = 1000;
// MessageBox puts its text in a static control with this identifier.
constexpr int kBoxTextId = 0xFFFF;

std::string TextOf(HWND window) {
    char text[4096];
    const int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

// The box's message: its text control, or else the longest static text in it
// (a dialog other than MessageBox, such as a crash report, still says what it is).
std::string MessageOf(HWND box) {
    HWND control = GetDlgItem(box, kBoxTextId);
    if (control != nullptr) {
        return TextOf(control);
    }
    std::string longest;
    for (HWND child = FindWindowExA(box, nullptr, "Static", nullptr); child != nullptr;
         child = FindWindowExA(box, child, "Static", nullptr)) {
        const std::string text = TextOf(child);
        if (text.size() > longest.size()) {
            longest = text;
        }
    }
    return longest;
}

std::string OneLine(const std::string& text) {
    std::string line;
    for (const char c : text) {
        if (c == '\n') {
            line += "\\n";
        } else if (c != '\r') {
            line += c;
        }
    }
    return line;
}

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// Each line is written whole and the file closed, so that the harness can read
// it at any moment.
void Record(const char* logPath, const std::string& line) {
    FILE* log = std::fopen(logPath, "ab");
    if (log == nullptr) {
        return;
    }
    std::fprintf(log, "%s\n", line.c_str());
    std::fclose(log);
}

struct Seen {
    HWND box;
    DWORD pressedAt;
    bool operator<(const Seen& other) const { return box < other.box; }
};

// One look at the desktop: new boxes are recorded and answered; boxes that
// stayed are answered again now and then; boxes gone are forgotten, since
// Windows may hand their handle to a later box.
void Sweep(const char* logPath, std::set<Seen>& seen) {
    std::set<Seen> present;
    const DWORD now = GetTickCount();
    for (HWND box = FindWindowExA(nullptr, nullptr, "#32770", nullptr); box != nullptr;
         box = FindWindowExA(nullptr, box, "#32770", nullptr)) {
        if (!IsWindowVisible(box)) {
            continue;
        }
        auto known = seen.find(Seen{box, 0});
        Seen entry{box, now};
        if (known == seen.end()) {
            Record(logPath, "[" + OneLine(TextOf(box)) + "] " + OneLine(MessageOf(box)));
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        } else if (now - known->pressedAt >= static_cast<DWORD>(kRepressMs)) {
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        } else {
            entry.pressedAt = known->pressedAt;
        }
        present.insert(entry);
    }
    seen.swap(present);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: BoxWatch LOG STOP [SECONDS]\n");
        return 2;
    }
    const char* logPath = argv[1];
    const char* stopPath = argv[2];
    const long seconds = argc == 4 ? std::strtol(argv[3], nullptr, 10) : 600;
    const DWORD start = GetTickCount();
    std::set<Seen> seen;
    while (!Exists(stopPath) && GetTickCount() - start < static_cast<DWORD>(seconds) * 1000u) {
        Sweep(logPath, seen);
        Sleep(kPollMs);
    }
    // A box that came in the last moment is still answered.
    Sweep(logPath, seen);
    return 0;
}
