#include "capture/CaptureSink.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "capture/PngOutput.h"
#include "capture/VideoOutput.h"
#include "config/Script.h"
#include "core/Display.h"
#include "core/Engine.h"
#include "platform/Bass.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/ModuleMusic.h"
#include "platform/Random.h"
#include "sound/SoundStream.h"

namespace {

constexpr double kReportSeconds = 0.5;
constexpr double kLogReportSeconds = 10.0;

bool IsDirectory(const std::string& path) { return Platform::IsDirectory(path); }

std::string ParentOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A name with an extension that is not a video's is most likely a typo
// (capture.avi), not a directory to fill with frames.
bool LooksLikeAFile(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = last.find_last_of('.');
    return dot != std::string::npos && dot > 0 && dot + 1 < last.size();
}

bool CheckVideoOutput(const std::string& path, std::string& error) {
    if (VideoOutput::FindFfmpeg().empty()) {
        error = "the ffmpeg program is needed to write " + path + " and is not installed (" +
                Platform::InstallHint("ffmpeg") + "); a directory as output gets PNG files instead";
        return false;
    }
    const std::string parent = ParentOf(path);
    if (IsDirectory(path) || !IsDirectory(parent) || !Platform::CanWrite(parent) ||
        (Platform::PathExists(path) && !Platform::CanWrite(path))) {
        error = "cannot write " + path;
        if (!IsDirectory(parent)) {
            error += ": there is no directory " + parent;
        }
        return false;
    }
    return true;
}

bool CheckFrameDirectory(const std::string& path, std::string& error) {
    if (!IsDirectory(path) && LooksLikeAFile(path)) {
        error = "cannot tell what to write to " + path +
                ": give a video file ending in .mp4, .mkv or .webm, or a directory for PNG frames";
        return false;
    }
    // Creating it now tells at once whether it can be written.
    PngOutput probe(path);
    if (!probe.Open(1, 1) || !Platform::CanWrite(path)) {
        error = probe.Error().empty() ? "cannot write into " + path : probe.Error();
        return false;
    }
    return true;
}

// ffmpeg reads no tracker modules: a module's stretch is rendered offline
// by libopenmpt, as the show plays it (looping at its end), into a WAV file
// that the video takes instead. False with a message when it cannot be
// written; any other music is left as it is.
bool RenderModuleStretch(VideoOutput::Music& music, std::string& temporary, std::string& error) {
    std::string reason;
    const std::unique_ptr<ModuleMusic> module = ModuleMusic::LoadFile(music.file.c_str(), &reason);
    if (!module) {
        return true;
    }
    const std::string directory = Platform::TemporaryDirectory();
    const std::string name = Platform::MakeTemporaryFile(directory, "halvenor-capture-", ".wav");
    if (name.empty()) {
        error = "cannot make a temporary file for the module's sound in " + directory;
        return false;
    }
    temporary = name;
    const auto start = static_cast<uint64_t>(std::llround(music.start * ModuleMusic::kRate));
    const auto count = static_cast<uint64_t>(std::llround(music.duration * ModuleMusic::kRate));
    if (!module->WriteWav(start, std::max<uint64_t>(count, 1), temporary, &reason)) {
        error = "cannot render the module's sound: " + reason;
        return false;
    }
    music.file = temporary;
    music.start = 0.0;
    return true;
}

std::string MinutesSeconds(double seconds) {
    const long whole = std::lround(std::max(seconds, 0.0));
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

}  // namespace

CaptureSink::CaptureSink(const CaptureOptions& options_)
    : options(options_), part(options_), written(0), cutAt(-1.0), failed(false), complete(false) {}

CaptureSink::~CaptureSink() {
    // ffmpeg must have finished with the file first.
    output.reset();
    RemoveTemporaryMusic();
}

void CaptureSink::RemoveTemporaryMusic() {
    if (!temporaryMusic.empty()) {
        Platform::RemoveFile(temporaryMusic);
        temporaryMusic.clear();
    }
}

bool CaptureSink::Prepare(const CaptureOptions& options, std::string& error) {
    if (!Platform::CanRead("preconfig.txt")) {
        error = "there is no show here: no readable preconfig.txt in the working directory";
        return false;
    }
    if (VideoOutput::IsVideoName(options.output)) {
        return CheckVideoOutput(options.output, error);
    }
    return CheckFrameDirectory(options.output, error);
}

void CaptureSink::UseVirtualTime() {
    Platform::UseVirtualClock(true);
    Platform::UseSilentOutput(true);
    Platform::SeedRand(Platform::kCaptureRandomSeed);
}

bool CaptureSink::HasStopEvent(const Engine& engine) {
    if (engine.script != nullptr) {
        for (int32_t i = 0; i < engine.script->Count(); ++i) {
            const ScriptEvent& event = engine.script->EventAt(i);
            if (event.target == TARGET_DEMO && event.effect == FX_STOP) {
                return true;
            }
        }
    }
    return false;
}

double CaptureSink::ShowEnd(const Engine& engine) {
    if (engine.script != nullptr) {
        for (int32_t i = 0; i < engine.script->Count(); ++i) {
            const ScriptEvent& event = engine.script->EventAt(i);
            if (event.target == TARGET_DEMO && event.effect == FX_STOP) {
                return event.time;
            }
        }
    }
    if (engine.sound != nullptr && engine.sound->handle != 0) {
        return engine.sound->Length();
    }
    return -1.0;
}

bool CaptureSink::Fail(const std::string& text) {
    failed = true;
    message = text;
    return false;
}

bool CaptureSink::ShowStarted(Engine& engine) {
    // The show's end comes first when it falls inside the duration asked for,
    // so that the music track ends with the pictures.
    double duration = options.duration;
    const double end = ShowEnd(engine);
    if (duration < 0.0 && end < 0.0) {
        return Fail("the show never ends by itself (no DEMO FX_STOP event and no music): give a duration with -t");
    }
    if (end >= 0.0 && end <= options.start) {
        char text[128];
        std::snprintf(text, sizeof text, "the show ends at %.3f s, before the start asked for", end);
        return Fail(text);
    }
    if (end >= 0.0 && (duration < 0.0 || end - options.start < duration)) {
        cutAt = duration >= 0.0 ? end : -1.0;
        duration = end - options.start;
    }
    if (engine.sound != nullptr && engine.sound->handle == 0) {
        std::fprintf(stderr, "halvenor-capture: the music %s could not be loaded: the show keeps time without it%s\n",
                     engine.sound->fileName.c_str(),
                     VideoOutput::IsVideoName(options.output) ? " and the video has no sound track" : "");
    }
    const int64_t frameCount = std::max<int64_t>(static_cast<int64_t>(std::ceil(duration * options.fps - 1e-9)), 1);
    const int width = static_cast<int>(engine.display->Width());
    const int height = static_cast<int>(engine.display->Height());
    std::string error;
    if (!part.Begin(engine.scriptFileName, frameCount, width, height, error)) {
        return Fail(error);
    }
    if (VideoOutput::IsVideoName(options.output)) {
        VideoOutput::Music music{"", 0.0, static_cast<double>(frameCount) / options.fps};
        if (engine.sound != nullptr && engine.sound->handle != 0 && engine.sound->Length() > 0.0f) {
            music.file = Platform::ResolvePath(engine.sound->fileName.c_str());
            music.start = std::fmod(options.start, static_cast<double>(engine.sound->Length()));
            if (!RenderModuleStretch(music, temporaryMusic, error)) {
                return Fail(error);
            }
        }
        if (!part.TakeMusic(music, error)) {
            return Fail(error);
        }
        output = std::make_unique<VideoOutput>(options.output, options.fps, music);
    } else {
        output = std::make_unique<PngOutput>(options.output);
    }
    if (!output->Open(width, height)) {
        return Fail(output->Error());
    }
    reader.Init(width, height);
    // Music time 0 is now: the music has just started.
    timePath = std::make_unique<CapturePath>(options.fps, options.start, part.End());
    began = std::chrono::steady_clock::now();
    lastReport = began;
    // A capture that is not split composes every picture on its way to the
    // start: that is the picture a part's run-up reaches.
    const int64_t firstNs = timePath->Schedule().FrameTimeNs(part.First());
    if (runUpToPart && !part.Whole() && firstNs > 0 &&
        !runUpToPart(engine, timePath->RunUpSchedule(), timePath->OriginNs(), firstNs)) {
        return Fail("interrupted before the part's first frame: nothing was captured");
    }
    return true;
}

bool CaptureSink::WriteFrame(const uint8_t* rgb, int64_t repeat) {
    if (!output->Write(rgb, part.First() + written, repeat)) {
        return Fail(output->Error());
    }
    written += repeat;
    return true;
}

bool CaptureSink::FrameComposed(Engine& /*engine*/) {
    const CaptureSchedule::Cover cover = timePath->PictureDone();
    const auto deliver = [this](const uint8_t* rgb, int64_t repeat) { return WriteFrame(rgb, repeat); };
    if (!reader.Read(part.Count(cover), deliver)) {
        return false;
    }
    ReportProgress(false);
    return !timePath->Schedule().Done();
}

bool CaptureSink::TakesKeys() const { return false; }

void CaptureSink::LoopEnded(Engine& engine) {
    if (!timePath) {
        return;
    }
    const auto deliver = [this](const uint8_t* rgb, int64_t repeat) { return WriteFrame(rgb, repeat); };
    if (!failed) {
        reader.Flush(deliver);
    }
    reader.Release();
    if (!output->Close() && !failed) {
        Fail(output->Error());
    }
    // The show's own end comes before the duration asked for; anything else
    // that stops the loop early (the window closed, a signal) interrupts.
    const bool showEnded = engine.nextEvent.target == TARGET_DEMO && engine.nextEvent.effect == FX_STOP &&
                           engine.MusicTime() >= engine.nextEvent.time;
    complete = timePath->Schedule().Done() || showEnded;
    std::string error;
    if (!part.Finish(written, complete && !failed, error) && !failed) {
        Fail(error);
    }
    RemoveTemporaryMusic();
    ReportProgress(true);
    if (!failed && !complete) {
        message = "interrupted: the output holds the frames captured so far";
    }
    if (!failed && complete && cutAt >= 0.0) {
        char text[200];
        std::snprintf(text, sizeof text, "the show ends itself at %.2f s (%s), so %.2f s of the %.2f s asked for "
                      "were captured", cutAt, HasStopEvent(engine) ? "its DEMO FX_STOP" : "the end of its music",
                      cutAt - options.start, options.duration);
        message = text;
    }
}

void CaptureSink::ReportProgress(bool last) {
    // A terminal gets one line rewritten in place; a log file a line now
    // and then.
    const bool terminal = Platform::StandardErrorIsTerminal() && !options.reportLines;
    const auto now = std::chrono::steady_clock::now();
    const double sinceReport = std::chrono::duration<double>(now - lastReport).count();
    if (!last && sinceReport < (terminal || options.reportLines ? kReportSeconds : kLogReportSeconds)) {
        return;
    }
    const char* const lineEnd = terminal ? "   " : "\n";
    const char* const lineStart = terminal ? "\r" : "";
    lastReport = now;
    const double wall = std::chrono::duration<double>(now - began).count();
    const CaptureSchedule& schedule = timePath->Schedule();
    const int64_t total = schedule.FrameCount() - part.First();
    const int64_t done = std::max<int64_t>(schedule.NextFrame() - part.First(), 0);
    const double runUp = options.start > 0.0 ? std::min(schedule.ComposeTimeNs() / (options.start * 1e9), 1.0) : 1.0;
    const double rate = wall > 0.0 ? static_cast<double>(done) / wall : 0.0;
    const double left = rate > 0.0 ? static_cast<double>(total - done) / rate : 0.0;
    const double showSeconds = static_cast<double>(written) / options.fps;
    if (last) {
        std::fprintf(stderr, "%shalvenor-capture: %lld frames (%.2f s of show) in %.1f s%s\n", lineStart,
                     static_cast<long long>(written), showSeconds, wall,
                     options.start > 0.0 ? ", running the show up to the start included" : "");
    } else if (runUp < 1.0) {
        std::fprintf(stderr, "%shalvenor-capture: running the show up to %.2f s: %d%%%s", lineStart, options.start,
                     static_cast<int>(runUp * 100.0), lineEnd);
    } else {
        std::fprintf(stderr, "%shalvenor-capture: frame %lld of %lld, %.1f frames a second, %s left%s", lineStart,
                     static_cast<long long>(written), static_cast<long long>(total), rate,
                     MinutesSeconds(left).c_str(), lineEnd);
    }
    std::fflush(stderr);
}
