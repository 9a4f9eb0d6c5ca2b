// The Windows Fonts folder (contract in SystemFont.h): GetModuleFileNameA
// for the program's own folder, GetWindowsDirectoryA for the Fonts folder,
// GetFileAttributesA to see which font files are there.
#include "platform/SystemFont.h"

#include <windows.h>

namespace {

// The folder that holds the running program, with its backslash; empty when
// the name does not fit.
std::string ProgramFolder() {
    char name[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, name, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return std::string();
    }
    const std::string path(name, length);
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FontsFolder() {
    char windows[MAX_PATH];
    const UINT length = ::GetWindowsDirectoryA(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return "C:\\Windows\\Fonts\\";
    }
    return std::string(windows, length) + "\\Fonts\\";
}

bool IsReadableFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

namespace Platform {

const std::vector<std::string>& DefaultFontPlaces() {
    static const std::vector<std::string> places = [] {
        const std::string fonts = FontsFolder();
        std::vector<std::string> list;
        const std::string program = ProgramFolder();
        if (!program.empty()) {
            list.push_back(program + "DejaVuSansMono.ttf");
        }
        // DejaVu where a user installed it, then the monospaced fonts every
        // Windows since XP (Lucida Console, Courier New) or Vista (Consolas)
        // carries.
        list.push_back(fonts + "DejaVuSansMono.ttf");
        list.push_back(fonts + "consola.ttf");
        list.push_back(fonts + "lucon.ttf");
        list.push_back(fonts + "cour.ttf");
        return list;
    }();
    return places;
}

std::string DefaultMonospacedFont() {
    for (const std::string& place : DefaultFontPlaces()) {
        if (IsReadableFile(place)) {
            return place;
        }
    }
    return std::string();
}

std::string DefaultFontHint() { return "put DejaVuSansMono.ttf beside the program, or name a .ttf file"; }

}  // namespace Platform
