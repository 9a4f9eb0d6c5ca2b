// Reads a show the way the engine will play it and says what would go wrong:
// words the engine drops silently, files it cannot find after its path rules,
// names no line created, events that can never become due, a show that never
// ends. It uses the engine's own line splitting, keyword tables, path rules,
// scene reader and music decoder, and never opens a window or writes a file.
//
// The show is the one in the working directory, as for the player. This is
// what halvenor-check, halvenor --edit and live reload call; the work is done
// by one piece per kind of file (PreconfigChecker, ScriptChecker and the
// pieces they call), each adding to a CheckedShow.
#ifndef HALVENOR_CHECKER_SHOWCHECKER_H
#define HALVENOR_CHECKER_SHOWCHECKER_H

#include <cstddef>
#include <string>
#include <vector>

#include "checker/CheckedShow.h"

class ShowChecker {
public:
    // Findings beyond this many are left out, with one finding that says so.
    static constexpr size_t kMaxFindings = ShowFindings::kMax;

    // Checks preconfig.txt of the working directory and everything it names.
    void Check();

    const std::vector<ShowFinding>& Findings() const { return show.findings.All(); }
    int ErrorCount() const { return show.findings.ErrorCount(); }
    int WarningCount() const { return show.findings.WarningCount(); }
    // One "file:line: error: message" line per finding, errors first, then
    // warnings, each in the order found.
    std::string Report() const { return show.findings.Report(); }
    // What the show loads: display, scenes with their object, camera and
    // light indices, layers, particle systems, pixel buffers, music, events.
    std::string Summary() const;
    // Every file the show loads, preconfig.txt first, each path once per
    // kind and owner, missing ones included (saving them makes them appear).
    const std::vector<ShowFile>& Files() const { return show.files.All(); }
    // The window the LOAD DISPLAY line asks for ("800 x 600 x 32 windowed"),
    // empty without one: a reload keeps the window while this stays the same.
    std::string DisplayMode() const { return show.resources.DisplayMode(); }

private:
    CheckedShow show;
};

#endif
