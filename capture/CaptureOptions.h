// The command line of halvenor-capture:
//   halvenor-capture [-r FPS] [-s START] [-t DURATION] [-o OUTPUT] [--jobs N | --part K/N]
//   halvenor-capture --join PART... -o OUTPUT
#ifndef HALVENOR_CAPTURE_CAPTUREOPTIONS_H
#define HALVENOR_CAPTURE_CAPTUREOPTIONS_H

#include <string>
#include <vector>

#include "capture/CaptureSplit.h"

struct CaptureOptions {
    double fps = 60.0;
    double start = 0.0;
    double duration = -1.0;  // below 0: to the show's end
    std::string output = "capture.mp4";
    bool help = false;
    // The stretch captured by this many processes side by side (1: this one).
    int jobs = 1;
    // Only this part of the stretch (an outside scheduler runs the others).
    CaptureSplit part;
    // Progress as a line every half second whatever stderr is (for the
    // program that runs the parts).
    bool reportLines = false;
    // --join: the parts to join into the output.
    bool join = false;
    std::vector<std::string> joinParts;

    // False with a message for the user when an argument is wrong.
    static bool Parse(int argc, const char* const* argv, CaptureOptions& options, std::string& error);
    static const char* Usage();
    static constexpr int kMaxJobs = 64;
};

#endif
