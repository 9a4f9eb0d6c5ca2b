// The Rocket editor's own project file (XML, ".rocket"): the tracks an author
// edited and saved there, read as a show's tracks. Read tolerantly, since the
// editors write it slightly differently: every <track name="..."> element,
// under whatever root, and the <key row="..." value="..."
// interpolation="..."/> elements inside it; other elements and attributes
// (rows, colours, folding) are passed over.
//
// Bounded: at most kMaxBytes of file, SyncTracks' track count and
// SyncTrack's key count and name length. A key outside a track, a key
// without its three numbers or with one out of range, a track without a
// name or named twice, a tag that does not end: an error with its line, and
// no track is taken.
#ifndef HALVENOR_SYNC_ROCKETPROJECT_H
#define HALVENOR_SYNC_ROCKETPROJECT_H

#include <cstddef>
#include <string>
#include <vector>

#include "sync/SyncTrack.h"

class RocketProject {
public:
    static constexpr size_t kMaxBytes = 64u * 1024u * 1024u;

    static bool Read(const std::string& path, std::vector<SyncTrack>& tracks, std::string* error);
    static bool Parse(const std::string& text, std::vector<SyncTrack>& tracks, std::string* error);
};

#endif
