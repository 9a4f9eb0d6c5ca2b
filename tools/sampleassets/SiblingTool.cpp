// Finds the programs built beside the sample maker, through the path the
// system gives for this process's own executable.
#include "tools/sampleassets/SiblingTool.h"

#include <unistd.h>

namespace SampleAssets {

std::string SiblingToolPath(const char* name) {
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return std::string();
    }
    self[length] = '\0';
    const std::string path(self);
    return path.substr(0, path.find_last_of('/') + 1) + name;
}

}  // namespace SampleAssets
