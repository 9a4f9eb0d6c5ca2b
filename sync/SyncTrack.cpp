#include "sync/SyncTrack.h"

#include <algorithm>
#include <cmath>

SyncTrack::SyncTrack(const std::string& name_) : name(name_), keys(), lastStretch(0) {}

size_t SyncTrack::LowerBound(uint32_t row) const {
    return static_cast<size_t>(
        std::lower_bound(keys.begin(), keys.end(), row, [](const SyncKey& key, uint32_t r) { return key.row < r; }) -
        keys.begin());
}

bool SyncTrack::SetKey(const SyncKey& key) {
    if (key.interpolation >= SyncKey::kInterpolationCount || !std::isfinite(key.value)) {
        return false;
    }
    const size_t at = LowerBound(key.row);
    if (at < keys.size() && keys[at].row == key.row) {
        keys[at] = key;
        return true;
    }
    if (keys.size() >= kMaxKeys) {
        return false;
    }
    keys.insert(keys.begin() + static_cast<std::ptrdiff_t>(at), key);
    return true;
}

bool SyncTrack::DeleteKey(uint32_t row) {
    const size_t at = LowerBound(row);
    if (at >= keys.size() || keys[at].row != row) {
        return false;
    }
    keys.erase(keys.begin() + static_cast<std::ptrdiff_t>(at));
    return true;
}

void SyncTrack::Clear() {
    keys.clear();
    lastStretch = 0;
}

size_t SyncTrack::StretchAt(double row) const {
    // Playing moves forward a fraction of a row a frame: the stretch of the
    // last lookup, or the next one, answers almost every time.
    for (size_t i = lastStretch; i < lastStretch + 2 && i + 1 < keys.size(); ++i) {
        if (keys[i].row <= row && row < keys[i + 1].row) {
            lastStretch = i;
            return i;
        }
    }
    const auto after = std::upper_bound(keys.begin(), keys.end(), row,
                                        [](double r, const SyncKey& key) { return r < key.row; });
    lastStretch = static_cast<size_t>(after - keys.begin()) - 1;
    return lastStretch;
}

float SyncTrack::ValueAt(double row) const {
    if (keys.empty()) {
        return 0.0f;
    }
    // A row that is not a number reads as the start.
    if (!(row > keys.front().row)) {
        return keys.front().value;
    }
    if (row >= keys.back().row) {
        return keys.back().value;
    }
    const size_t i = StretchAt(row);
    const SyncKey& from = keys[i];
    const SyncKey& to = keys[i + 1];
    double t = (row - from.row) / static_cast<double>(to.row - from.row);
    switch (from.interpolation) {
        case SyncKey::kStep:
            return from.value;
        case SyncKey::kSmooth:
            t = t * t * (3.0 - 2.0 * t);
            break;
        case SyncKey::kRamp:
            t = t * t;
            break;
        default:
            break;
    }
    return static_cast<float>(from.value + (static_cast<double>(to.value) - from.value) * t);
}
