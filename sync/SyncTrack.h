// One named sync track: keys at rows, kept sorted by row, one key a row, and
// the value the track has at any row, fractions of a row included.
//
// Before its first key a track has the first key's value, after its last the
// last key's; between two keys the earlier key's interpolation goes from its
// value to the later key's. A track without keys has no value: what it drives
// keeps whatever else set it.
#ifndef HALVENOR_SYNC_SYNCTRACK_H
#define HALVENOR_SYNC_SYNCTRACK_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sync/SyncKey.h"

class SyncTrack {
public:
    // More keys than this is no track an author made: a file or an editor
    // that asks for more is refused.
    static constexpr size_t kMaxKeys = 1000000;
    // Track names are short words ("Fondo:alpha"); anything longer is refused
    // before it is kept or sent.
    static constexpr size_t kMaxNameBytes = 1024;

    explicit SyncTrack(const std::string& name);

    const std::string& Name() const { return name; }
    const std::vector<SyncKey>& Keys() const { return keys; }
    bool Empty() const { return keys.empty(); }

    // Adds the key, or replaces the one at its row. False, with nothing
    // changed, for an interpolation the protocol does not know, a value that
    // is not a finite number, or a new key beyond kMaxKeys.
    bool SetKey(const SyncKey& key);
    // False when no key stands at that row.
    bool DeleteKey(uint32_t row);
    void Clear();

    // The value at a row; 0 for a track without keys (check Empty first).
    // Consecutive rows are found from the last one looked up, so a frame's
    // lookups cost a comparison or two; a jump is a binary search.
    float ValueAt(double row) const;

    // The key's index, or the index where it would go.
    size_t LowerBound(uint32_t row) const;

private:
    // The index of the key that starts the stretch holding row, with
    // keys[i].row <= row < keys[i + 1].row; the caller keeps row inside the
    // keys' range.
    size_t StretchAt(double row) const;

    std::string name;
    std::vector<SyncKey> keys;
    mutable size_t lastStretch;
};

#endif
