#include "tools/sampleassets/SampleTracks.h"

#include "sync/SyncTrack.h"
#include "sync/TrackFile.h"

namespace SampleAssets {

namespace {

// The background (Fondo) is shown from 10 s to 16 s, rows 64 to 102.4: it
// fades in over its first four rows to the 0.35 its ALPHA line gives, and
// out over the four rows before it goes.
SyncTrack BackgroundFade() {
    SyncTrack track("Fondo:alpha");
    track.SetKey(SyncKey{64, 0.0f, SyncKey::kSmooth});
    track.SetKey(SyncKey{68, 0.35f, SyncKey::kStep});
    track.SetKey(SyncKey{98, 0.35f, SyncKey::kSmooth});
    track.SetKey(SyncKey{102, 0.0f, SyncKey::kStep});
    return track;
}

// The shader layer (Ondas) appears at 17.5 s, row 112: its uniform glow
// rises from 0 over four rows and stays at 1.
SyncTrack ShaderGlow() {
    SyncTrack track("Ondas:glow");
    track.SetKey(SyncKey{112, 0.0f, SyncKey::kSmooth});
    track.SetKey(SyncKey{116, 1.0f, SyncKey::kStep});
    return track;
}

}  // namespace

std::vector<std::string> WriteSampleTracks(const std::string& root) {
    std::vector<std::string> written;
    for (const SyncTrack& track : {BackgroundFade(), ShaderGlow()}) {
        const std::string path = TrackFile::PathFor(root + "/sync", track.Name());
        if (!TrackFile::Write(path, track, nullptr)) {
            return {};
        }
        written.push_back(path);
    }
    return written;
}

}  // namespace SampleAssets
