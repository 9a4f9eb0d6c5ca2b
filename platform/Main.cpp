// Stands in for the Windows GUI entry point.
//
// Contract: the program plays the show of its working directory and takes no
// arguments; main runs the engine's entry, whose result is the process exit
// code. The only words it answers are --help and --version (they print and
// exit 0 without touching the show); anything else given is ignored, as the
// GUI entry point ignores its command line.
#include <cstdio>
#include <cstring>

#include "core/Application.h"
#include "core/Version.h"

namespace {

const char* const kUsage =
    "usage: halvenor\n"
    "Plays the show of the current directory: preconfig.txt names the window,\n"
    "the scenes, layers, particle systems, music and the script. Progress goes to\n"
    "error_log.txt. Stops at the script's DEMO FX_STOP event, on ESC, when the\n"
    "window is closed, or on SIGINT/SIGTERM.\n"
    "\n"
    "Keys: ESC quit, TAB console, SPACE next camera, a/s previous/next scene,\n"
    "l record a sync marker (appended to the script file at exit).\n"
    "\n"
    "Check a show first with: halvenor-check [DIR]\n"
    "\n"
    "Without a screen: xvfb-run -a halvenor (and SDL_AUDIODRIVER=dummy without sound)\n"
    "\n"
    "  --help     this text\n"
    "  --version  the engine version\n";

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("halvenor %s\n", HALVENOR_VERSION);
            return 0;
        }
    }
    return Application::Run();
}
