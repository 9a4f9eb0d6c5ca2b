#include "capture/VideoOutput.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/FileSystem.h"

namespace {

bool EndsWithIgnoringCase(const std::string& text, const char* tail) {
    const size_t length = std::strlen(tail);
    if (text.size() <= length) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[text.size() - length + i])) !=
            std::tolower(static_cast<unsigned char>(tail[i]))) {
            return false;
        }
    }
    return true;
}

std::string Number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

}  // namespace

VideoOutput::VideoOutput(const std::string& path_, double fps_, const Music& music_)
    : path(path_), fps(fps_), music(music_), frameBytes(0) {}

VideoOutput::~VideoOutput() { Close(); }

bool VideoOutput::IsVideoName(const std::string& name) {
    return EndsWithIgnoringCase(name, ".mp4") || EndsWithIgnoringCase(name, ".mkv") ||
           EndsWithIgnoringCase(name, ".webm");
}

std::string VideoOutput::FindFfmpeg() { return Platform::FindProgram("ffmpeg"); }

std::vector<std::string> VideoOutput::Arguments(int width, int height) const {
    std::vector<std::string> args = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
                                     "-f", "rawvideo", "-pix_fmt", "rgb24",
                                     "-s", std::to_string(width) + "x" + std::to_string(height),
                                     "-framerate", Number(fps), "-i", "pipe:0"};
    const bool withMusic = !music.file.empty();
    if (withMusic) {
        // The music loops in the show, so it loops here as well.
        const std::vector<std::string> input = {"-stream_loop", "-1", "-ss", Number(music.start),
                                                "-t", Number(music.duration), "-i", music.file};
        args.insert(args.end(), input.begin(), input.end());
    }
    args.insert(args.end(), {"-map", "0:v"});
    if (withMusic) {
        // The sound ends with the picture: a capture stopped early (Ctrl-C)
        // has fewer frames than the stretch the music was cut to.
        args.insert(args.end(), {"-map", "1:a", "-shortest"});
    }
    // 4:2:0 video needs an even size: an odd edge gets one black line.
    args.insert(args.end(), {"-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2", "-pix_fmt", "yuv420p"});
    if (EndsWithIgnoringCase(path, ".webm")) {
        args.insert(args.end(), {"-c:v", "libvpx-vp9", "-deadline", "realtime", "-cpu-used", "8", "-row-mt", "1",
                                 "-crf", "30", "-b:v", "0"});
        if (withMusic) {
            args.insert(args.end(), {"-c:a", "libopus", "-b:a", "160k"});
        }
    } else {
        args.insert(args.end(), {"-c:v", "libx264", "-preset", "veryfast", "-crf", "18"});
        if (withMusic) {
            args.insert(args.end(), {"-c:a", "aac", "-b:a", "192k"});
        }
    }
    args.push_back(path);
    return args;
}

bool VideoOutput::Open(int width, int height) {
    const std::string program = FindFfmpeg();
    if (program.empty()) {
        error = "the ffmpeg program is not installed (" + Platform::InstallHint("ffmpeg") + ")";
        return false;
    }
    frameBytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
    std::vector<std::string> args = Arguments(width, height);
    args[0] = program;
    return encoder.StartWithInput(args, error);
}

bool VideoOutput::Write(const uint8_t* rgb, int64_t /*first*/, int64_t repeat) {
    for (int64_t i = 0; i < repeat; ++i) {
        if (!encoder.WriteInput(rgb, frameBytes)) {
            error = "ffmpeg stopped taking frames (see its message above)";
            return false;
        }
    }
    return true;
}

bool VideoOutput::Close() {
    if (!encoder.Running()) {
        return true;
    }
    encoder.CloseInput();
    if (encoder.Wait() != 0) {
        error = "ffmpeg could not write " + path + " (see its message above)";
        return false;
    }
    return true;
}
