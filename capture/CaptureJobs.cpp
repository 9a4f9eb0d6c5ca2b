#include "capture/CaptureJobs.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "capture/CaptureJoin.h"
#include "capture/PartManifest.h"
#include "capture/SoundTrack.h"
#include "capture/VideoOutput.h"
#include "platform/FileSystem.h"

namespace {

constexpr int kPollMs = 100;
// How long an Xvfb of a part's own may take to come up.
constexpr int kDisplayWaitMs = 10000;
constexpr double kReportSeconds = 0.5;
constexpr double kLogReportSeconds = 10.0;
const char* const kPrefix = "halvenor-capture: ";
// Messages of a part kept for the report of its failure, up to a bound.
constexpr size_t kMessagesKept = 20;

std::string Number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string Without(const std::string& line, const char* prefix) {
    const size_t length = std::strlen(prefix);
    return line.compare(0, length, prefix) == 0 ? line.substr(length) : line;
}

// The window's size from the show's LOAD DISPLAY line, so that an Xvfb of
// a part's own is large enough; a usual screen when there is none.
std::string ScreenFor(const char* preconfig) {
    int width = 1280;
    int height = 1024;
    if (FILE* file = std::fopen(preconfig, "rb")) {
        char line[512];
        int w = 0;
        int h = 0;
        while (std::fgets(line, sizeof line, file) != nullptr) {
            if (std::sscanf(line, " LOAD DISPLAY %d %d", &w, &h) == 2 && w > 0 && h > 0 && w <= 16384 && h <= 16384) {
                width = std::max(width, w);
                height = std::max(height, h);
            }
        }
        std::fclose(file);
    }
    return std::to_string(width) + "x" + std::to_string(height) + "x24";
}

std::string MinutesSeconds(double seconds) {
    const long whole = static_cast<long>(std::max(seconds, 0.0) + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

}  // namespace

CaptureJobs::CaptureJobs(const CaptureOptions& options_, const std::string& program_)
    : options(options_), program(program_), video(VideoOutput::IsVideoName(options_.output)) {}

std::string CaptureJobs::PartOutput(int index) const {
    if (!video) {
        return options.output;
    }
    // The output's own container: its time base keeps the frame times exact.
    const size_t dot = options.output.find_last_of('.');
    return options.output.substr(0, dot) + ".part-" + std::to_string(index) + "-of-" + std::to_string(options.jobs) +
           options.output.substr(dot);
}

std::vector<std::string> CaptureJobs::PartCommand(int index) const {
    std::vector<std::string> command = {program, "-r", Number(options.fps), "-s", Number(options.start)};
    if (options.duration >= 0.0) {
        command.insert(command.end(), {"-t", Number(options.duration)});
    }
    command.insert(command.end(), {"-o", PartOutput(index), "--part",
                                   std::to_string(index) + "/" + std::to_string(options.jobs), "--report-lines"});
    return command;
}

// An Xvfb of the part's own, on the first free display number, which it
// names on its standard error (-displayfd). Local connections only. Empty
// with a message when it does not come up.
std::string CaptureJobs::StartDisplay(Platform::ChildProcess& server, std::string& error) const {
    const std::vector<std::string> command = {Platform::ChildProcess::DisplayServer(), "-displayfd", "2",
                                              "-screen", "0", ScreenFor("preconfig.txt"), "-nolisten", "tcp"};
    if (!server.Start(command, {}, error)) {
        return std::string();
    }
    std::vector<std::string> lines;
    for (int waited = 0; waited < kDisplayWaitMs; waited += kPollMs) {
        const bool open = server.ReadLines(lines);
        for (const std::string& line : lines) {
            if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) {
                return ":" + line;
            }
        }
        if (!open) {
            break;
        }
        Platform::ChildProcess::WaitForText({&server}, kPollMs);
    }
    error = "Xvfb did not start";
    for (size_t i = lines.size() > 4 ? lines.size() - 4 : 0; i < lines.size(); ++i) {
        error += "\n  " + lines[i];
    }
    return std::string();
}

bool CaptureJobs::StartAll() {
    const bool ownDisplays = !Platform::ChildProcess::DisplayServer().empty();
    for (int k = 0; k < options.jobs; ++k) {
        Job job;
        job.process = std::make_unique<Platform::ChildProcess>();
        job.display = std::make_unique<Platform::ChildProcess>();
        std::string error;
        std::vector<std::string> env;
        if (ownDisplays) {
            const std::string name = StartDisplay(*job.display, error);
            if (name.empty()) {
                std::fprintf(stderr, "%s%s\n", kPrefix, error.c_str());
                jobs.push_back(std::move(job));
                return false;
            }
            env = {"DISPLAY=" + name, "XAUTHORITY=/dev/null"};
        }
        if (!job.process->Start(PartCommand(k), env, error)) {
            std::fprintf(stderr, "%s%s\n", kPrefix, error.c_str());
            jobs.push_back(std::move(job));
            return false;
        }
        jobs.push_back(std::move(job));
    }
    return true;
}

void CaptureJobs::TakeLine(int index, const std::string& line) {
    Job& job = jobs[static_cast<size_t>(index)];
    long long done = 0;
    long long total = 0;
    const std::string text = Without(line, kPrefix);
    if (std::sscanf(text.c_str(), "frame %lld of %lld,", &done, &total) == 2) {
        job.done = done;
        job.total = total;
        return;
    }
    if (std::sscanf(text.c_str(), "%lld frames (", &done) == 1) {
        job.done = done;
        return;
    }
    // A part stopped says so; what was kept is said for all at the end.
    if (text.compare(0, 22, "running the show up to") == 0 || (job.stopped && text.compare(0, 11, "interrupted") == 0)) {
        return;
    }
    // On a terminal the message takes the progress line's place, which comes back below it.
    const char* const clear = Platform::StandardErrorIsTerminal() && !options.reportLines ? "\r\x1b[K" : "";
    if (text.compare(0, 5, "part ") == 0) {
        std::fprintf(stderr, "%s%s%s\n", clear, kPrefix, text.c_str());
    } else {
        std::fprintf(stderr, "%s%spart %d/%d: %s\n", clear, kPrefix, index, options.jobs, text.c_str());
    }
    job.messages.push_back(text);
    if (job.messages.size() > kMessagesKept) {
        job.messages.erase(job.messages.begin());
    }
}

void CaptureJobs::ReportProgress(bool force) {
    const bool terminal = Platform::StandardErrorIsTerminal() && !options.reportLines;
    const auto now = std::chrono::steady_clock::now();
    const double since = std::chrono::duration<double>(now - lastReport).count();
    if (!force && since < (terminal || options.reportLines ? kReportSeconds : kLogReportSeconds)) {
        return;
    }
    lastReport = now;
    int64_t done = 0;
    int64_t total = 0;
    bool known = true;
    for (const Job& job : jobs) {
        done += job.done;
        total += std::max<int64_t>(job.total, 0);
        known = known && job.total >= 0;
    }
    const double wall = std::chrono::duration<double>(now - began).count();
    const double rate = wall > 0.0 ? static_cast<double>(done) / wall : 0.0;
    if (!known) {
        std::fprintf(stderr, "%s%s%d processes starting at their parts%s", terminal ? "\r" : "", kPrefix,
                     options.jobs, terminal ? "   " : "\n");
    } else {
        std::fprintf(stderr, "%s%sframe %" PRId64 " of %" PRId64 " in %d processes, %.1f frames a second, %s left%s",
                     terminal ? "\r" : "", kPrefix, done, total, options.jobs, rate,
                     MinutesSeconds(rate > 0.0 ? static_cast<double>(total - done) / rate : 0.0).c_str(),
                     terminal ? "   " : "\n");
    }
    std::fflush(stderr);
}

void CaptureJobs::Follow() {
    for (;;) {
        std::vector<Platform::ChildProcess*> running;
        for (Job& job : jobs) {
            if (job.process->Running()) {
                running.push_back(job.process.get());
            }
        }
        if (running.empty()) {
            return;
        }
        Platform::ChildProcess::WaitForText(running, kPollMs);
        for (size_t k = 0; k < jobs.size(); ++k) {
            Job& job = jobs[k];
            // What an Xvfb says goes nowhere, so that it never waits on a full pipe.
            std::vector<std::string> ignored;
            job.display->ReadLines(ignored);
            if (!job.process->Running()) {
                continue;
            }
            std::vector<std::string> lines;
            const bool open = job.process->ReadLines(lines);
            for (const std::string& line : lines) {
                TakeLine(static_cast<int>(k), line);
            }
            if (!open) {
                job.status = job.process->Wait();
                // Its display goes once the part has let go of it.
                job.display->Stop();
                job.display->Wait();
                // A part too short to report progress is whole when it ends.
                job.total = job.total < 0 ? job.done : job.total;
                // One part failing leaves the capture incomplete: the others stop.
                stopping = stopping || job.status != 0;
            }
        }
        if ((stopping || Platform::ChildProcess::Interrupted()) && !std::exchange(stoppedAll, true)) {
            for (Job& job : jobs) {
                job.stopped = job.process->Running();
                job.process->Stop();
            }
        }
        ReportProgress(false);
    }
}

int CaptureJobs::Run() {
    Platform::ChildProcess::CatchInterrupts();
    began = std::chrono::steady_clock::now();
    lastReport = began;
    if (!StartAll()) {
        stopping = true;
        for (Job& job : jobs) {
            job.process->Stop();
            job.status = job.process->Wait();
            job.display->Stop();
            job.display->Wait();
        }
        return 1;
    }
    Follow();
    ReportProgress(true);
    if (Platform::StandardErrorIsTerminal() && !options.reportLines) {
        std::fputc('\n', stderr);
    }
    return Finish();
}

int CaptureJobs::Finish() {
    bool failed = false;
    for (size_t k = 0; k < jobs.size(); ++k) {
        // A part stopped because another failed is not itself at fault.
        if (jobs[k].status != 0 && !jobs[k].stopped) {
            std::fprintf(stderr, "%spart %zu/%d failed (exit status %d)\n", kPrefix, k, options.jobs, jobs[k].status);
        }
        failed = failed || jobs[k].status != 0;
    }
    if (failed) {
        return ReportKept();
    }
    std::vector<std::string> parts;
    for (int k = 0; k < options.jobs; ++k) {
        if (!video && k > 0) {
            break;
        }
        parts.push_back(PartOutput(k));
    }
    CaptureJoin join;
    std::string error;
    if (!join.Check(parts, options.output, error) || (video && !join.Join(error))) {
        std::fprintf(stderr, "%s%s\n", kPrefix, error.c_str());
        return 1;
    }
    if (video) {
        RemovePartFiles();
    } else {
        join.RemoveDescriptionsIn(options.output);
    }
    long peak = 0;
    for (const Job& job : jobs) {
        peak = std::max(peak, job.process->PeakKilobytes());
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    std::fprintf(stderr, "%s%" PRId64 " frames (%.2f s of show) in %.1f s by %d processes, each holding at most %ld MB\n",
                 kPrefix, join.Frames(), static_cast<double>(join.Frames()) / options.fps, wall, options.jobs,
                 (peak + 512) / 1024);
    return 0;
}

int CaptureJobs::ReportKept() const {
    std::fprintf(stderr, "%s%s; kept:\n", kPrefix,
                 Platform::ChildProcess::Interrupted() ? "interrupted" : "the capture is incomplete");
    for (int k = 0; k < options.jobs; ++k) {
        const CaptureSplit split(k, options.jobs);
        PartManifest manifest;
        std::string error;
        const std::string output = PartOutput(k);
        if (!PartManifest::Read(PartManifest::PathFor(output, split, video), manifest, error)) {
            std::fprintf(stderr, "  part %s: nothing\n", split.Name().c_str());
        } else if (manifest.written == 0) {
            std::fprintf(stderr, "  part %s (frames %" PRId64 " to %" PRId64 "): nothing\n", split.Name().c_str(),
                         manifest.first, manifest.end - 1);
        } else {
            std::fprintf(stderr, "  part %s (frames %" PRId64 " to %" PRId64 "): %s %" PRId64 " to %" PRId64 " in %s\n",
                         split.Name().c_str(), manifest.first, manifest.end - 1,
                         manifest.complete ? "complete," : "frames", manifest.first,
                         manifest.first + manifest.written - 1, output.c_str());
        }
    }
    std::fprintf(stderr, "  capture a part again with --part K/%d, the same options and its -o above; "
                 "halvenor-capture --join then joins the parts\n", options.jobs);
    return 1;
}

void CaptureJobs::RemovePartFiles() const {
    for (int k = 0; k < options.jobs; ++k) {
        const std::string output = PartOutput(k);
        std::remove(output.c_str());
        std::remove(PartManifest::PathFor(output, CaptureSplit(k, options.jobs), true).c_str());
        std::remove(SoundTrack::PathFor(output).c_str());
    }
}
