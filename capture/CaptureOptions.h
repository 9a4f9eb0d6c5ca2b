// The command line of halvenor-capture:
//   halvenor-capture [-r FPS] [-s START] [-t DURATION] [-o OUTPUT]
#ifndef HALVENOR_CAPTURE_CAPTUREOPTIONS_H
#define HALVENOR_CAPTURE_CAPTUREOPTIONS_H

#include <string>

struct CaptureOptions {
    double fps = 60.0;
    double start = 0.0;
    double duration = -1.0;  // below 0: to the show's end
    std::string output = "capture.mp4";
    bool help = false;

    // False with a message for the user when an argument is wrong.
    static bool Parse(int argc, const char* const* argv, CaptureOptions& options, std::string& error);
    static const char* Usage();
};

#endif
