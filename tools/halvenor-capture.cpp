// halvenor-capture: renders the show of the working directory to a video or
// to PNG frames, on a virtual clock, faster than real time where the machine
// allows and identical every time. See --help.
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "author/PartRunUp.h"
#include "capture/CaptureJobs.h"
#include "capture/CaptureJoin.h"
#include "capture/CaptureOptions.h"
#include "capture/CaptureSink.h"
#include "core/Application.h"
#include "core/Version.h"
#include "platform/ChildProcess.h"
#include "platform/MessageBox.h"

namespace {

int JoinParts(const CaptureOptions& options) {
    CaptureJoin join;
    std::string error;
    if (!join.Check(options.joinParts, options.output, error) || !join.Join(error)) {
        std::fprintf(stderr, "halvenor-capture: %s\n", error.c_str());
        return 1;
    }
    std::fprintf(stderr, "halvenor-capture: %zu parts joined into %s: %lld frames\n", join.Parts().size(),
                 options.output.c_str(), static_cast<long long>(join.Frames()));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("halvenor-capture %s\n", HALVENOR_VERSION);
        return 0;
    }
    CaptureOptions options;
    std::string error;
    if (!CaptureOptions::Parse(argc, argv, options, error)) {
        std::fprintf(stderr, "halvenor-capture: %s\n%s", error.c_str(), CaptureOptions::Usage());
        return 2;
    }
    if (options.help) {
        std::fputs(CaptureOptions::Usage(), stdout);
        return 0;
    }
    if (options.join) {
        return JoinParts(options);
    }
    if (!CaptureSink::Prepare(options, error)) {
        std::fprintf(stderr, "halvenor-capture: %s\n", error.c_str());
        return 1;
    }
    // A dead ffmpeg must surface as a failed write, not end the process.
    Platform::ChildProcess::IgnoreBrokenPipes();
    // Nobody watches a capture to close a box: its boxes are stderr lines only.
    Platform::KeepBoxesOffScreen();
    // A part that the capture running it stops quits as on Ctrl-C, keeping what it has.
    Platform::ChildProcess::ObeyStopRequests();
    if (options.jobs > 1) {
        CaptureJobs jobs(options, Platform::ChildProcess::OwnProgram());
        return jobs.Run();
    }
    CaptureSink::UseVirtualTime();
    CaptureSink sink(options);
    const std::string partName = options.part.Name();
    sink.SetRunUp([partName](Engine& engine, CaptureSchedule& schedule, int64_t originNs, int64_t frameNs) {
        PartRunUp::Cost cost;
        // Ctrl-C and SIGTERM come as a request to quit.
        const auto goOn = [] { return SDL_QuitRequested() == 0; };
        if (!PartRunUp::Run(engine, schedule, originNs, frameNs, &cost, goOn)) {
            return false;
        }
        std::fprintf(stderr, "halvenor-capture: part %s starts at %.2f s, run up in %.2f s (%lld pictures, %lld drawn)\n",
                     partName.c_str(), static_cast<double>(frameNs) / 1e9, (cost.walkMs + cost.runMs) / 1e3,
                     static_cast<long long>(cost.pictures), static_cast<long long>(cost.drawn));
        return true;
    });
    const int status = Application::Run(sink);
    if (status != 0) {
        return status;
    }
    if (!sink.Message().empty()) {
        std::fprintf(stderr, "halvenor-capture: %s\n", sink.Message().c_str());
    }
    return sink.Succeeded() ? 0 : 1;
}
