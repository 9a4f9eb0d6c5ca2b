// Finds the programs built beside the sample maker, through the path the
// system gives for this process's own executable.
#include "tools/sampleassets/SiblingTool.h"

#include "platform/ChildProcess.h"
#include "platform/FileSystem.h"

namespace SampleAssets {

std::string SiblingToolPath(const char* name) {
    const std::string path = Platform::ChildProcess::OwnProgram();
    if (path.empty()) {
        return std::string();
    }
    return path.substr(0, path.find_last_of("/\\") + 1) + Platform::ProgramFileName(name);
}

}  // namespace SampleAssets
