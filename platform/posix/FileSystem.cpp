// Stands in for the Windows file-name rules and text-mode reading (contract
// in FileSystem.h): backslash-tolerant, case-insensitive resolution on a
// case-sensitive file system, and CR LF line ends read as LF.
#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include <vector>

namespace Platform {

namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

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

// The entry of directory whose name equals component ignoring ASCII case, or
// an empty string when there is none.
std::string MatchInDirectory(const std::string& directory, const std::string& component) {
    DIR* dir = opendir(directory.empty() ? "." : directory.c_str());
    if (dir == nullptr) {
        return std::string();
    }
    std::string match;
    while (dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, component.c_str()) == 0) {
            match = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return match;
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
    if (path.empty() || Exists(path)) {
        return path;
    }
    const bool absolute = path[0] == '/';
    std::string resolved = absolute ? "/" : "";
    bool matching = true;
    for (const std::string& component : SplitComponents(path)) {
        std::string next = component;
        if (matching && component != "." && component != "..") {
            const std::string directory = resolved.empty() ? "." : resolved;
            if (!Exists(directory + "/" + component)) {
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

int OpenRegularFile(const char* name) {
    if (name == nullptr) {
        return -1;
    }
    // Non-blocking, so that opening a FIFO cannot wait for a writer; the flag
    // is of no use on a regular file and is dropped again.
    const int descriptor = open(ResolvePath(name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return -1;
    }
    struct stat info {};
    if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(descriptor);
        return -1;
    }
    fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    return descriptor;
}

std::string ReadFromDescriptor(int descriptor, uint64_t bytes) {
    std::string contents(static_cast<size_t>(bytes), '\0');
    size_t got = 0;
    while (got < contents.size()) {
        const ssize_t read = pread(descriptor, &contents[got], contents.size() - got, static_cast<off_t>(got));
        if (read <= 0) {
            break;
        }
        got += static_cast<size_t>(read);
    }
    contents.resize(got);
    return contents;
}

FILE* OpenFile(const char* name, const char* mode) {
    if (name == nullptr || mode == nullptr) {
        return nullptr;
    }
    const bool reading = mode[0] == 'r' && std::strchr(mode, '+') == nullptr;
    if (reading) {
        const int descriptor = OpenRegularFile(name);
        if (descriptor < 0) {
            return nullptr;
        }
        FILE* file = fdopen(descriptor, mode);
        if (file == nullptr) {
            close(descriptor);
        }
        return file;
    }
    // Writing never goes to a device, a FIFO or a directory either.
    const std::string path = ResolvePath(name);
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        return nullptr;
    }
    return std::fopen(path.c_str(), mode);
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

std::vector<std::string> ListFiles(const char* directory) {
    std::vector<std::string> names;
    const std::string path = directory == nullptr || *directory == '\0' ? std::string(".") : ResolvePath(directory);
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (dirent* entry = readdir(dir)) {
        struct stat info {};
        if (stat((path + "/" + entry->d_name).c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            names.push_back(entry->d_name);
        }
    }
    closedir(dir);
    return names;
}

bool ReplaceFile(const char* from, const char* to) {
    if (from == nullptr || to == nullptr) {
        return false;
    }
    const std::string source = ResolvePath(from);
    const int descriptor = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    const bool synced = fsync(descriptor) == 0;
    close(descriptor);
    return synced && std::rename(source.c_str(), ResolvePath(to).c_str()) == 0;
}

}  // namespace Platform
