#include "checker/ShowPath.h"

#include <algorithm>

#include "platform/FileSystem.h"

bool ShowPath::IsRegularFile(const std::string& path) { return Platform::IsRegularFile(path); }

bool ShowPath::Found(const std::string& name) { return IsRegularFile(Platform::ResolvePath(name.c_str())); }

std::string ShowPath::OnDisk(const std::string& name) {
    const std::string resolved = Platform::ResolvePath(name.c_str());
    return resolved.compare(0, 2, "./") == 0 ? resolved.substr(2) : resolved;
}

std::vector<std::string> ShowPath::Neighbours(const std::string& resolved) {
    const size_t slash = resolved.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : resolved.substr(0, slash);
    std::vector<std::string> names;
    for (const std::string& name : Platform::ListDirectory(directory.empty() ? "/" : directory)) {
        if (name[0] != '.') {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ShowPath::BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
