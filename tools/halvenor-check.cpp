// Checks a show before it is played: reads preconfig.txt and everything it
// names with the engine's own readers and prints every problem as
// "file:line: error: ..." or "file:line: warning: ...", then a short summary
// of what the show loads.
//
//   halvenor-check [--quiet] [DIR]
//
// Exit status: 0 when there is no error (warnings allowed), 1 when there is
// one, 2 for a wrong argument or a directory that cannot be entered.

#include <cstdio>
#include <cstring>
#include <string>

#include "checker/ShowChecker.h"
#include "platform/FileSystem.h"
#include "core/Version.h"

namespace {

const char* const kUsage =
    "usage: halvenor-check [--quiet] [DIR]\n"
    "Checks the show in DIR (default: the current directory) the way halvenor will\n"
    "play it: every line of preconfig.txt and of the script, every file they name\n"
    "(scenes, their textures, images, music, script) and every name and index the\n"
    "script uses. Problems go to stderr as file:line: error|warning: message; a\n"
    "summary of what the show loads goes to stdout (for a tracker module as music:\n"
    "its format, title, channels, orders and length).\n"
    "\n"
    "  -q, --quiet    no summary, only the problems\n"
    "  -h, --help     this text\n"
    "      --version  the engine version\n"
    "\n"
    "Exit status: 0 no error, 1 errors found, 2 wrong arguments.\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// "DIR/" before the findings' file names, so that an editor can open them
// from where the tool was run.
std::string Prefixed(const std::string& report, const std::string& directory) {
    if (directory == "." || directory.empty()) {
        return report;
    }
    const std::string prefix = directory.back() == '/' ? directory : directory + "/";
    std::string out;
    size_t start = 0;
    while (start < report.size()) {
        const size_t end = report.find('\n', start);
        out += prefix + report.substr(start, end - start + 1);
        start = end == std::string::npos ? report.size() : end + 1;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    std::string directory = ".";
    bool quiet = false;
    bool haveDirectory = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(arg, "--version") == 0) {
            std::printf("halvenor-check %s\n", HALVENOR_VERSION);
            return 0;
        }
        if (std::strcmp(arg, "--quiet") == 0 || std::strcmp(arg, "-q") == 0) {
            quiet = true;
        } else if (arg[0] == '-' || haveDirectory) {
            std::fprintf(stderr, "halvenor-check: unexpected argument '%s'\n", arg);
            return Usage();
        } else {
            directory = arg;
            haveDirectory = true;
        }
    }
    if (!Platform::ChangeDirectory(directory)) {
        std::fprintf(stderr, "halvenor-check: cannot enter the show directory '%s'\n", directory.c_str());
        return 2;
    }
    ShowChecker checker;
    checker.Check();
    std::fputs(Prefixed(checker.Report(), directory).c_str(), stderr);
    if (!quiet) {
        std::fputs(checker.Summary().c_str(), stdout);
        if (!checker.Findings().empty()) {
            std::printf("%d error(s), %d warning(s)\n", checker.ErrorCount(), checker.WarningCount());
        }
    }
    return checker.ErrorCount() > 0 ? 1 : 0;
}
