// The sample show's music loop, composed here and written into the show
// directory as FLAC, or WAV where the sound library cannot write FLAC.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_SAMPLEMUSIC_H
#define HALVENOR_TOOLS_SAMPLEASSETS_SAMPLEMUSIC_H

#include <string>

namespace SampleAssets {

// The file's name in the directory, or empty when it could not be written
// (said on stderr when it cannot be opened).
std::string WriteMusic(const std::string& directory);

}  // namespace SampleAssets

#endif
