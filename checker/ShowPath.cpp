#include "checker/ShowPath.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/FileSystem.h"

bool ShowPath::IsRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool ShowPath::Found(const std::string& name) { return IsRegularFile(Platform::ResolvePath(name.c_str())); }

std::string ShowPath::OnDisk(const std::string& name) {
    const std::string resolved = Platform::ResolvePath(name.c_str());
    return resolved.compare(0, 2, "./") == 0 ? resolved.substr(2) : resolved;
}

std::vector<std::string> ShowPath::Neighbours(const std::string& resolved) {
    const size_t slash = resolved.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : resolved.substr(0, slash);
    std::vector<std::string> names;
    if (DIR* dir = opendir(directory.empty() ? "/" : directory.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] != '.') {
                names.push_back(entry->d_name);
            }
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ShowPath::BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
