// Turns a track's name into what it drives, for SyncTracks::Bind. The engine
// answers for its layers, scenes and shaders; tests and benchmarks answer
// with plain numbers. An unbound target means the name binds to nothing.
#ifndef HALVENOR_SYNC_SYNCTARGETFINDER_H
#define HALVENOR_SYNC_SYNCTARGETFINDER_H

#include <string>

#include "sync/SyncTarget.h"

class SyncTargetFinder {
public:
    virtual ~SyncTargetFinder() = default;
    virtual SyncTarget Find(const std::string& trackName) const = 0;
};

#endif
