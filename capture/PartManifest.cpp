#include "capture/PartManifest.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/FileSystem.h"

namespace {

const char* const kFirstLine = "halvenor-capture part";

// The whole file, or false when it is missing or too long to be a manifest.
bool ReadSmallFile(const std::string& path, std::string& text, long limit) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    char chunk[4096];
    size_t got = 0;
    text.clear();
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0 && static_cast<long>(text.size()) <= limit) {
        text.append(chunk, got);
    }
    std::fclose(file);
    return static_cast<long>(text.size()) <= limit;
}

uint64_t Fnv1a(const std::string& bytes, uint64_t hash) {
    for (const unsigned char c : bytes) {
        hash = (hash ^ c) * 1099511628211ull;
    }
    return hash;
}

bool ReadInteger(const std::string& text, int64_t& value) {
    char* end = nullptr;
    const long long number = std::strtoll(text.c_str(), &end, 10);
    value = number;
    return !text.empty() && *end == '\0' && number >= 0;
}

bool ReadReal(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(value);
}

bool ReadSize(const std::string& text, int& width, int& height) {
    int64_t w = 0;
    int64_t h = 0;
    const size_t x = text.find('x');
    if (x == std::string::npos || !ReadInteger(text.substr(0, x), w) || !ReadInteger(text.substr(x + 1), h) ||
        w > 65536 || h > 65536) {
        return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool TakeField(const std::string& key, const std::string& value, PartManifest& manifest, std::string& error) {
    bool ok = true;
    if (key == "show") {
        manifest.show = value;
    } else if (key == "rate") {
        ok = ReadReal(value, manifest.rate) && manifest.rate > 0.0;
    } else if (key == "start") {
        ok = ReadReal(value, manifest.start);
    } else if (key == "frames") {
        ok = ReadInteger(value, manifest.frames);
    } else if (key == "size") {
        ok = ReadSize(value, manifest.width, manifest.height);
    } else if (key == "part") {
        ok = CaptureSplit::Parse(value, manifest.split, error);
    } else if (key == "first") {
        ok = ReadInteger(value, manifest.first);
    } else if (key == "end") {
        ok = ReadInteger(value, manifest.end);
    } else if (key == "written") {
        ok = ReadInteger(value, manifest.written);
    } else if (key == "state") {
        manifest.complete = value == "complete";
    } else if (key == "sound") {
        ok = value.find('/') == std::string::npos;
        manifest.sound = value;
    }
    return ok;
}

}  // namespace

std::string PartManifest::PathFor(const std::string& output, const CaptureSplit& split, bool video) {
    if (video) {
        return output + ".part.txt";
    }
    return output + "/part-" + std::to_string(split.Index()) + "-of-" + std::to_string(split.Count()) + ".txt";
}

std::string PartManifest::ShowFingerprint(const std::string& preconfigFile, const std::string& scriptFile) {
    uint64_t hash = 14695981039346656037ull;
    for (const std::string& file : {preconfigFile, scriptFile}) {
        std::string text;
        // A name that cannot be read counts as its name alone.
        if (file.empty() || !ReadSmallFile(file, text, 64L << 20)) {
            text = file;
        }
        hash = Fnv1a(text + '\0', hash);
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016" PRIx64, hash);
    return hex;
}

std::string PartManifest::Text() const {
    char text[1024];
    std::snprintf(text, sizeof text,
                  "%s\nshow=%s\nrate=%.17g\nstart=%.17g\nframes=%lld\nsize=%dx%d\npart=%s\nfirst=%lld\nend=%lld\n"
                  "written=%lld\nstate=%s\n",
                  kFirstLine, show.c_str(), rate, start, static_cast<long long>(frames), width, height,
                  split.Name().c_str(), static_cast<long long>(first), static_cast<long long>(end),
                  static_cast<long long>(written), complete ? "complete" : "unfinished");
    std::string all = text;
    if (!sound.empty()) {
        all += "sound=" + sound + "\n";
    }
    return all;
}

bool PartManifest::Write(const std::string& path) const {
    // Written whole under another name and then renamed, so that a reader
    // never sees half of it.
    const std::string temporary = path + ".new";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const std::string text = Text();
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written) {
        std::remove(temporary.c_str());
        return false;
    }
    // Replacing an existing description works on Windows too.
    return Platform::ReplaceFile(temporary.c_str(), path.c_str());
}

bool PartManifest::Read(const std::string& path, PartManifest& manifest, std::string& error) {
    std::string text;
    if (!ReadSmallFile(path, text, kMaxBytes)) {
        error = path + " cannot be read";
        return false;
    }
    manifest = PartManifest();
    size_t begin = 0;
    bool first = true;
    while (begin < text.size()) {
        size_t end = text.find('\n', begin);
        end = end == std::string::npos ? text.size() : end;
        const std::string line = text.substr(begin, end - begin);
        begin = end + 1;
        if (first) {
            first = false;
            if (line != kFirstLine) {
                error = path + " is not a part's description";
                return false;
            }
            continue;
        }
        const size_t equals = line.find('=');
        std::string reason;
        if (equals == std::string::npos ||
            !TakeField(line.substr(0, equals), line.substr(equals + 1), manifest, reason)) {
            error = path + ": cannot read the line '" + line + "'";
            return false;
        }
    }
    if (first || manifest.show.empty() || manifest.rate <= 0.0 || manifest.end < manifest.first ||
        manifest.end > manifest.frames || manifest.frames > kMaxFrames) {
        error = path + " is not a complete part's description";
        return false;
    }
    return true;
}

bool PartManifest::SameCapture(const PartManifest& other) const {
    return show == other.show && rate == other.rate && start == other.start && frames == other.frames &&
           width == other.width && height == other.height && split.Count() == other.split.Count();
}
