// Stands in for the Windows file system calls (contract in FileSystem.h)
// with POSIX ones: stat, opendir, open with O_NONBLOCK to refuse FIFOs,
// mkdir, mkstemps, fsync and rename, link, getcwd, chdir, isatty, and a PATH
// search with access(X_OK).
#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Platform {

bool PathExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

long long FileSize(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) ? static_cast<long long>(info.st_size) : -1;
}

long long SizeOfOpenFile(FILE* file) {
    return file != nullptr ? SizeOfDescriptor(fileno(file)) : 0;
}

long long SizeOfDescriptor(int descriptor) {
    struct stat info {};
    return fstat(descriptor, &info) == 0 ? static_cast<long long>(info.st_size) : 0;
}

void CloseDescriptor(int descriptor) {
    if (descriptor >= 0) {
        close(descriptor);
    }
}

bool CanRead(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

bool CanWrite(const std::string& path) { return access(path.c_str(), W_OK) == 0; }

bool SameFile(const std::string& first, const std::string& second) {
    struct stat a {};
    struct stat b {};
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

bool StampOf(const std::string& path, FileStamp& stamp) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    stamp.device = static_cast<uint64_t>(info.st_dev);
    stamp.inode = static_cast<uint64_t>(info.st_ino);
    stamp.size = static_cast<int64_t>(info.st_size);
    stamp.modifiedSeconds = static_cast<int64_t>(info.st_mtim.tv_sec);
    stamp.modifiedNanoseconds = static_cast<int64_t>(info.st_mtim.tv_nsec);
    return true;
}

std::vector<std::string> ListDirectory(const std::string& directory) {
    std::vector<std::string> names;
    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            names.push_back(entry->d_name);
        }
    }
    closedir(dir);
    return names;
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

bool MakeDirectory(const std::string& path) { return mkdir(path.c_str(), 0777) == 0 || errno == EEXIST; }

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool LinkFile(const std::string& from, const std::string& to) { return link(from.c_str(), to.c_str()) == 0; }

bool IsAbsolutePath(const std::string& path) { return !path.empty() && path[0] == '/'; }

std::string CurrentDirectory() {
    char path[4096];
    return getcwd(path, sizeof path) != nullptr ? std::string(path) : std::string();
}

bool ChangeDirectory(const std::string& path) { return chdir(path.c_str()) == 0; }

std::string TemporaryDirectory() {
    const char* const directory = std::getenv("TMPDIR");
    return directory != nullptr ? directory : "/tmp";
}

std::string MakeTemporaryFile(const std::string& directory, const std::string& prefix, const std::string& suffix) {
    std::string name = directory + "/" + prefix + "XXXXXX" + suffix;
    const int descriptor = mkstemps(&name[0], static_cast<int>(suffix.size()));
    if (descriptor < 0) {
        return std::string();
    }
    close(descriptor);
    return name;
}

bool StandardErrorIsTerminal() { return isatty(2) != 0; }

std::string FindProgram(const std::string& name) {
    const char* const list = std::getenv("PATH");
    const std::string paths = list != nullptr ? list : "/usr/bin:/bin";
    size_t begin = 0;
    while (begin <= paths.size()) {
        size_t end = paths.find(':', begin);
        end = end == std::string::npos ? paths.size() : end;
        const std::string candidate = (end > begin ? paths.substr(begin, end - begin) : ".") + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        begin = end + 1;
    }
    return std::string();
}

std::string ProgramFileName(const std::string& name) { return name; }

std::string InstallHint(const std::string& name) { return "Debian: apt-get install " + name; }

}  // namespace Platform
