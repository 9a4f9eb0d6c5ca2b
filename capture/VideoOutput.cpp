#include "capture/VideoOutput.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

bool EndsWithIgnoringCase(const std::string& text, const char* tail) {
    const size_t length = std::strlen(tail);
    return text.size() > length && strcasecmp(text.c_str() + text.size() - length, tail) == 0;
}

std::string Number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

bool WriteAll(int fd, const uint8_t* bytes, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

VideoOutput::VideoOutput(const std::string& path_, double fps_, const Music& music_)
    : path(path_), fps(fps_), music(music_), frameBytes(0), child(-1), pipe(-1) {}

VideoOutput::~VideoOutput() { Close(); }

bool VideoOutput::IsVideoName(const std::string& name) {
    return EndsWithIgnoringCase(name, ".mp4") || EndsWithIgnoringCase(name, ".mkv") ||
           EndsWithIgnoringCase(name, ".webm");
}

std::string VideoOutput::FindFfmpeg() {
    const char* pathList = std::getenv("PATH");
    std::string list = pathList != nullptr ? pathList : "/usr/bin:/bin";
    size_t begin = 0;
    while (begin <= list.size()) {
        size_t end = list.find(':', begin);
        if (end == std::string::npos) {
            end = list.size();
        }
        const std::string dir = end > begin ? list.substr(begin, end - begin) : ".";
        const std::string candidate = dir + "/ffmpeg";
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        begin = end + 1;
    }
    return std::string();
}

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
        error = "the ffmpeg program is not installed (Debian: apt-get install ffmpeg)";
        return false;
    }
    frameBytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
    const std::vector<std::string> args = Arguments(width, height);
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    int ends[2];
    if (::pipe(ends) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    child = fork();
    if (child == 0) {
        dup2(ends[0], 0);
        close(ends[0]);
        close(ends[1]);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(ends[0]);
    if (child < 0) {
        close(ends[1]);
        error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        return false;
    }
    pipe = ends[1];
    return true;
}

bool VideoOutput::Write(const uint8_t* rgb, int64_t /*first*/, int64_t repeat) {
    for (int64_t i = 0; i < repeat; ++i) {
        if (pipe < 0 || !WriteAll(pipe, rgb, frameBytes)) {
            error = "ffmpeg stopped taking frames (see its message above)";
            return false;
        }
    }
    return true;
}

bool VideoOutput::Close() {
    if (child < 0) {
        return true;
    }
    if (pipe >= 0) {
        close(pipe);
        pipe = -1;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    child = -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "ffmpeg could not write " + path + " (see its message above)";
        return false;
    }
    return true;
}
