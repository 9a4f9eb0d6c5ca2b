#include "author/RocketLink.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "author/AuthorOptions.h"
#include "capture/CaptureSink.h"
#include "core/Engine.h"
#include "sync/SyncTracks.h"

namespace {

// A seek lands on a time inside the show: before its end.
constexpr double kBeforeTheEnd = 0.001;

int64_t WallNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

RocketLink::RocketLink(AuthorControl& control_) : control(control_), engine(nullptr), client() {}

void RocketLink::Start(Engine& engine_, const AuthorOptions& options) {
    engine = &engine_;
    if (!options.rocket) {
        return;
    }
    if (engine->tracks == nullptr) {
        std::fprintf(stderr, "halvenor: the show has no LOAD TRACKS line, so the Rocket editor would have no "
                             "tracks to edit: not calling it\n");
        return;
    }
    std::string error;
    if (!client.Start(options.rocketHost, options.rocketPort, &error)) {
        std::fprintf(stderr, "halvenor: --rocket: %s: the show plays from its track files\n", error.c_str());
    }
}

bool RocketLink::Poll() {
    if (engine == nullptr || client.GetState() == RocketClient::State::Off) {
        return false;
    }
    const AuthorStatus status = control.Status();
    SyncTracks* tracks = engine->tracks;
    const double row = tracks != nullptr ? tracks->RowAt(status.time) : 0.0;
    const RocketClient::Requests requests = client.Poll(tracks, WallNs(), row, !status.paused);
    for (const std::string& message : requests.messages) {
        std::fprintf(stderr, "halvenor: %s\n", message.c_str());
    }
    if (requests.seek) {
        SeekToRow(requests.row);
    } else if (requests.keysChanged && status.paused) {
        // The picture held on screen shows the new keys.
        control.Seek(status.time, nullptr);
    }
    if (requests.pause) {
        control.SetPaused(requests.paused);
    }
    return requests.seek || requests.keysChanged || requests.pause;
}

void RocketLink::SeekToRow(uint32_t row) {
    if (engine == nullptr || engine->tracks == nullptr) {
        return;
    }
    double seconds = engine->tracks->SecondsAt(row);
    const double end = CaptureSink::ShowEnd(*engine);
    if (end < 0.0) {
        seconds = 0.0;
    } else if (seconds >= end) {
        seconds = std::fmax(end - kBeforeTheEnd, 0.0);
    }
    control.Seek(seconds, nullptr);
}

void RocketLink::Describe(AuthorStatus& status) const {
    if (engine != nullptr && engine->tracks != nullptr) {
        status.row = static_cast<long long>(std::floor(engine->tracks->RowAt(status.time)));
    }
    status.rocket = client.StateText();
}
