// Which generated files each bundled show holds: shows/sample and
// shows/tracker, written into a directory made if needed. Each file written
// is reported on stdout as "wrote PATH" or "FAILED PATH".
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_SAMPLESHOWS_H
#define HALVENOR_TOOLS_SAMPLEASSETS_SAMPLESHOWS_H

#include <string>

namespace SampleAssets {

// The program's exit code: 0 when every file was written, else 1.
int WriteSampleShow(const std::string& root);
int WriteTrackerShow(const std::string& root);

}  // namespace SampleAssets

#endif
