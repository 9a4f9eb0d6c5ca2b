#include "sync/RocketReader.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kGreetingSize = 12;

uint32_t BigEndian(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | static_cast<uint32_t>(bytes[3]);
}

// Bytes of a command, its own byte included; 0 for a byte that is no command.
size_t CommandSize(uint8_t kind) {
    switch (kind) {
        case 0:
            return 14;
        case 1:
            return 9;
        case 3:
            return 5;
        case 4:
            return 2;
        case 5:
            return 1;
        default:
            return 0;
    }
}

std::string ByteText(uint8_t byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

}  // namespace

RocketReader::RocketReader() : tracksAsked(0), greeted(false), pending(), pendingSize(0), error() {}

void RocketReader::Reset() {
    greeted = false;
    pendingSize = 0;
    error.clear();
}

bool RocketReader::Refuse(const std::string& why) {
    error = why;
    return false;
}

bool RocketReader::Feed(const char* data, size_t size, std::vector<Command>& commands) {
    if (!error.empty()) {
        return false;
    }
    for (size_t i = 0; i < size; ++i) {
        if (!Take(static_cast<uint8_t>(data[i]), commands)) {
            return false;
        }
    }
    return true;
}

bool RocketReader::Take(uint8_t byte, std::vector<Command>& commands) {
    if (!greeted) {
        if (byte != static_cast<uint8_t>(kGreeting[pendingSize])) {
            return Refuse("it does not greet as the Rocket editor does (\"" + std::string(kGreeting) + "\")");
        }
        if (++pendingSize == kGreetingSize) {
            greeted = true;
            pendingSize = 0;
        }
        return true;
    }
    if (pendingSize == 0 && CommandSize(byte) == 0) {
        return Refuse("command byte " + ByteText(byte) + " is not in the protocol");
    }
    pending[pendingSize++] = byte;
    if (pendingSize < CommandSize(pending[0])) {
        return true;
    }
    pendingSize = 0;
    return Complete(commands);
}

bool RocketReader::Complete(std::vector<Command>& commands) {
    Command command{static_cast<Kind>(pending[0]), 0, SyncKey{0, 0.0f, 0}, 0, false};
    switch (command.kind) {
        case Kind::SetKey:
        case Kind::DeleteKey: {
            command.track = BigEndian(pending + 1);
            command.key.row = BigEndian(pending + 5);
            if (command.track >= tracksAsked) {
                return Refuse("it names track " + std::to_string(command.track) + ", but " +
                              std::to_string(tracksAsked) + " were asked for");
            }
            if (command.kind == Kind::DeleteKey) {
                break;
            }
            const uint32_t bits = BigEndian(pending + 9);
            std::memcpy(&command.key.value, &bits, sizeof bits);
            command.key.interpolation = pending[13];
            if (command.key.interpolation >= SyncKey::kInterpolationCount) {
                return Refuse("a key with interpolation " + std::to_string(command.key.interpolation) +
                              " (0 to 3 are known)");
            }
            if (!std::isfinite(command.key.value)) {
                return Refuse("a key whose value is not a number");
            }
            break;
        }
        case Kind::SetRow:
            command.row = BigEndian(pending + 1);
            break;
        case Kind::Pause:
            if (pending[1] > 1) {
                return Refuse("a pause flag of " + ByteText(pending[1]) + " (0 or 1)");
            }
            command.paused = pending[1] == 1;
            break;
        case Kind::SaveTracks:
            break;
    }
    commands.push_back(command);
    return true;
}
