// The capture's side of one part of a split stretch (--part K/N): which of
// the whole stretch's frames it writes, the description of the part beside
// its output (PartManifest), and for part 0 of a video the sound track of the
// whole stretch (SoundTrack). A capture that is not split is its own only
// part, with no description and frames from 0.
#ifndef HALVENOR_CAPTURE_CAPTUREPART_H
#define HALVENOR_CAPTURE_CAPTUREPART_H

#include <cstdint>
#include <string>

#include "capture/CaptureOptions.h"
#include "capture/CaptureSchedule.h"
#include "capture/PartManifest.h"
#include "capture/SoundTrack.h"
#include "capture/VideoOutput.h"

class CapturePart {
public:
    explicit CapturePart(const CaptureOptions& options);

    bool Whole() const { return options.part.Whole(); }
    int64_t First() const { return manifest.first; }
    int64_t End() const { return manifest.end; }

    // The stretch holds `frames` frames of width x height: the part's share,
    // its description written as begun. False with a message when it
    // cannot be written.
    bool Begin(const std::string& scriptFile, int64_t frames, int width, int height, std::string& error);
    // The music a video part takes: none, since the sound goes apart; part 0
    // starts encoding the whole stretch's sound.
    bool TakeMusic(VideoOutput::Music& music, std::string& error);
    // How many of the frames a picture covers are the part's.
    int64_t Count(const CaptureSchedule::Cover& cover) const;
    // The description says how far the part got. False with a message when
    // the sound or the description could not be completed.
    bool Finish(int64_t written, bool complete, std::string& error);

private:
    CaptureOptions options;
    PartManifest manifest;
    std::string manifestPath;
    SoundTrack sound;
};

#endif
