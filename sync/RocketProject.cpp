#include "sync/RocketProject.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "platform/FileSystem.h"
#include "sync/SyncTracks.h"

namespace {

using Attributes = std::map<std::string, std::string>;

// One pass over the text, a tag at a time.
class Scanner {
public:
    Scanner(const std::string& text, std::vector<SyncTrack>& tracks) : text(text), tracks(tracks) {}

    bool Run(std::string& why);

private:
    bool Fail(const std::string& message) {
        problem = "line " + std::to_string(LineAt(at)) + ": " + message;
        return false;
    }
    int LineAt(size_t position) const {
        int line = 1;
        for (size_t i = 0; i < position && i < text.size(); ++i) {
            line += text[i] == '\n' ? 1 : 0;
        }
        return line;
    }
    bool SkipPast(const char* end);
    bool Tag();
    bool ReadName(std::string& name);
    bool ReadAttributes(Attributes& attributes, bool& selfClosing);
    bool Decode(const std::string& raw, std::string& value);
    bool OpenTrack(const Attributes& attributes, bool selfClosing);
    bool AddKey(const Attributes& attributes);
    void SkipSpace() {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n')) {
            ++at;
        }
    }

    const std::string& text;
    std::vector<SyncTrack>& tracks;
    size_t at = 0;
    bool inTrack = false;
    std::string problem;
};

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == ':' || c == '.';
}

// A whole number from 0 to max written with digits only.
bool ReadWhole(const std::string& text, unsigned long long max, unsigned long long& value) {
    if (text.empty() || text.size() > 20 || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    value = std::strtoull(text.c_str(), nullptr, 10);
    return value <= max;
}

bool ReadFloat(const std::string& text, float& value) {
    if (text.empty() || text.size() > 64) {
        return false;
    }
    char* end = nullptr;
    const double read = std::strtod(text.c_str(), &end);
    value = static_cast<float>(read);
    return end != text.c_str() && *end == '\0' && std::isfinite(value);
}

bool Scanner::Run(std::string& why) {
    while (at < text.size()) {
        const size_t open = text.find('<', at);
        if (open == std::string::npos) {
            break;
        }
        at = open;
        if (!Tag()) {
            why = problem;
            return false;
        }
    }
    if (inTrack) {
        at = text.size();
        Fail("the last track is not closed (</track>)");
        why = problem;
        return false;
    }
    return true;
}

bool Scanner::SkipPast(const char* end) {
    const size_t found = text.find(end, at);
    if (found == std::string::npos) {
        return Fail(std::string("a tag that never ends (no ") + end + ")");
    }
    at = found + std::char_traits<char>::length(end);
    return true;
}

bool Scanner::Tag() {
    if (text.compare(at, 4, "<!--") == 0) {
        return SkipPast("-->");
    }
    if (text.compare(at, 2, "<?") == 0) {
        return SkipPast("?>");
    }
    if (text.compare(at, 2, "<!") == 0) {
        return SkipPast(">");
    }
    ++at;
    const bool closing = at < text.size() && text[at] == '/';
    if (closing) {
        ++at;
    }
    std::string name;
    if (!ReadName(name)) {
        return Fail("'<' that starts no tag");
    }
    if (closing) {
        SkipSpace();
        if (at >= text.size() || text[at] != '>') {
            return Fail("</" + name + " does not end with '>'");
        }
        ++at;
        if (name == "track") {
            if (!inTrack) {
                return Fail("</track> without its <track>");
            }
            inTrack = false;
        }
        return true;
    }
    Attributes attributes;
    bool selfClosing = false;
    if (!ReadAttributes(attributes, selfClosing)) {
        return false;
    }
    if (name == "track") {
        return OpenTrack(attributes, selfClosing);
    }
    if (name == "key") {
        return AddKey(attributes);
    }
    return true;
}

bool Scanner::ReadName(std::string& name) {
    const size_t start = at;
    while (at < text.size() && IsNameChar(text[at]) && at - start < 256) {
        ++at;
    }
    name = text.substr(start, at - start);
    return !name.empty();
}

bool Scanner::ReadAttributes(Attributes& attributes, bool& selfClosing) {
    for (;;) {
        SkipSpace();
        if (at >= text.size()) {
            return Fail("a tag that never ends (no '>')");
        }
        if (text[at] == '>') {
            ++at;
            return true;
        }
        if (text.compare(at, 2, "/>") == 0) {
            at += 2;
            selfClosing = true;
            return true;
        }
        std::string name;
        if (!ReadName(name)) {
            return Fail(std::string("'") + text[at] + "' where an attribute should be");
        }
        SkipSpace();
        if (at >= text.size() || text[at] != '=') {
            return Fail("attribute " + name + " has no value");
        }
        ++at;
        SkipSpace();
        const char quote = at < text.size() ? text[at] : '\0';
        if (quote != '"' && quote != '\'') {
            return Fail("the value of " + name + " is not in quotes");
        }
        const size_t end = text.find(quote, at + 1);
        if (end == std::string::npos) {
            return Fail("the value of " + name + " never ends");
        }
        std::string value;
        if (!Decode(text.substr(at + 1, end - at - 1), value)) {
            return false;
        }
        at = end + 1;
        attributes[name] = value;
    }
}

bool Scanner::Decode(const std::string& raw, std::string& value) {
    static const struct {
        const char* entity;
        char c;
    } kEntities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    value.clear();
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '&') {
            value += raw[i];
            continue;
        }
        const size_t end = raw.find(';', i);
        const std::string entity = raw.substr(i, end == std::string::npos ? std::string::npos : end - i + 1);
        bool known = false;
        for (const auto& e : kEntities) {
            if (entity == e.entity) {
                value += e.c;
                known = true;
            }
        }
        unsigned long long code = 0;
        if (!known && entity.size() > 3 && entity[1] == '#') {
            const bool hex = entity[2] == 'x' || entity[2] == 'X';
            const std::string digits = entity.substr(hex ? 3 : 2, entity.size() - (hex ? 4 : 3));
            char* stop = nullptr;
            code = std::strtoull(digits.c_str(), &stop, hex ? 16 : 10);
            known = !digits.empty() && *stop == '\0' && code >= 1 && code < 128;
            if (known) {
                value += static_cast<char>(code);
            }
        }
        if (!known) {
            return Fail("unknown entity " + entity.substr(0, 16));
        }
        i += entity.size() - 1;
    }
    return true;
}

bool Scanner::OpenTrack(const Attributes& attributes, bool selfClosing) {
    if (inTrack) {
        return Fail("a <track> inside another");
    }
    const auto name = attributes.find("name");
    if (name == attributes.end() || name->second.empty()) {
        return Fail("a <track> without a name");
    }
    if (name->second.size() > SyncTrack::kMaxNameBytes) {
        return Fail("a track name longer than " + std::to_string(SyncTrack::kMaxNameBytes) + " bytes");
    }
    for (const SyncTrack& track : tracks) {
        if (track.Name() == name->second) {
            return Fail("track '" + name->second + "' is there twice");
        }
    }
    if (tracks.size() >= SyncTracks::kMaxTracks) {
        return Fail("more than " + std::to_string(SyncTracks::kMaxTracks) + " tracks");
    }
    tracks.emplace_back(name->second);
    inTrack = !selfClosing;
    return true;
}

bool Scanner::AddKey(const Attributes& attributes) {
    if (!inTrack) {
        return Fail("a <key> outside a track");
    }
    const auto row = attributes.find("row");
    const auto value = attributes.find("value");
    const auto interpolation = attributes.find("interpolation");
    unsigned long long rowNumber = 0;
    unsigned long long kind = 0;
    SyncKey key{0, 0.0f, 0};
    if (row == attributes.end() || !ReadWhole(row->second, 0xFFFFFFFFull, rowNumber)) {
        return Fail("a <key> without a row from 0 to 4294967295");
    }
    if (value == attributes.end() || !ReadFloat(value->second, key.value)) {
        return Fail("the key at row " + row->second + " has no value that is a number");
    }
    if (interpolation == attributes.end() || !ReadWhole(interpolation->second, SyncKey::kInterpolationCount - 1, kind)) {
        return Fail("the key at row " + row->second + " has no interpolation from 0 to 3");
    }
    key.row = static_cast<uint32_t>(rowNumber);
    key.interpolation = static_cast<uint8_t>(kind);
    if (!tracks.back().SetKey(key)) {
        return Fail("track '" + tracks.back().Name() + "' has more than " + std::to_string(SyncTrack::kMaxKeys) +
                    " keys");
    }
    return true;
}

}  // namespace

bool RocketProject::Parse(const std::string& text, std::vector<SyncTrack>& tracks, std::string* error) {
    std::vector<SyncTrack> read;
    Scanner scanner(text, read);
    std::string why;
    if (!scanner.Run(why)) {
        if (error != nullptr) {
            *error = why;
        }
        return false;
    }
    tracks = std::move(read);
    return true;
}

bool RocketProject::Read(const std::string& path, std::vector<SyncTrack>& tracks, std::string* error) {
    FILE* file = Platform::OpenFile(path.c_str(), "rb");
    if (file == nullptr) {
        if (error != nullptr) {
            *error = "it cannot be opened";
        }
        return false;
    }
    std::string text;
    char chunk[1 << 16];
    size_t got = 0;
    while (text.size() <= kMaxBytes && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        text.append(chunk, got);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || text.size() > kMaxBytes) {
        if (error != nullptr) {
            *error = failed ? "it cannot be read" : "it is larger than " + std::to_string(kMaxBytes) + " bytes";
        }
        return false;
    }
    return Parse(text, tracks, error);
}
