// The halvenor program: the plain player of the working directory's show or,
// with --edit, the editing player. The process entry of each system (main on
// POSIX, WinMain on Windows) hands its command line here.
//
// The plain player takes no arguments and plays the show of its working
// directory. The only words it answers are --help and --version (they print
// and exit 0 without touching the show); anything else given is ignored, as
// the GUI entry point ignores its command line. The one exception is --edit:
// the editing player, whose options are read strictly (a wrong one prints the
// usage and exits 2), which prints what halvenor-check finds on stderr and
// plays the show anyway.
#include <cstdio>
#include <cstring>

#include <string>
#include <vector>

#include "player/PlayerProgram.h"
#include "checker/ShowChecker.h"
#include "core/Application.h"
#include "author/AuthorMode.h"
#include "author/AuthorOptions.h"
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
    "  --version  the engine version\n"
    "\n"
    "For authoring: halvenor --edit [--at TIME] [--pause] [--loop A B] [--speed X] [--listen [HOST:]PORT]\n"
    "(halvenor --edit --help says more).\n";

int AuthorUsage(const std::string& error) {
    std::fprintf(stderr, "halvenor: %s\n%s", error.c_str(), AuthorOptions::Usage());
    return 2;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

int RunAuthorMode(int argc, char** argv) {
    AuthorOptions options;
    std::string error;
    if (!AuthorOptions::Parse(argc, argv, options, error)) {
        return AuthorUsage(error);
    }
    // The checker's reading of the show, as halvenor-check prints it; the
    // show plays whatever it finds.
    ShowChecker checker;
    checker.Check();
    const std::string report = checker.Report();
    std::fputs(report.c_str(), stderr);

    AuthorMode::UseAuthorTime();
    AuthorMode mode(options);
    mode.SetFindings(checker.ErrorCount(), checker.WarningCount(), Lines(report));
    const int status = Application::Run(mode);
    if (status != 0) {
        return status;
    }
    if (mode.ExitCode() != 0) {
        return AuthorUsage(mode.Message());
    }
    return 0;
}

}  // namespace

int PlayerProgram::Run(int argc, char** argv) {
    const bool edit = AuthorOptions::Wanted(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(edit ? AuthorOptions::Usage() : kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("halvenor %s\n", HALVENOR_VERSION);
            return 0;
        }
    }
    if (edit) {
        return RunAuthorMode(argc, argv);
    }
    return Application::Run();
}
