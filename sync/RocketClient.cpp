#include "sync/RocketClient.h"

#include <cmath>

#include "core/Log.h"
#include "sync/RocketWriter.h"
#include "sync/SyncTracks.h"

namespace {

const char* const kStateTexts[] = {"off", "waiting", "waiting", "connected"};

std::string Seconds(int64_t ns) { return std::to_string(ns / 1000000000); }

}  // namespace

RocketClient::RocketClient()
    : socket(),
      reader(),
      state(State::Off),
      asked(),
      tracksSerial(0),
      nextTryNs(0),
      greetingByNs(0),
      rowSent(false),
      sentRow(0),
      failureSaid(false),
      announced(false),
      nowNs(0) {}

bool RocketClient::Start(const std::string& host, int port, std::string* error) {
    if (!socket.SetPeer(host, port, error)) {
        return false;
    }
    state = State::Waiting;
    nextTryNs = 0;
    return true;
}

void RocketClient::Stop() {
    socket.Close();
    asked.clear();
    state = State::Off;
}

const char* RocketClient::StateText() const {
    // Connected means greeted: until then the editor has sent no keys.
    if (state == State::Connected && !reader.Greeted()) {
        return "waiting";
    }
    return kStateTexts[static_cast<int>(state)];
}

void RocketClient::Lost(const std::string& english, const std::string& spanish, Requests& requests) {
    socket.Close();
    asked.clear();
    state = State::Waiting;
    nextTryNs = nowNs + kRetryNs;
    if (!failureSaid) {
        failureSaid = true;
        requests.messages.push_back(english + "; trying again every " + Seconds(kRetryNs) + " s");
        Log::Format("-> Rocket: %s; se reintenta cada %s s\n", spanish.c_str(), Seconds(kRetryNs).c_str());
    }
}

RocketClient::Requests RocketClient::Poll(SyncTracks* tracks, int64_t wallNs, double row, bool playing) {
    Requests requests;
    nowNs = wallNs;
    if (state == State::Off) {
        return requests;
    }
    if (tracks == nullptr || (state != State::Waiting && tracks->Serial() != tracksSerial)) {
        // Another show: its tracks are asked for afresh, at once.
        socket.Close();
        asked.clear();
        state = State::Waiting;
        nextTryNs = wallNs;
        if (tracks == nullptr) {
            return requests;
        }
    }
    if (state == State::Waiting && wallNs >= nextTryNs) {
        if (socket.Connect()) {
            state = State::Connecting;
        } else {
            Lost("cannot call the Rocket editor at " + Peer() + ": " + socket.Failure(),
                 "no se puede llamar al editor en [ " + Peer() + " ]: " + socket.Failure(), requests);
        }
    }
    if (state == State::Connecting) {
        const ClientSocket::Status status = socket.State();
        if (status == ClientSocket::Status::Connected) {
            Begin(*tracks, requests);
        } else if (status == ClientSocket::Status::Closed) {
            Lost("no Rocket editor answers at " + Peer() + " (" + socket.Failure() +
                     "): the show plays from its track files",
                 "ningun editor contesta en [ " + Peer() + " ] (" + socket.Failure() +
                     "): el show sigue con sus ficheros de pistas",
                 requests);
        }
    }
    if (state == State::Connected) {
        Read(*tracks, requests);
    }
    if (state == State::Connected && reader.Greeted() && playing && std::isfinite(row) && row >= 0.0 &&
        row < 4294967296.0) {
        const auto whole = static_cast<uint32_t>(row);
        if (!rowSent || whole != sentRow) {
            rowSent = true;
            sentRow = whole;
            socket.Send(RocketWriter::SetRow(whole));
        }
    }
    return requests;
}

void RocketClient::Begin(SyncTracks& tracks, Requests& requests) {
    state = State::Connected;
    tracksSerial = tracks.Serial();
    greetingByNs = nowNs + kGreetingNs;
    announced = false;
    rowSent = false;
    reader.Reset();
    asked.clear();
    std::string hello = RocketWriter::Greeting();
    for (size_t i = 0; i < tracks.Count(); ++i) {
        asked.push_back(&tracks.At(i));
        hello += RocketWriter::GetTrack(tracks.At(i).Name());
    }
    claimed.assign(asked.size(), false);
    reader.SetTracksAsked(asked.size());
    if (!socket.Send(hello)) {
        Lost("the Rocket editor at " + Peer() + " went away (" + socket.Failure() + ")",
             "el editor en [ " + Peer() + " ] se ha ido (" + socket.Failure() + ")", requests);
    }
}

void RocketClient::Read(SyncTracks& tracks, Requests& requests) {
    std::string bytes;
    const bool open = socket.Receive(bytes, kReadPerPoll);
    std::vector<RocketReader::Command> commands;
    const bool sense = reader.Feed(bytes.data(), bytes.size(), commands);
    for (const RocketReader::Command& command : commands) {
        Apply(tracks, command, requests);
        if (state != State::Connected) {
            return;
        }
    }
    if (!sense) {
        // Keys of the commands before the nonsense stay: the editor sent them.
        failureSaid = false;
        Lost("the Rocket editor at " + Peer() + " sent what is not its protocol (" + reader.Error() +
                 "): disconnected, the keys stay as they were",
             "el editor en [ " + Peer() + " ] envio algo que no es del protocolo (" + reader.Error() +
                 "): se cierra la conexion, las claves se quedan como estaban",
             requests);
        return;
    }
    if (reader.Greeted() && !announced) {
        announced = true;
        failureSaid = false;
        requests.messages.push_back("connected to the Rocket editor at " + Peer() + " (" +
                                    std::to_string(asked.size()) + " tracks)");
        Log::Format("-> Rocket: conectado al editor en [ %s ] (%zu pistas)\n", Peer().c_str(), asked.size());
    }
    if (!open) {
        failureSaid = false;
        Lost("the Rocket editor at " + Peer() + " went away (" + socket.Failure() + "): the keys stay as they were",
             "el editor en [ " + Peer() + " ] se ha ido (" + socket.Failure() + "): las claves se quedan como estaban",
             requests);
    } else if (!reader.Greeted() && nowNs > greetingByNs) {
        failureSaid = false;
        Lost("what answers at " + Peer() + " never greets as the Rocket editor does",
             "lo que contesta en [ " + Peer() + " ] no saluda como el editor", requests);
    }
}

SyncTrack& RocketClient::Claim(uint32_t track) {
    if (!claimed[track]) {
        claimed[track] = true;
        asked[track]->Clear();
    }
    return *asked[track];
}

void RocketClient::Apply(SyncTracks& tracks, const RocketReader::Command& command, Requests& requests) {
    switch (command.kind) {
        case RocketReader::Kind::SetKey:
            if (!Claim(command.track).SetKey(command.key)) {
                failureSaid = false;
                Lost("the Rocket editor at " + Peer() + " gave track '" + asked[command.track]->Name() +
                         "' more than " + std::to_string(SyncTrack::kMaxKeys) + " keys: disconnected",
                     "el editor da a la pista [ " + asked[command.track]->Name() + " ] mas de " +
                         std::to_string(SyncTrack::kMaxKeys) + " claves: se cierra la conexion",
                     requests);
                return;
            }
            requests.keysChanged = true;
            break;
        case RocketReader::Kind::DeleteKey:
            Claim(command.track).DeleteKey(command.key.row);
            requests.keysChanged = true;
            break;
        case RocketReader::Kind::SetRow:
            requests.seek = true;
            requests.row = command.row;
            // The editor knows where it put the player.
            rowSent = true;
            sentRow = command.row;
            break;
        case RocketReader::Kind::Pause:
            requests.pause = true;
            requests.paused = command.paused;
            break;
        case RocketReader::Kind::SaveTracks: {
            std::string error;
            const size_t written = tracks.Save(&error);
            const std::string where = tracks.SaveBase() + "_*.track";
            if (error.empty()) {
                requests.messages.push_back("saved " + std::to_string(written) + " tracks to " + where);
                Log::Format("-> Rocket: guardadas %zu pistas [ %s ]\n", written, where.c_str());
            } else {
                requests.messages.push_back("saving the tracks failed: " + error);
                Log::Format("-> Rocket: no se pudieron guardar las pistas: %s\n", error.c_str());
            }
            break;
        }
    }
}
