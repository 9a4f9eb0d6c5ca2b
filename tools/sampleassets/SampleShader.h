// The sample's shader layer, ondas.frag: rings that swell with the bass, the
// spectrum as bars and the waveform as a line, read from the music channel.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_SAMPLESHADER_H
#define HALVENOR_TOOLS_SAMPLEASSETS_SAMPLESHADER_H

#include <string>

namespace SampleAssets {

bool WriteShader(const std::string& path);

}  // namespace SampleAssets

#endif
