#include "sync/TrackFile.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/FileSystem.h"
#include "sync/SyncTrack.h"

namespace {

bool KeptAsIs(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '/';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

uint32_t ReadU32(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void AppendU32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

void Fail(std::string* error, const std::string& why) {
    if (error != nullptr) {
        *error = why;
    }
}

std::string Number(uint64_t value) { return std::to_string(value); }

// The largest file a track of kMaxKeys keys makes.
constexpr uint64_t kLargestFile = TrackFile::kCountBytes + TrackFile::kKeyBytes * uint64_t{SyncTrack::kMaxKeys};

}  // namespace

std::string TrackFile::EncodedName(const std::string& trackName) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : trackName) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (KeptAsIs(byte)) {
            encoded += c;
        } else {
            encoded += '-';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

bool TrackFile::DecodedName(const std::string& encoded, std::string& trackName) {
    std::string name;
    for (size_t i = 0; i < encoded.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(encoded[i]);
        if (KeptAsIs(c)) {
            name += encoded[i];
            continue;
        }
        if (c != '-' || i + 2 >= encoded.size() || HexDigit(encoded[i + 1]) < 0 || HexDigit(encoded[i + 2]) < 0) {
            return false;
        }
        const unsigned char byte = static_cast<unsigned char>(HexDigit(encoded[i + 1]) * 16 + HexDigit(encoded[i + 2]));
        if (KeptAsIs(byte)) {
            return false;  // written as itself, never encoded
        }
        name += static_cast<char>(byte);
        i += 2;
    }
    if (name.empty() || name.size() > SyncTrack::kMaxNameBytes) {
        return false;
    }
    trackName = name;
    return true;
}

std::string TrackFile::PathFor(const std::string& base, const std::string& trackName) {
    return base + "_" + EncodedName(trackName) + ".track";
}

bool TrackFile::Parse(const std::string& bytes, SyncTrack& track, std::string* error) {
    if (bytes.size() < kCountBytes) {
        Fail(error, "it is cut short: " + Number(bytes.size()) + " bytes, not even the key count");
        return false;
    }
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const uint32_t count = ReadU32(data);
    if (count > SyncTrack::kMaxKeys) {
        Fail(error, "its count says " + Number(count) + " keys, more than the " + Number(SyncTrack::kMaxKeys) +
                        " a track may have");
        return false;
    }
    const uint64_t expected = kCountBytes + uint64_t{kKeyBytes} * count;
    if (bytes.size() < expected) {
        Fail(error, "it is cut short: its count says " + Number(count) + " keys, its " + Number(bytes.size()) +
                        " bytes hold " + Number((bytes.size() - kCountBytes) / kKeyBytes));
        return false;
    }
    if (bytes.size() > expected) {
        Fail(error, "it has " + Number(bytes.size() - expected) + " bytes after its " + Number(count) + " keys");
        return false;
    }
    std::vector<SyncKey> keys;
    keys.reserve(count);
    for (uint32_t k = 0; k < count; ++k) {
        const unsigned char* at = data + kCountBytes + uint64_t{kKeyBytes} * k;
        SyncKey key{ReadU32(at), 0.0f, at[8]};
        const uint32_t bits = ReadU32(at + 4);
        std::memcpy(&key.value, &bits, sizeof key.value);
        const std::string which = "key " + Number(k) + " (row " + Number(key.row) + ")";
        if (key.interpolation >= SyncKey::kInterpolationCount) {
            Fail(error, which + " has interpolation " + Number(key.interpolation) +
                            ": 0 step, 1 linear, 2 smooth and 3 ramp are the ones there are");
            return false;
        }
        if (!std::isfinite(key.value)) {
            Fail(error, which + " has a value that is not a number");
            return false;
        }
        if (!keys.empty() && key.row <= keys.back().row) {
            Fail(error, which + " does not come after row " + Number(keys.back().row));
            return false;
        }
        keys.push_back(key);
    }
    track.Clear();
    for (const SyncKey& key : keys) {
        track.SetKey(key);
    }
    return true;
}

std::string TrackFile::Bytes(const SyncTrack& track) {
    std::string out;
    out.reserve(kCountBytes + kKeyBytes * track.Keys().size());
    AppendU32(out, static_cast<uint32_t>(track.Keys().size()));
    for (const SyncKey& key : track.Keys()) {
        uint32_t bits = 0;
        std::memcpy(&bits, &key.value, sizeof bits);
        AppendU32(out, key.row);
        AppendU32(out, bits);
        out += static_cast<char>(key.interpolation);
    }
    return out;
}

bool TrackFile::Read(const std::string& path, SyncTrack& track, std::string* error) {
    FILE* file = Platform::OpenFile(path.c_str(), "rb");
    if (file == nullptr) {
        Fail(error, "it cannot be opened");
        return false;
    }
    // One byte more than the largest track tells an enormous file without
    // reading it all.
    std::string bytes;
    char chunk[1 << 16];
    size_t got = 0;
    while (bytes.size() <= kLargestFile && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.append(chunk, got);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        Fail(error, "it cannot be read");
        return false;
    }
    if (bytes.size() > kLargestFile) {
        Fail(error, "it is larger than the " + Number(kLargestFile) + " bytes of a track of " +
                        Number(SyncTrack::kMaxKeys) + " keys");
        return false;
    }
    return Parse(bytes, track, error);
}

bool TrackFile::Write(const std::string& path, const SyncTrack& track, std::string* error) {
    const std::string temporary = path + ".tmp";
    FILE* file = Platform::OpenFile(temporary.c_str(), "wb");
    if (file == nullptr) {
        Fail(error, "cannot create " + temporary);
        return false;
    }
    const std::string bytes = Bytes(track);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || !Platform::ReplaceFile(temporary.c_str(), path.c_str())) {
        std::remove(Platform::ResolvePath(temporary.c_str()).c_str());
        Fail(error, "cannot write it (the disk may be full or the directory read-only): the old file stays");
        return false;
    }
    return true;
}
