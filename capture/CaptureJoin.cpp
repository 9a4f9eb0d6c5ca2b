#include "capture/CaptureJoin.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "capture/PngOutput.h"
#include "capture/VideoOutput.h"
#include "platform/ChildProcess.h"
#include "platform/FileSystem.h"

namespace {

// What ffmpeg says is kept for a failure's message, up to a bound.
constexpr size_t kLinesKept = 20;

bool IsDirectory(const std::string& path) { return Platform::IsDirectory(path); }

bool IsFile(const std::string& path) { return Platform::IsRegularFile(path); }

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

bool IsWebm(const std::string& path) {
    const std::string tail = ".webm";
    return path.size() > tail.size() &&
           std::equal(tail.begin(), tail.end(), path.end() - static_cast<std::ptrdiff_t>(tail.size()),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

std::string Range(int64_t first, int64_t end) {
    return "frames " + std::to_string(first) + " to " + std::to_string(end - 1);
}

// The first field in which two descriptions differ, for the message.
std::string Difference(const PartManifest& a, const PartManifest& b) {
    if (a.show != b.show) {
        return "another show (or another version of its preconfig.txt or script)";
    }
    if (a.rate != b.rate) {
        return "another frame rate";
    }
    if (a.width != b.width || a.height != b.height) {
        return "another picture size";
    }
    if (a.start != b.start || a.frames != b.frames) {
        return "another stretch of the show";
    }
    return "another split (of " + std::to_string(b.split.Count()) + " parts, not " + std::to_string(a.split.Count()) +
           ")";
}

bool CopyFile(const std::string& from, const std::string& to) {
    FILE* in = std::fopen(from.c_str(), "rb");
    FILE* out = in != nullptr ? std::fopen(to.c_str(), "wb") : nullptr;
    bool ok = out != nullptr;
    char chunk[65536];
    size_t got = 0;
    while (ok && (got = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
        ok = std::fwrite(chunk, 1, got, out) == got;
    }
    if (in != nullptr) {
        std::fclose(in);
    }
    if (out != nullptr && std::fclose(out) != 0) {
        ok = false;
    }
    return ok;
}

// A link where the file system allows, so that a join takes no room.
bool PlaceFile(const std::string& from, const std::string& to) {
    Platform::RemoveFile(to);
    return Platform::LinkFile(from, to) || CopyFile(from, to);
}

std::string Absolute(const std::string& path) {
    if (Platform::IsAbsolutePath(path)) {
        return path;
    }
    const std::string here = Platform::CurrentDirectory();
    return !here.empty() ? here + "/" + path : path;
}

// A line of ffmpeg's concat list naming one file.
std::string ConcatLine(const std::string& path) {
    std::string line = "file '";
    for (const char c : Absolute(path)) {
        line += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return line + "'\n";
}

}  // namespace

bool CaptureJoin::Collect(const std::string& given, std::string& error) {
    if (IsDirectory(given)) {
        int count = 0;
        for (const std::string& name : Platform::ListDirectory(given)) {
            if (name.compare(0, 5, "part-") != 0 || name.size() < 9 || name.substr(name.size() - 4) != ".txt") {
                continue;
            }
            Part part{given, given + "/" + name, PartManifest()};
            if (!PartManifest::Read(part.manifestPath, part.manifest, error)) {
                return false;
            }
            found.push_back(part);
            ++count;
        }
        if (count == 0) {
            error = given + " holds no part of a capture (no part-K-of-N.txt from halvenor-capture --part)";
            return false;
        }
        return true;
    }
    Part part{given, PartManifest::PathFor(given, CaptureSplit(), true), PartManifest()};
    if (!IsFile(given)) {
        error = "the part " + given + " does not exist";
        return false;
    }
    if (!IsFile(part.manifestPath)) {
        error = given + " has no description beside it (" + part.manifestPath +
                "): it is not the output of halvenor-capture --part";
        return false;
    }
    if (!PartManifest::Read(part.manifestPath, part.manifest, error)) {
        return false;
    }
    video = true;
    found.push_back(part);
    return true;
}

bool CaptureJoin::CheckTogether(std::string& error) {
    const PartManifest& first = found.front().manifest;
    const int count = first.split.Count();
    byIndex.assign(static_cast<size_t>(count), Part());
    for (const Part& part : found) {
        if (!part.manifest.SameCapture(first)) {
            error = "the part " + part.output + " (" + part.manifest.split.Name() + ") is of " +
                    Difference(first, part.manifest) + " than " + found.front().output;
            return false;
        }
        Part& slot = byIndex[static_cast<size_t>(part.manifest.split.Index())];
        if (!slot.output.empty() && slot.manifestPath != part.manifestPath) {
            error = "part " + part.manifest.split.Name() + " is given twice: " + slot.output + " and " + part.output;
            return false;
        }
        slot = part;
    }
    for (int k = 0; k < count; ++k) {
        const Part& part = byIndex[static_cast<size_t>(k)];
        const CaptureSplit split(k, count);
        if (part.output.empty()) {
            error = "part " + split.Name() + " (" + Range(split.First(first.frames), split.End(first.frames)) +
                    ") is missing: capture it with --part " + split.Name() + " and give it to --join";
            return false;
        }
        const PartManifest& m = part.manifest;
        if (m.first != split.First(m.frames) || m.end != split.End(m.frames)) {
            error = part.manifestPath + " does not describe part " + split.Name() + " of this stretch";
            return false;
        }
        if (!m.complete || m.written != m.end - m.first) {
            error = "part " + split.Name() + " (" + part.output + ") is cut short: it holds " +
                    std::to_string(m.written) + " of its " + std::to_string(m.end - m.first) + " frames (" +
                    Range(m.first, m.end) + "); capture it again with --part " + split.Name();
            return false;
        }
        if (!video && !CheckFrameFiles(part, error)) {
            return false;
        }
    }
    return true;
}

bool CaptureJoin::CheckFrameFiles(const Part& part, std::string& error) const {
    for (int64_t frame = part.manifest.first; frame < part.manifest.end; ++frame) {
        const std::string file = part.output + "/" + PngOutput::FileName(frame);
        if (!IsFile(file)) {
            error = "part " + part.manifest.split.Name() + " (" + part.output + ") is cut short: " + file +
                    " is missing";
            return false;
        }
    }
    return true;
}

bool CaptureJoin::Check(const std::vector<std::string>& parts, const std::string& output_, std::string& error) {
    output = output_;
    found.clear();
    byIndex.clear();
    video = false;
    for (const std::string& given : parts) {
        if (!Collect(given, error)) {
            return false;
        }
    }
    const bool allVideo = std::all_of(found.begin(), found.end(), [](const Part& p) { return !IsDirectory(p.output); });
    if (video && !allVideo) {
        error = "the parts mix videos and frame directories";
        return false;
    }
    if (video != VideoOutput::IsVideoName(output)) {
        error = video ? "video parts join into a video file (.mp4, .mkv or .webm), not " + output
                      : "frame directories join into a directory, not the video " + output;
        return false;
    }
    if (video && std::any_of(found.begin(), found.end(),
                             [this](const Part& p) { return IsWebm(p.output) != IsWebm(output); })) {
        error = "WebM parts (VP9) join into a .webm file only, and H.264 parts into .mp4 or .mkv only";
        return false;
    }
    return CheckTogether(error);
}

bool CaptureJoin::Join(std::string& error) { return video ? JoinVideos(error) : JoinFrames(error); }

bool CaptureJoin::JoinFrames(std::string& error) const {
    PngOutput directory(output);
    if (!directory.Open(1, 1)) {
        error = directory.Error();
        return false;
    }
    for (const Part& part : byIndex) {
        if (IsDirectory(part.output) && Absolute(part.output) == Absolute(output)) {
            continue;
        }
        for (int64_t frame = part.manifest.first; frame < part.manifest.end; ++frame) {
            const std::string name = PngOutput::FileName(frame);
            if (!PlaceFile(part.output + "/" + name, output + "/" + name)) {
                error = "cannot write " + output + "/" + name;
                return false;
            }
        }
    }
    RemoveDescriptionsIn(output);
    return true;
}

void CaptureJoin::RemoveDescriptionsIn(const std::string& directory) const {
    for (const Part& part : byIndex) {
        if (Absolute(DirectoryOf(part.manifestPath)) == Absolute(directory)) {
            Platform::RemoveFile(part.manifestPath);
        }
    }
}

bool CaptureJoin::JoinVideos(std::string& error) const {
    const std::string ffmpeg = VideoOutput::FindFfmpeg();
    if (ffmpeg.empty()) {
        error = "the ffmpeg program is needed to join videos and is not installed (" + Platform::InstallHint("ffmpeg") +
                ")";
        return false;
    }
    const std::string list = output + ".concat.txt";
    FILE* file = std::fopen(list.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot write " + list;
        return false;
    }
    for (const Part& part : byIndex) {
        std::fputs(ConcatLine(part.output).c_str(), file);
    }
    std::fclose(file);
    std::vector<std::string> args = {ffmpeg, "-hide_banner", "-loglevel", "error", "-y", "-f", "concat", "-safe",
                                     "0", "-i", list};
    const PartManifest& first = byIndex.front().manifest;
    if (!first.sound.empty()) {
        const std::string sound = DirectoryOf(byIndex.front().output) + "/" + first.sound;
        if (!IsFile(sound)) {
            std::remove(list.c_str());
            error = "the sound track of part 0, " + sound + ", is missing";
            return false;
        }
        // Encoded as a capture by one process encodes it, and ending with
        // the picture as there.
        args.insert(args.end(), {"-i", sound, "-map", "0:v", "-map", "1:a", "-shortest"});
        if (IsWebm(output)) {
            args.insert(args.end(), {"-c:a", "libopus", "-b:a", "160k"});
        } else {
            args.insert(args.end(), {"-c:a", "aac", "-b:a", "192k"});
        }
    }
    args.insert(args.end(), {"-c:v", "copy", output});
    Platform::ChildProcess joiner;
    if (!joiner.Start(args, {}, error)) {
        std::remove(list.c_str());
        return false;
    }
    std::vector<std::string> lines;
    while (joiner.ReadLines(lines)) {
        Platform::ChildProcess::WaitForText({&joiner}, 1000);
        if (lines.size() > kLinesKept) {
            lines.erase(lines.begin(), lines.end() - kLinesKept);
        }
    }
    const int status = joiner.Wait();
    std::remove(list.c_str());
    if (status != 0) {
        error = "ffmpeg could not join the parts into " + output;
        for (const std::string& line : lines) {
            error += "\n  " + line;
        }
        return false;
    }
    return true;
}
