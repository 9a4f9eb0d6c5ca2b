// Where the programs built beside the sample maker are: ParticleTool and
// SceneExport make some of its files, run as an author runs them.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_SIBLINGTOOL_H
#define HALVENOR_TOOLS_SAMPLEASSETS_SIBLINGTOOL_H

#include <string>

namespace SampleAssets {

// The path of the program `name` in this program's directory; empty when
// this program cannot tell where it lies.
std::string SiblingToolPath(const char* name);

}  // namespace SampleAssets

#endif
