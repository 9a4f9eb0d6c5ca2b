// The Windows entry point, WinMain, of the halvenor program (a program of the
// Windows subsystem, with no console of its own).
//
// It hands the C runtime's __argc/__argv (the command line split in the
// ANSI code page) to the halvenor program, whose answer is the exit code.
// Started from a console, its standard output and error would go nowhere,
// so --help and the error lines would be lost: when they are not already
// usable (redirected to a file or a pipe, or the terminal Wine gives a
// program started from a Unix shell), it attaches to the parent's console
// and reopens there just the ones that are not. This is the one file of
// platform/win32/ that calls up into the program.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "player/PlayerProgram.h"

namespace {

bool Usable(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

void ReachParentConsole() {
    const bool outputUsable = Usable(STD_OUTPUT_HANDLE);
    const bool errorUsable = Usable(STD_ERROR_HANDLE);
    if ((outputUsable && errorUsable) || !AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    if (!outputUsable && std::freopen("CONOUT$", "w", stdout) != nullptr) {
        std::setvbuf(stdout, nullptr, _IONBF, 0);
    }
    if (!errorUsable && std::freopen("CONOUT$", "w", stderr) != nullptr) {
        std::setvbuf(stderr, nullptr, _IONBF, 0);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
    ReachParentConsole();
    return PlayerProgram::Run(__argc, __argv);
}
