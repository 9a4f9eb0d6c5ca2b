// The sample's particle systems (chispas.bin, espiral.bin), made by running
// ParticleTool as an author would. Both answer false when the tool fails.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_SAMPLEPARTICLES_H
#define HALVENOR_TOOLS_SAMPLEASSETS_SAMPLEPARTICLES_H

#include <string>

namespace SampleAssets {

bool WriteSparks(const std::string& path);
bool WriteSpiral(const std::string& path);

}  // namespace SampleAssets

#endif
