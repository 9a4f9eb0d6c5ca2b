#include "checker/ShowFiles.h"

#include "checker/ShowPath.h"

void ShowFiles::Add(ShowFile::Kind kind, const std::string& name, const std::string& owner) {
    if (name.empty()) {
        return;
    }
    const std::string path = ShowPath::OnDisk(name);
    if (keys.insert(std::to_string(static_cast<int>(kind)) + '\n' + owner + '\n' + path).second) {
        files.push_back({kind, path, owner});
    }
}
