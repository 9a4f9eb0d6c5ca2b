// What every port of the file system service shares (contract in
// FileSystem.h): the backslash-tolerant, case-insensitive resolution of
// names over the port's directory listing, and CR LF line ends read as LF.
#include "platform/FileSystem.h"

#include <cstdio>

namespace Platform {

namespace {

std::vector<std::string> SplitComponents(const std::string& path) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (c == '/') {
            if (!current.empty()) {
                parts.push_back(current);
            }
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) {
        parts.push_back(current);
    }
    return parts;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// The entry of directory whose name equals component ignoring ASCII case, or
// an empty string when there is none.
std::string MatchInDirectory(const std::string& directory, const std::string& component) {
    for (const std::string& entry : ListDirectory(directory.empty() ? "." : directory)) {
        if (EqualIgnoringAsciiCase(entry, component)) {
            return entry;
        }
    }
    return std::string();
}

}  // namespace

std::string ResolvePath(const char* name) {
    if (name == nullptr) {
        return std::string();
    }
    std::string path(name);
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    if (path.empty() || PathExists(path)) {
        return path;
    }
    const bool absolute = path[0] == '/';
    std::string resolved = absolute ? "/" : "";
    bool matching = true;
    for (const std::string& component : SplitComponents(path)) {
        std::string next = component;
        if (matching && component != "." && component != "..") {
            const std::string directory = resolved.empty() ? "." : resolved;
            if (!PathExists(directory + "/" + component)) {
                const std::string found = MatchInDirectory(directory, component);
                if (found.empty()) {
                    matching = false;
                } else {
                    next = found;
                }
            }
        }
        if (!resolved.empty() && resolved.back() != '/') {
            resolved += '/';
        }
        resolved += next;
    }
    if (!path.empty() && path.back() == '/' && !resolved.empty() && resolved.back() != '/') {
        resolved += '/';
    }
    return resolved;
}

char* ReadTextLine(char* buffer, int size, FILE* file) {
    if (buffer == nullptr || size <= 0 || file == nullptr) {
        return nullptr;
    }
    int length = 0;
    while (length < size - 1) {
        int c = std::getc(file);
        if (c == EOF) {
            break;
        }
        if (c == '\r') {
            const int next = std::getc(file);
            if (next == '\n') {
                c = '\n';
            } else if (next != EOF) {
                std::ungetc(next, file);
            }
        }
        buffer[length++] = static_cast<char>(c);
        if (c == '\n') {
            break;
        }
    }
    buffer[length] = '\0';
    return length == 0 ? nullptr : buffer;
}

bool ReadWholeFile(const char* name, std::string& contents) {
    FILE* file = OpenFile(name, "rb");
    if (file == nullptr) {
        return false;
    }
    contents.clear();
    char chunk[1 << 16];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        contents.append(chunk, got);
    }
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

void ToTextMode(std::string& contents) {
    size_t out = 0;
    const size_t size = contents.size();
    for (size_t in = 0; in < size; ++in) {
        if (contents[in] == '\r' && in + 1 < size && contents[in + 1] == '\n') {
            continue;
        }
        contents[out++] = contents[in];
    }
    contents.resize(out);
}

}  // namespace Platform
