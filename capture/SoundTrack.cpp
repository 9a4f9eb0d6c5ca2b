#include "capture/SoundTrack.h"

#include <cstdio>

#include "platform/FileSystem.h"

namespace {

// What the encoder says is kept for a failure's message, up to a bound.
constexpr size_t kLinesKept = 20;

std::string Number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

}  // namespace

std::string SoundTrack::PathFor(const std::string& videoPath) { return videoPath + ".sound.mka"; }

std::vector<std::string> SoundTrack::Arguments(const std::string& ffmpeg, const VideoOutput::Music& music,
                                               const std::string& videoPath) {
    // The music loops in the show, so it loops here as well.
    std::vector<std::string> args = {ffmpeg, "-hide_banner", "-loglevel", "error", "-y", "-stream_loop", "-1",
                                     "-ss", Number(music.start), "-t", Number(music.duration), "-i", music.file,
                                     "-vn"};
    // Lossless: the join encodes it once more, as a capture by one process
    // does, so that the sound track ends where that one's does.
    args.insert(args.end(), {"-c:a", "flac"});
    args.push_back(PathFor(videoPath));
    return args;
}

bool SoundTrack::Start(const VideoOutput::Music& music, const std::string& videoPath, std::string& error) {
    const std::string ffmpeg = VideoOutput::FindFfmpeg();
    if (ffmpeg.empty()) {
        error = "the ffmpeg program is not installed (" + Platform::InstallHint("ffmpeg") + ")";
        return false;
    }
    path = PathFor(videoPath);
    return encoder.Start(Arguments(ffmpeg, music, videoPath), {}, error);
}

bool SoundTrack::Finish(std::string& error) {
    if (!encoder.Running()) {
        return true;
    }
    std::vector<std::string> lines;
    while (encoder.ReadLines(lines)) {
        Platform::ChildProcess::WaitForText({&encoder}, 1000);
        if (lines.size() > kLinesKept) {
            lines.erase(lines.begin(), lines.end() - kLinesKept);
        }
    }
    if (encoder.Wait() != 0) {
        error = "ffmpeg could not write the sound track " + path;
        for (const std::string& line : lines) {
            error += "\n  " + line;
        }
        return false;
    }
    return true;
}
