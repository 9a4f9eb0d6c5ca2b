// The few file calls of the Windows port that need <windows.h>, apart from
// FileSystem.cpp: the file system service's names (ReplaceFile) are macros
// there. Plain types only at this interface.
#ifndef HALVENOR_PLATFORM_WIN32_WIN32FILES_H
#define HALVENOR_PLATFORM_WIN32_WIN32FILES_H

#include <cstdint>
#include <string>

class Win32Files {
public:
    // MoveFileExA with MOVEFILE_REPLACE_EXISTING and MOVEFILE_WRITE_THROUGH.
    static bool MoveReplacing(const std::string& from, const std::string& to);
    // CreateHardLinkA.
    static bool HardLink(const std::string& from, const std::string& to);
    // GetTempPathA, without its trailing separator; empty when there is none.
    static std::string TemporaryPath();
    // The same volume serial number and file index.
    static bool SameFile(const std::string& first, const std::string& second);
    // The volume serial number and file index, the size and the last write
    // time (since 1601, in seconds and nanoseconds).
    static bool Stamp(const std::string& path, uint64_t& volume, uint64_t& index, int64_t& size, int64_t& seconds,
                      int64_t& nanoseconds);
    // GetConsoleMode on the standard error handle.
    static bool StandardErrorIsConsole();
    // The folder of the running program (GetModuleFileNameA), or empty.
    static std::string ProgramFolder();
};

#endif
