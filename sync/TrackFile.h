// The .track files a Rocket client saves, one per track: base_NAME.track,
// NAME being the track's name with every byte other than an ASCII letter, a
// digit, '.', '_' or '/' written as '-' and two upper-case hex digits (track
// "Sh:level" of base "sync" is sync_Sh-3Alevel.track). A file holds the key
// count, then per key the row, the value and the interpolation (one byte:
// 0 step, 1 linear, 2 smooth, 3 ramp): 32-bit little-endian numbers, the
// value a float.
//
// A file is read whole only when its size is that of its count, at most
// SyncTrack::kMaxKeys keys; anything else (cut short, longer, enormous, keys
// out of row order, an unknown interpolation, a value that is no number) is
// an error that says where, and the track is left as it was. A file is
// written beside its place and then put there in one step, so a failed save
// leaves the old file whole.
#ifndef HALVENOR_SYNC_TRACKFILE_H
#define HALVENOR_SYNC_TRACKFILE_H

#include <string>

class SyncTrack;

class TrackFile {
public:
    static constexpr size_t kCountBytes = 4;
    static constexpr size_t kKeyBytes = 9;

    static std::string EncodedName(const std::string& trackName);
    // The name an encoded one stands for; false when it is not one this
    // encoding writes (a '-' without two hex digits, a byte it would encode).
    static bool DecodedName(const std::string& encoded, std::string& trackName);
    // base + "_" + the encoded name + ".track".
    static std::string PathFor(const std::string& base, const std::string& trackName);

    // The keys of the file's bytes in place of the track's; false with why.
    static bool Parse(const std::string& bytes, SyncTrack& track, std::string* error);
    static std::string Bytes(const SyncTrack& track);

    // Through the path rules. The error names no file: the caller does.
    static bool Read(const std::string& path, SyncTrack& track, std::string* error);
    static bool Write(const std::string& path, const SyncTrack& track, std::string* error);
};

#endif
