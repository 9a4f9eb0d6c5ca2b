// Captured frames as a video file, encoded by the ffmpeg program: the frames
// go to it as raw RGB video on a pipe, and the show's music file, when there
// is one, becomes the sound track, cut to the same stretch of the show (a
// tracker module comes as that stretch already rendered to WAV).
// The container follows the file's ending: .mp4 and .mkv hold H.264 and AAC,
// .webm holds VP9 and Opus.
#ifndef HALVENOR_CAPTURE_VIDEOOUTPUT_H
#define HALVENOR_CAPTURE_VIDEOOUTPUT_H

#include <vector>

#include "capture/FrameOutput.h"
#include "platform/ChildProcess.h"

class VideoOutput : public FrameOutput {
public:
    struct Music {
        std::string file;  // empty: no sound track
        double start;      // seconds into the file, already wrapped to its length
        double duration;
    };

    VideoOutput(const std::string& path, double fps, const Music& music);
    ~VideoOutput() override;

    bool Open(int width, int height) override;
    bool Write(const uint8_t* rgb, int64_t first, int64_t repeat) override;
    bool Close() override;

    // Whether the name asks for a video (.mp4, .mkv, .webm in any case).
    static bool IsVideoName(const std::string& path);
    // The ffmpeg program from PATH, or empty when there is none.
    static std::string FindFfmpeg();
    // The program's arguments, program name first.
    std::vector<std::string> Arguments(int width, int height) const;

private:
    std::string path;
    double fps;
    Music music;
    size_t frameBytes;
    Platform::ChildProcess encoder;
};

#endif
