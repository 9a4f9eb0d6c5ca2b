// The Rocket editor's protocol as an editor (or anything on its port) may
// send it: the input, cut into pieces of a size its first byte chooses, fed
// to a reader that asked for a few tracks, every command it gives set on the
// tracks as the player does. The reader must give the same commands however
// the bytes are split, none it should have refused, and stay refused once it
// has read nonsense.
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/support/FuzzHarness.h"
#include "sync/RocketReader.h"
#include "sync/SyncTrack.h"

namespace {

constexpr size_t kTracksAsked = 3;

void Expect(bool holds) {
    if (!holds) {
        std::abort();
    }
}

bool Same(const RocketReader::Command& a, const RocketReader::Command& b) {
    return a.kind == b.kind && a.track == b.track && a.key.row == b.key.row &&
           (a.key.value == b.key.value) && a.key.interpolation == b.key.interpolation && a.row == b.row &&
           a.paused == b.paused;
}

// Feeds the bytes in pieces of the given size; false when they made no sense.
bool ReadInPieces(const std::string& bytes, size_t piece, std::vector<RocketReader::Command>& commands) {
    RocketReader reader;
    reader.SetTracksAsked(kTracksAsked);
    bool sense = true;
    for (size_t at = 0; at < bytes.size(); at += piece) {
        const bool before = sense;
        sense = reader.Feed(bytes.data() + at, std::min(piece, bytes.size() - at), commands) && sense;
        Expect(before || !sense);
        Expect(sense == reader.Error().empty());
    }
    return sense;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    FuzzHarness::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzHarness run(data, size, "editor.bin");
    run.Run([&] {
        if (size == 0) {
            return;
        }
        const size_t piece = data[0] % 17 + 1;
        // Most inputs start as an editor does, so that the fuzzer reaches the
        // commands; the rest test the greeting.
        std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
        if (data[0] < 200) {
            bytes = std::string(RocketReader::kGreeting) + bytes;
        }
        std::vector<RocketReader::Command> whole;
        std::vector<RocketReader::Command> pieces;
        const bool wholeSense = ReadInPieces(bytes, bytes.size() + 1, whole);
        const bool piecesSense = ReadInPieces(bytes, piece, pieces);
        Expect(wholeSense == piecesSense && whole.size() == pieces.size());
        std::vector<SyncTrack> tracks(kTracksAsked, SyncTrack("t"));
        for (size_t i = 0; i < whole.size(); ++i) {
            const RocketReader::Command& command = whole[i];
            Expect(Same(command, pieces[i]));
            if (command.kind == RocketReader::Kind::SetKey) {
                Expect(command.track < kTracksAsked);
                Expect(tracks[command.track].SetKey(command.key));
                tracks[command.track].ValueAt(static_cast<double>(command.key.row) - 0.5);
            } else if (command.kind == RocketReader::Kind::DeleteKey) {
                Expect(command.track < kTracksAsked);
                tracks[command.track].DeleteKey(command.key.row);
            }
        }
    });
    return 0;
}
