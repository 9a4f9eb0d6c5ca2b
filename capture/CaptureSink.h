// The capture of a show: the frame loop's sink that runs the show on the
// virtual clock, reads every frame back and writes it to a video or to PNG
// files, with a progress line on stderr.
//
// Before the show loads, Prepare checks what can be checked without it (the
// show, the output, ffmpeg) and UseVirtualTime switches the platform to the
// virtual clock, silent music and a fixed random seed.
#ifndef HALVENOR_CAPTURE_CAPTURESINK_H
#define HALVENOR_CAPTURE_CAPTURESINK_H

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "capture/CaptureOptions.h"
#include "capture/CapturePart.h"
#include "capture/CapturePath.h"
#include "capture/FrameOutput.h"
#include "capture/FrameReader.h"
#include "core/FrameSink.h"

class CaptureSink : public FrameSink {
public:
    explicit CaptureSink(const CaptureOptions& options);
    ~CaptureSink() override;

    // In the show's directory: false, with a message, when there is no show,
    // the output cannot be written or ffmpeg is missing for a video.
    static bool Prepare(const CaptureOptions& options, std::string& error);
    static void UseVirtualTime();

    // Brings the loaded show (music time 0 at clock time originNs) to the
    // picture on screen at music time frameNs as this capture composes it,
    // moving the schedule on picture by picture: how a part of a split
    // stretch starts at its first frame. False when it was interrupted on
    // the way: the capture then ends with no frame. Without one the show is
    // composed from its start.
    using RunUp = std::function<bool(Engine& engine, CaptureSchedule& schedule, int64_t originNs, int64_t frameNs)>;
    void SetRunUp(RunUp runUp) { runUpToPart = std::move(runUp); }

    bool ShowStarted(Engine& engine) override;
    bool FrameComposed(Engine& engine) override;
    bool TakesKeys() const override;
    void LoopEnded(Engine& engine) override;

    // Music time of the show's end: its first DEMO FX_STOP event, else the
    // music's length; below 0 when the show never ends by itself.
    static double ShowEnd(const Engine& engine);
    static bool HasStopEvent(const Engine& engine);

    bool Succeeded() const { return !failed && complete; }
    const std::string& Message() const { return message; }
    int64_t FramesWritten() const { return written; }

private:
    bool Fail(const std::string& text);
    bool WriteFrame(const uint8_t* rgb, int64_t repeat);
    void ReportProgress(bool last);
    void RemoveTemporaryMusic();

    CaptureOptions options;
    CapturePart part;
    RunUp runUpToPart;
    std::unique_ptr<CapturePath> timePath;
    std::unique_ptr<FrameOutput> output;
    FrameReader reader;
    int64_t written;
    // The show's end when it came before the end of the stretch asked for
    // (negative otherwise), to say why the capture is shorter.
    double cutAt;
    bool failed;
    bool complete;
    std::string message;
    // A module's stretch rendered for the video's sound track; removed when
    // the video is written.
    std::string temporaryMusic;
    std::chrono::steady_clock::time_point began;
    std::chrono::steady_clock::time_point lastReport;
};

#endif
