// The sample's scene: the ASCII scene file (escena.ase) and its binary
// export (escena.bin), made as an author makes it.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_SAMPLESCENE_H
#define HALVENOR_TOOLS_SAMPLEASSETS_SAMPLESCENE_H

#include <string>

namespace SampleAssets {

bool WriteScene(const std::string& path);
// Runs SceneExport on root/escena.ase; true when it wrote root/escena.bin.
bool ExportBinaryScene(const std::string& root);

}  // namespace SampleAssets

#endif
