// The sample show's sync tracks, as a Rocket client saves them (sync_*.track):
// the background's fade while the room is seen on its screen, and the shader
// layer's glow as it appears. The music is
// 96 beats a minute and the show reads 4 rows a beat (LOAD TRACKS sync 96 4),
// so a row lasts 0.15625 s.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_SAMPLETRACKS_H
#define HALVENOR_TOOLS_SAMPLEASSETS_SAMPLETRACKS_H

#include <string>
#include <vector>

namespace SampleAssets {

// Writes the tracks into root; answers the paths written, or an empty list
// when one could not be.
std::vector<std::string> WriteSampleTracks(const std::string& root);

}  // namespace SampleAssets

#endif
