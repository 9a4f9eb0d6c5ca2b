// The Windows file system (contract in FileSystem.h), through the C runtime
// of mingw-w64 in the ANSI code page, as the shows' own file names are
// spelt: _stat64, _open with _O_BINARY, _findfirst64, _mkdir, _unlink,
// _getcwd, _chdir, _access and _commit; Win32Files for MoveFileEx,
// CreateHardLink, GetTempPath, file identities and the console. Every file
// opens in binary mode, so that line ends are the engine's own business.
#include "platform/FileSystem.h"

#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/Win32Files.h"

namespace Platform {

namespace {

bool StatOf(const std::string& path, struct _stat64& info) {
    // A trailing separator makes the runtime's stat fail on a directory.
    std::string name = path;
    while (name.size() > 1 && (name.back() == '/' || name.back() == '\\') && name[name.size() - 2] != ':') {
        name.pop_back();
    }
    return !name.empty() && _stat64(name.c_str(), &info) == 0;
}

// The mode with 'b' added: the runtime would translate line ends otherwise.
std::string BinaryMode(const char* mode) {
    std::string binary(mode);
    if (binary.find('b') == std::string::npos && binary.find('t') == std::string::npos) {
        binary += 'b';
    }
    return binary;
}

std::string WithSlashes(std::string path) {
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    return path;
}

}  // namespace

bool PathExists(const std::string& path) {
    struct _stat64 info {};
    return StatOf(path, info);
}

bool IsRegularFile(const std::string& path) {
    struct _stat64 info {};
    return StatOf(path, info) && (info.st_mode & _S_IFMT) == _S_IFREG;
}

bool IsDirectory(const std::string& path) {
    struct _stat64 info {};
    return StatOf(path, info) && (info.st_mode & _S_IFMT) == _S_IFDIR;
}

long long FileSize(const std::string& path) {
    struct _stat64 info {};
    return StatOf(path, info) && (info.st_mode & _S_IFMT) == _S_IFREG ? static_cast<long long>(info.st_size) : -1;
}

long long SizeOfOpenFile(FILE* file) { return file != nullptr ? SizeOfDescriptor(_fileno(file)) : 0; }

long long SizeOfDescriptor(int descriptor) {
    struct _stat64 info {};
    return _fstat64(descriptor, &info) == 0 ? static_cast<long long>(info.st_size) : 0;
}

void CloseDescriptor(int descriptor) {
    if (descriptor >= 0) {
        _close(descriptor);
    }
}

bool CanRead(const std::string& path) { return _access(path.c_str(), 4) == 0; }

bool CanWrite(const std::string& path) { return _access(path.c_str(), 2) == 0; }

bool SameFile(const std::string& first, const std::string& second) { return Win32Files::SameFile(first, second); }

bool StampOf(const std::string& path, FileStamp& stamp) {
    return IsRegularFile(path) && Win32Files::Stamp(path, stamp.device, stamp.inode, stamp.size,
                                                    stamp.modifiedSeconds, stamp.modifiedNanoseconds);
}

std::vector<std::string> ListDirectory(const std::string& directory) {
    std::vector<std::string> names;
    __finddata64_t entry{};
    const intptr_t search = _findfirst64((directory + "/*").c_str(), &entry);
    if (search == -1) {
        return names;
    }
    do {
        if (std::strcmp(entry.name, ".") != 0 && std::strcmp(entry.name, "..") != 0) {
            names.push_back(entry.name);
        }
    } while (_findnext64(search, &entry) == 0);
    _findclose(search);
    return names;
}

int OpenRegularFile(const char* name) {
    if (name == nullptr) {
        return -1;
    }
    // Devices (CON, NUL, COM1 ...) open as character devices and are refused;
    // a directory does not open at all.
    const int descriptor = _open(ResolvePath(name).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (descriptor < 0) {
        return -1;
    }
    struct _stat64 info {};
    if (_fstat64(descriptor, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
        _close(descriptor);
        return -1;
    }
    return descriptor;
}

std::string ReadFromDescriptor(int descriptor, uint64_t bytes) {
    std::string contents(static_cast<size_t>(bytes), '\0');
    // Read from the start and put the offset back, as a positioned read would.
    const long long offset = _telli64(descriptor);
    size_t got = 0;
    if (_lseeki64(descriptor, 0, SEEK_SET) == 0) {
        while (got < contents.size()) {
            const size_t step = contents.size() - got < (1u << 30) ? contents.size() - got : (1u << 30);
            const int read = _read(descriptor, &contents[got], static_cast<unsigned>(step));
            if (read <= 0) {
                break;
            }
            got += static_cast<size_t>(read);
        }
    }
    if (offset >= 0) {
        _lseeki64(descriptor, offset, SEEK_SET);
    }
    contents.resize(got);
    return contents;
}

FILE* OpenFile(const char* name, const char* mode) {
    if (name == nullptr || mode == nullptr) {
        return nullptr;
    }
    const std::string binary = BinaryMode(mode);
    const bool reading = mode[0] == 'r' && std::strchr(mode, '+') == nullptr;
    if (reading) {
        const int descriptor = OpenRegularFile(name);
        if (descriptor < 0) {
            return nullptr;
        }
        FILE* file = _fdopen(descriptor, binary.c_str());
        if (file == nullptr) {
            _close(descriptor);
        }
        return file;
    }
    // Writing never goes to a device or a directory either.
    const std::string path = ResolvePath(name);
    struct _stat64 info {};
    if (StatOf(path, info) && (info.st_mode & _S_IFMT) != _S_IFREG) {
        return nullptr;
    }
    return std::fopen(path.c_str(), binary.c_str());
}

std::vector<std::string> ListFiles(const char* directory) {
    std::vector<std::string> names;
    const std::string path = directory == nullptr || *directory == '\0' ? std::string(".") : ResolvePath(directory);
    __finddata64_t entry{};
    const intptr_t search = _findfirst64((path + "/*").c_str(), &entry);
    if (search == -1) {
        return names;
    }
    do {
        if ((entry.attrib & _A_SUBDIR) == 0) {
            names.push_back(entry.name);
        }
    } while (_findnext64(search, &entry) == 0);
    _findclose(search);
    return names;
}

bool ReplaceFile(const char* from, const char* to) {
    if (from == nullptr || to == nullptr) {
        return false;
    }
    const std::string source = ResolvePath(from);
    const int descriptor = _open(source.c_str(), _O_RDWR | _O_BINARY | _O_NOINHERIT);
    if (descriptor < 0) {
        return false;
    }
    const bool synced = _commit(descriptor) == 0;
    _close(descriptor);
    return synced && Win32Files::MoveReplacing(source, ResolvePath(to));
}

bool MakeDirectory(const std::string& path) { return _mkdir(path.c_str()) == 0 || errno == EEXIST; }

bool RemoveFile(const std::string& path) { return _unlink(path.c_str()) == 0; }

bool LinkFile(const std::string& from, const std::string& to) { return Win32Files::HardLink(from, to); }

bool IsAbsolutePath(const std::string& path) {
    if (!path.empty() && (path[0] == '/' || path[0] == '\\')) {
        return true;
    }
    return path.size() > 2 && std::isalpha(static_cast<unsigned char>(path[0])) != 0 && path[1] == ':' &&
           (path[2] == '/' || path[2] == '\\');
}

std::string CurrentDirectory() {
    char path[4096];
    return _getcwd(path, sizeof path) != nullptr ? WithSlashes(path) : std::string();
}

bool ChangeDirectory(const std::string& path) { return _chdir(path.c_str()) == 0; }

std::string TemporaryDirectory() {
    const std::string folder = Win32Files::TemporaryPath();
    return folder.empty() ? std::string(".") : WithSlashes(folder);
}

std::string MakeTemporaryFile(const std::string& directory, const std::string& prefix, const std::string& suffix) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    static unsigned counter = 0;
    unsigned seed = static_cast<unsigned>(_getpid()) * 2654435761u;
    for (int attempt = 0; attempt < 100; ++attempt) {
        seed = seed * 1103515245u + 12345u + ++counter;
        std::string letters;
        for (unsigned value = seed, i = 0; i < 6; ++i, value /= 36) {
            letters += kLetters[value % 36];
        }
        const std::string name = directory + "/" + prefix + letters + suffix;
        const int descriptor = _open(name.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY | _O_NOINHERIT,
                                     _S_IREAD | _S_IWRITE);
        if (descriptor >= 0) {
            _close(descriptor);
            return name;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return std::string();
}

bool StandardErrorIsTerminal() { return Win32Files::StandardErrorIsConsole(); }

std::string FindProgram(const std::string& name) {
    const std::string file = ProgramFileName(name);
    // Beside this program first, where a Windows user puts what it needs.
    const std::string own = Win32Files::ProgramFolder();
    if (!own.empty() && IsRegularFile(own + "/" + file)) {
        return WithSlashes(own) + "/" + file;
    }
    const char* const list = std::getenv("PATH");
    const std::string paths = list != nullptr ? list : "";
    size_t begin = 0;
    while (begin < paths.size()) {
        size_t end = paths.find(';', begin);
        end = end == std::string::npos ? paths.size() : end;
        std::string folder = paths.substr(begin, end - begin);
        if (folder.size() > 1 && folder.front() == '"' && folder.back() == '"') {
            folder = folder.substr(1, folder.size() - 2);
        }
        if (!folder.empty() && IsRegularFile(folder + "/" + file)) {
            return folder + "/" + file;
        }
        begin = end + 1;
    }
    return std::string();
}

std::string ProgramFileName(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    const size_t separator = name.find_last_of("/\\");
    const bool hasExtension = dot != std::string::npos && (separator == std::string::npos || dot > separator);
    return hasExtension ? name : name + ".exe";
}

std::string InstallHint(const std::string& name) {
    return "put " + ProgramFileName(name) + " in a folder on the PATH or beside this program";
}

}  // namespace Platform
