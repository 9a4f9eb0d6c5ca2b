#include "capture/CapturePart.h"

#include <algorithm>

#include "platform/FileSystem.h"

namespace {

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

CapturePart::CapturePart(const CaptureOptions& options_) : options(options_) {}

bool CapturePart::Begin(const std::string& scriptFile, int64_t frames, int width, int height, std::string& error) {
    manifest.frames = frames;
    manifest.split = options.part;
    manifest.first = options.part.First(frames);
    manifest.end = options.part.End(frames);
    if (Whole()) {
        return true;
    }
    manifest.show = PartManifest::ShowFingerprint("preconfig.txt", Platform::ResolvePath(scriptFile.c_str()));
    manifest.rate = options.fps;
    manifest.start = options.start;
    manifest.width = width;
    manifest.height = height;
    manifestPath = PartManifest::PathFor(options.output, options.part, VideoOutput::IsVideoName(options.output));
    if (!manifest.Write(manifestPath)) {
        error = "cannot write " + manifestPath;
        return false;
    }
    return true;
}

bool CapturePart::TakeMusic(VideoOutput::Music& music, std::string& error) {
    if (Whole()) {
        return true;
    }
    if (options.part.Index() == 0 && !music.file.empty()) {
        if (!sound.Start(music, options.output, error)) {
            return false;
        }
        manifest.sound = BaseName(SoundTrack::PathFor(options.output));
    }
    music.file.clear();
    return true;
}

int64_t CapturePart::Count(const CaptureSchedule::Cover& cover) const {
    const int64_t from = std::max(cover.first, manifest.first);
    const int64_t to = std::min(cover.first + cover.count, Whole() ? cover.first + cover.count : manifest.end);
    return std::max<int64_t>(to - from, 0);
}

bool CapturePart::Finish(int64_t written, bool complete, std::string& error) {
    if (Whole() || manifestPath.empty()) {
        return true;
    }
    const bool soundDone = sound.Finish(error);
    manifest.written = written;
    manifest.complete = complete && soundDone && written == manifest.end - manifest.first;
    if (!manifest.Write(manifestPath) && soundDone) {
        error = "cannot write " + manifestPath;
        return false;
    }
    return soundDone;
}
