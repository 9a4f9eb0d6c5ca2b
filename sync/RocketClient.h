// The player's side of a session with the Rocket editor: it calls the editor
// (127.0.0.1:1338 unless told otherwise), greets it, asks for every track of
// the show (GET_TRACK, in track order: the editor names tracks by that
// order), sets the keys the editor sends on the tracks at once, saves the
// tracks when the editor says SAVE_TRACKS, reports the row while the show
// plays, and hands the seeks and pauses the editor asks for to its caller.
//
// The editor's keys of a track replace the files' once it sends the first
// of them (a SET_KEY or DELETE_KEY for the track): the picture then shows
// what the editor shows. A track the editor holds no keys for keeps the
// files' keys, so that a session with an editor that lacks the show's
// project loses nothing, and a save still writes them.
//
// Never waits: a frame's Poll reads at most kReadPerPoll bytes. Without an
// editor it tries again every kRetryNs; an editor that goes away, or that
// sends nonsense (dropped with a log line), leaves the keys as they were.
// A new set of tracks (the show built again) starts the session over, so
// that the editor sends every key again.
#ifndef HALVENOR_SYNC_ROCKETCLIENT_H
#define HALVENOR_SYNC_ROCKETCLIENT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ClientSocket.h"
#include "sync/RocketReader.h"

class SyncTrack;
class SyncTracks;

class RocketClient {
public:
    static constexpr int kDefaultPort = 1338;
    static constexpr int64_t kRetryNs = 3000000000;
    // An editor that connects but never greets is given up after this.
    static constexpr int64_t kGreetingNs = 5000000000;
    static constexpr size_t kReadPerPoll = 64 * 1024;

    enum class State { Off, Waiting, Connecting, Connected };

    // What the editor asked for in one Poll.
    struct Requests {
        bool seek = false;  // go to row (the last SET_ROW of the poll)
        uint32_t row = 0;
        bool pause = false;  // pause or play, as paused says
        bool paused = false;
        bool keysChanged = false;
        // What happened to the session, for the author (English, one line each).
        std::vector<std::string> messages;
    };

    RocketClient();

    // The editor to call from now on; false with why when the host is unknown.
    bool Start(const std::string& host, int port, std::string* error);
    // Once a frame, at wall time wallNs, with the show's row and whether it
    // plays. Null tracks (the show has none now) ends a session.
    Requests Poll(SyncTracks* tracks, int64_t wallNs, double row, bool playing);
    void Stop();

    State GetState() const { return state; }
    // "off", "waiting" (no editor yet, or between tries) or "connected".
    const char* StateText() const;
    const std::string& Peer() const { return socket.PeerText(); }

private:
    void Begin(SyncTracks& tracks, Requests& requests);
    void Read(SyncTracks& tracks, Requests& requests);
    void Apply(SyncTracks& tracks, const RocketReader::Command& command, Requests& requests);
    // The asked track, its files' keys dropped the first time the editor
    // sends keys for it.
    SyncTrack& Claim(uint32_t track);
    // Closes the connection and tries again later; the first failure of a
    // run of them is said, the rest are not.
    void Lost(const std::string& english, const std::string& spanish, Requests& requests);

    ClientSocket socket;
    RocketReader reader;
    State state;
    std::vector<SyncTrack*> asked;
    // Per asked track: the editor has sent keys for it on this connection.
    std::vector<bool> claimed;
    uint64_t tracksSerial;
    int64_t nextTryNs;
    int64_t greetingByNs;
    bool rowSent;
    uint32_t sentRow;
    bool failureSaid;
    // The session's start has been said.
    bool announced;
    int64_t nowNs;
};

#endif
