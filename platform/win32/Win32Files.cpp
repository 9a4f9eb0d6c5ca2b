// The Win32 calls of the Windows file system port (see Win32Files.h).
#include "platform/win32/Win32Files.h"

#include <windows.h>

namespace {

// The identity of a file or directory; false when it cannot be opened.
bool Identify(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    const HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool known = GetFileInformationByHandle(file, &info) != FALSE;
    CloseHandle(file);
    return known;
}

}  // namespace

bool Win32Files::MoveReplacing(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool Win32Files::HardLink(const std::string& from, const std::string& to) {
    return CreateHardLinkA(to.c_str(), from.c_str(), nullptr) != FALSE;
}

std::string Win32Files::TemporaryPath() {
    char path[MAX_PATH + 2];
    const DWORD length = GetTempPathA(sizeof path, path);
    if (length == 0 || length >= sizeof path) {
        return std::string();
    }
    std::string folder(path, length);
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) {
        folder.pop_back();
    }
    return folder;
}

bool Win32Files::SameFile(const std::string& first, const std::string& second) {
    BY_HANDLE_FILE_INFORMATION a{};
    BY_HANDLE_FILE_INFORMATION b{};
    return Identify(first, a) && Identify(second, b) && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

bool Win32Files::Stamp(const std::string& path, uint64_t& volume, uint64_t& index, int64_t& size, int64_t& seconds,
                       int64_t& nanoseconds) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!Identify(path, info)) {
        return false;
    }
    volume = info.dwVolumeSerialNumber;
    index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    size = static_cast<int64_t>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    const uint64_t ticks =
        (static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    seconds = static_cast<int64_t>(ticks / 10000000u);
    nanoseconds = static_cast<int64_t>(ticks % 10000000u) * 100;
    return true;
}

bool Win32Files::StandardErrorIsConsole() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
}

std::string Win32Files::ProgramFolder() {
    char path[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return std::string();
    }
    const std::string file(path, length);
    const size_t separator = file.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : file.substr(0, separator);
}
