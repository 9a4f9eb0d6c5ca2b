// A stretch of the show's music rendered alone, by the ffmpeg program, into a
// lossless (FLAC in Matroska) sound file that a split video's join encodes as
// the sound track of the whole: the sound is rendered once, not once per part
// and then stitched, and the join encodes it as one capture would.
#ifndef HALVENOR_CAPTURE_SOUNDTRACK_H
#define HALVENOR_CAPTURE_SOUNDTRACK_H

#include <string>
#include <vector>

#include "capture/VideoOutput.h"
#include "platform/ChildProcess.h"

class SoundTrack {
public:
    // The sound file of a video part.
    static std::string PathFor(const std::string& videoPath);
    static std::vector<std::string> Arguments(const std::string& ffmpeg, const VideoOutput::Music& music,
                                              const std::string& videoPath);

    // Starts encoding; the music file must stay until Finish.
    bool Start(const VideoOutput::Music& music, const std::string& videoPath, std::string& error);
    // Waits for the encoder; false with a message when it failed.
    bool Finish(std::string& error);

private:
    Platform::ChildProcess encoder;
    std::string path;
    std::vector<std::string> said;
};

#endif
