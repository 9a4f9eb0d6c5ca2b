// The tracker show's music: a ProTracker module (musica.mod) composed here,
// its samples computed rather than recorded.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_TRACKERMUSIC_H
#define HALVENOR_TOOLS_SAMPLEASSETS_TRACKERMUSIC_H

#include <string>

namespace SampleAssets {

// False when the file cannot be written whole.
bool WriteModule(const std::string& path);

}  // namespace SampleAssets

#endif
