// The files sync tracks are read from, as a show may hold them: the input
// read as a .track file and as the Rocket editor's project, each by name as
// the engine reads them. Whatever they hold is read or refused within the
// file's memory budget; what is read gives values at any row, and a track
// read from a .track file is written back to the same bytes.
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/support/FuzzHarness.h"
#include "sync/RocketProject.h"
#include "sync/SyncTrack.h"
#include "sync/TrackFile.h"

namespace {

void Expect(bool holds) {
    if (!holds) {
        std::abort();
    }
}

void Sample(const SyncTrack& track) {
    for (const SyncKey& key : track.Keys()) {
        track.ValueAt(static_cast<double>(key.row) + 0.5);
    }
    track.ValueAt(-1.0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    FuzzHarness::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzHarness run(data, size, "sync_Fondo-3Aalpha.track");
    run.Run([&] {
        SyncTrack track("Fondo:alpha");
        std::string error;
        if (TrackFile::Read(run.FileName(), track, &error)) {
            Expect(TrackFile::Bytes(track) == std::string(reinterpret_cast<const char*>(data), size));
            Sample(track);
        } else {
            Expect(!error.empty() && track.Empty());
        }
        std::vector<SyncTrack> tracks;
        if (RocketProject::Read(run.FileName(), tracks, &error)) {
            for (const SyncTrack& read : tracks) {
                Sample(read);
            }
        } else {
            Expect(tracks.empty());
        }
    });
    return 0;
}
