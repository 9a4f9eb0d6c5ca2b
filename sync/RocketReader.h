// What the Rocket editor sends its client, read as the bytes come: any split
// (a byte at a time, many commands at once) gives the same commands.
//
// The editor answers the client's greeting with "hello, demo!", then sends
// commands of one byte and a fixed payload, numbers in network byte order:
//   0 SET_KEY      track (u32), row (u32), value (float bits, u32), interpolation (u8)
//   1 DELETE_KEY   track (u32), row (u32)
//   3 SET_ROW      row (u32)
//   4 PAUSE        1 paused, 0 playing (u8)
//   5 SAVE_TRACKS  nothing
// A track is the index of a GET_TRACK the client sent on this connection.
//
// Bounded: a command never holds more than 14 bytes, so nothing grows with
// what the editor sends. Nonsense ends the reading for good (the caller drops
// the connection and says why): another greeting, a command byte the
// protocol does not have, a track index that was not asked for, an unknown
// interpolation, a value that is not a finite number, a pause flag other than
// 0 or 1.
#ifndef HALVENOR_SYNC_ROCKETREADER_H
#define HALVENOR_SYNC_ROCKETREADER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sync/SyncKey.h"

class RocketReader {
public:
    static constexpr const char* kGreeting = "hello, demo!";
    static constexpr size_t kLongestCommand = 14;

    enum class Kind : uint8_t { SetKey = 0, DeleteKey = 1, SetRow = 3, Pause = 4, SaveTracks = 5 };

    struct Command {
        Kind kind;
        uint32_t track;  // SetKey, DeleteKey
        SyncKey key;     // SetKey; DeleteKey uses its row
        uint32_t row;    // SetRow
        bool paused;     // Pause
    };

    RocketReader();

    // A new connection: the greeting comes first again.
    void Reset();
    // The client has sent this many GET_TRACK commands on the connection.
    void SetTracksAsked(size_t count) { tracksAsked = count; }

    // Reads the bytes, appending each command they complete. False once the
    // stream has made no sense (then and for every later call); Error says
    // what it was.
    bool Feed(const char* data, size_t size, std::vector<Command>& commands);
    bool Greeted() const { return greeted; }
    const std::string& Error() const { return error; }

private:
    bool Take(uint8_t byte, std::vector<Command>& commands);
    bool Complete(std::vector<Command>& commands);
    bool Refuse(const std::string& why);

    size_t tracksAsked;
    bool greeted;
    uint8_t pending[kLongestCommand];
    size_t pendingSize;
    std::string error;
};

#endif
