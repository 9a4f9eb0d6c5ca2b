// halvenor-capture --join: the parts of a split capture (the outputs of
// --part runs) joined into one output, after checking from their
// descriptions (PartManifest) that they belong together (same show, stretch,
// rate, size and split), that every part is there once and that each holds
// all of its frames. A part that is missing, cut short or of another capture
// is named, and nothing is joined.
//
// Frame directories: the frames go into the output directory as links (or
// copies across file systems); parts may already share it. Videos: ffmpeg's
// concat copies the parts' pictures one after the other without encoding
// them again, and part 0's sound of the whole stretch is encoded with them.
#ifndef HALVENOR_CAPTURE_CAPTUREJOIN_H
#define HALVENOR_CAPTURE_CAPTUREJOIN_H

#include <string>
#include <vector>

#include "capture/PartManifest.h"

class CaptureJoin {
public:
    struct Part {
        std::string output;  // the video file or frame directory
        std::string manifestPath;
        PartManifest manifest;
    };

    // False with a message naming the part at fault.
    bool Check(const std::vector<std::string>& parts, const std::string& output, std::string& error);
    // After Check: false with a message when the output cannot be written.
    bool Join(std::string& error);
    // The parts' descriptions in the output directory, which a frame join
    // leaves holding frames only.
    void RemoveDescriptionsIn(const std::string& directory) const;

    const std::vector<Part>& Parts() const { return byIndex; }
    int64_t Frames() const { return byIndex.empty() ? 0 : byIndex.front().manifest.frames; }

private:
    bool Collect(const std::string& given, std::string& error);
    bool CheckTogether(std::string& error);
    bool CheckFrameFiles(const Part& part, std::string& error) const;
    bool JoinFrames(std::string& error) const;
    bool JoinVideos(std::string& error) const;

    std::string output;
    bool video = false;
    std::vector<Part> found;
    std::vector<Part> byIndex;
};

#endif
