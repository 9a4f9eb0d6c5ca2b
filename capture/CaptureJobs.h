// halvenor-capture --jobs N: the stretch captured by N processes side by
// side, each a `halvenor-capture --part K/N` of this program with the same
// options, each starting at its first frame (CaptureSplit, PartRunUp). PNG
// parts write into the output directory itself; video parts go to files
// beside the output, joined at the end without encoding the picture again
// (CaptureJoin), with the sound of the whole stretch that part 0 encoded.
//
// The parts share the display; without one (on Linux, no DISPLAY) each gets
// an Xvfb of its own, started and ended here (on Windows every part shares
// the desktop), so that stopping a part never takes its
// display away before it has let go of it. Their progress is summed into one line
// on stderr; their other messages are passed on, named by part. Ctrl-C (or
// SIGTERM) stops every part, which keeps what it captured, and says what was
// kept; a part that fails stops the others.
#ifndef HALVENOR_CAPTURE_CAPTUREJOBS_H
#define HALVENOR_CAPTURE_CAPTUREJOBS_H

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "capture/CaptureOptions.h"
#include "platform/ChildProcess.h"

class CaptureJobs {
public:
    // program: this program's own file.
    CaptureJobs(const CaptureOptions& options, const std::string& program);

    // Runs the parts to their end; the exit status (0 when the capture is
    // complete in the output).
    int Run();

    // Where part K writes, and its command line (the program first).
    std::string PartOutput(int index) const;
    std::vector<std::string> PartCommand(int index) const;

private:
    struct Job {
        std::unique_ptr<Platform::ChildProcess> process;
        std::unique_ptr<Platform::ChildProcess> display;  // an Xvfb of its own, when there is no display
        int64_t done = 0;
        int64_t total = -1;  // until the part says
        int status = -1;
        bool stopped = false;  // by this program
        std::vector<std::string> messages;
    };

    bool StartAll();
    std::string StartDisplay(Platform::ChildProcess& server, std::string& error) const;
    void Follow();
    void TakeLine(int index, const std::string& line);
    void ReportProgress(bool force);
    int Finish();
    int ReportKept() const;
    void RemovePartFiles() const;

    CaptureOptions options;
    std::string program;
    bool video;
    std::vector<Job> jobs;
    bool stopping = false;
    bool stoppedAll = false;
    std::chrono::steady_clock::time_point began;
    std::chrono::steady_clock::time_point lastReport;
};

#endif
