// A session with the Rocket editor, the editor played by the test: a socket
// that listens as the editor does and speaks its protocol to the editing
// player. Keys and rows it sends change the picture and the time at once
// (its keys replacing the track file's),
// PAUSE plays and pauses (the player then reports its rows), SAVE_TRACKS
// writes .track files that read back the same, and when the editor goes
// away the keys stay as they were.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "author/AuthorMode.h"
#include "sync/SyncTrack.h"
#include "sync/TrackFile.h"
#include "tests/support/AuthorRun.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestAudio.h"
#include "tests/support/TestImages.h"

namespace {

// What the frame loop last showed, for the editor's thread.
struct Seen {
    std::mutex lock;
    double time = -1.0;
    bool paused = false;
    std::string rocket;
    int grey = -1;  // the middle pixel's red, green and blue are alike
};

std::string BigEndian(uint32_t value) {
    return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16 & 0xFF),
                       static_cast<char>(value >> 8 & 0xFF), static_cast<char>(value & 0xFF)};
}

std::string SetKey(uint32_t track, uint32_t row, float value, uint8_t interpolation) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return std::string(1, '\0') + BigEndian(track) + BigEndian(row) + BigEndian(bits) +
           std::string(1, static_cast<char>(interpolation));
}

std::string DeleteKey(uint32_t track, uint32_t row) { return std::string(1, '\1') + BigEndian(track) + BigEndian(row); }
std::string SetRow(uint32_t row) { return std::string(1, '\3') + BigEndian(row); }
std::string Pause(bool paused) { return std::string(1, '\4') + std::string(1, paused ? '\1' : '\0'); }
const std::string kSaveTracks(1, '\5');

// The editor's side: it listens, the player calls.
class FakeEditor {
public:
    FakeEditor() {
        listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener, 1);
        socklen_t length = sizeof address;
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
    }
    ~FakeEditor() {
        Hang();
        close(listener);
    }

    bool Accept() {
        timeval wait{30, 0};
        setsockopt(listener, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        do {
            client = accept(listener, nullptr, nullptr);
        } while (client < 0 && errno == EINTR);
        setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        return client >= 0;
    }
    std::string Read(size_t bytes) {
        std::string got;
        char chunk[256];
        while (got.size() < bytes) {
            const ssize_t n = recv(client, chunk, std::min(sizeof chunk, bytes - got.size()), 0);
            if (n <= 0) {
                break;
            }
            got.append(chunk, static_cast<size_t>(n));
        }
        return got;
    }
    uint32_t ReadU32() {
        const std::string b = Read(4);
        return b.size() < 4 ? 0xFFFFFFFFu
                            : static_cast<uint32_t>(static_cast<unsigned char>(b[0])) << 24 |
                                  static_cast<uint32_t>(static_cast<unsigned char>(b[1])) << 16 |
                                  static_cast<uint32_t>(static_cast<unsigned char>(b[2])) << 8 |
                                  static_cast<unsigned char>(b[3]);
    }
    void Send(const std::string& bytes) { send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
    void Hang() {
        if (client >= 0) {
            close(client);
            client = -1;
        }
    }

    int port = 0;

private:
    int listener = -1;
    int client = -1;
};

std::string Describe(const SyncTrack& track) {
    std::string text;
    for (const SyncKey& key : track.Keys()) {
        text += std::to_string(key.row) + ":" + std::to_string(key.value) + "/" + std::to_string(key.interpolation) + " ";
    }
    return text;
}

// Waits until what the frame loop shows passes the test.
template <typename Test>
bool ShowsSoon(Seen& seen, Test test) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        {
            std::lock_guard<std::mutex> hold(seen.lock);
            if (test(seen)) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

bool At(Seen& seen, double time, double alpha) {
    return ShowsSoon(seen, [&](const Seen& s) {
        return std::fabs(s.time - time) < 1e-6 && std::abs(s.grey - static_cast<int>(alpha * 255.0 + 0.5)) <= 3;
    }) || (std::printf("the picture at %.3f s has grey %d\n", seen.time, seen.grey), false);
}

TEST(RocketEditor, AnEditorsKeysRowsPausesAndSaveDriveTheShowAndItsTrackFiles) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    TestSupport::TempDir dir;
    ASSERT_TRUE(TestSupport::WriteTone(dir.File("musica.wav"), 330.0, 12.0, 8000, 1, 0.1));
    dir.Write("blanco.jpg", TestSupport::SolidRgbJpeg(16, 16, 255, 255, 255));
    // 60 bpm at 4 rows a beat: row r is r / 4 seconds.
    dir.Write("preconfig.txt",
              "LOAD DISPLAY 160 120 32 NO\nLOAD SOUND musica.wav\nLOAD TRACKS sync 60 4\n"
              "LOAD LAYER2D blanco.jpg BACKGROUND Blanco\nSET LAYER2D Blanco TRACK alpha\nLOAD SCRIPT guion.txt\n");
    dir.Write("guion.txt", "0.0 LAYER Blanco FX_SHOW\n11.0 DEMO x FX_STOP\n");
    // The file's key goes once the editor sends keys for the track.
    SyncTrack fromFile("Blanco:alpha");
    fromFile.SetKey(SyncKey{30, 0.9f, SyncKey::kStep});
    ASSERT_TRUE(TrackFile::Write("sync_Blanco-3Aalpha.track", fromFile, nullptr));

    FakeEditor editor;
    AuthorOptions options;
    options.pause = true;
    options.overlay = false;
    options.rocket = true;
    options.rocketPort = editor.port;
    TestSupport::FakeWallClock wall;
    AuthorMode mode(options, &wall);

    Seen seen;
    std::vector<std::string> steps;
    std::atomic<bool> done{false};
    std::atomic<bool> reseek{false};
    std::thread session([&] {
        const auto say = [&](bool ok, const std::string& what) { steps.push_back((ok ? "" : "NOT ") + what); };
        say(editor.Accept(), "called");
        say(editor.Read(19) == "hello, synctracker!", "greeted");
        editor.Send("hello, demo!");
        const std::string ask = editor.Read(1);
        const uint32_t length = editor.ReadU32();
        say(ask == "\2" && length == 12 && editor.Read(length) == "Blanco:alpha", "asked for Blanco:alpha");
        // Keys and a row in one go, split at an odd place. A picture at a
        // time is the one composed last before it, by a 60th of a second at
        // most: rows a little below the one asked for.
        const std::string burst = SetKey(0, 0, 0.0f, 1) + SetKey(0, 16, 1.0f, 1) + SetRow(8);
        editor.Send(burst.substr(0, 7));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        editor.Send(burst.substr(7));
        say(At(seen, 2.0, 0.5), "row 8: 2 s, alpha 0.5");
        editor.Send(SetRow(4));
        say(At(seen, 1.0, 0.25), "row 4: 1 s, alpha 0.25");
        editor.Send(SetKey(0, 0, 0.5f, 0));
        say(At(seen, 1.0, 0.5), "a key changed while paused shows at once");
        editor.Send(SetKey(0, 0, 0.5f, 1) + DeleteKey(0, 16) + SetKey(0, 12, 1.0f, 0));
        say(At(seen, 1.0, 0.5 + 0.5 * 4.0 / 12.0), "deleted and added keys show at once");
        editor.Send(Pause(false));
        // Playing, the player says its rows.
        bool reported = false;
        for (int i = 0; i < 8 && !reported; ++i) {
            reported = editor.Read(1) == "\3" && editor.ReadU32() > 4;
        }
        say(reported, "the player reports its rows as it plays");
        editor.Send(Pause(true));
        say(ShowsSoon(seen, [](const Seen& s) { return s.paused; }), "paused again");
        editor.Send(kSaveTracks);
        SyncTrack saved("Blanco:alpha");
        std::string error;
        // The file the show started with had one key.
        say(ShowsSoon(seen, [&](const Seen&) {
                return TrackFile::Read("sync_Blanco-3Aalpha.track", saved, &error) && saved.Keys().size() != 1;
            }),
            "saved: " + error);
        say(saved.Keys().size() == 2 && saved.Keys()[0].row == 0 && saved.Keys()[0].value == 0.5f &&
                saved.Keys()[0].interpolation == 1 && saved.Keys()[1].row == 12 && saved.Keys()[1].value == 1.0f &&
                saved.Keys()[1].interpolation == 0,
            "the file holds the editor's keys (" + Describe(saved) + ")");
        say(!dir.Exists("sync_Blanco-3Aalpha.track.tmp"), "no temporary file left");
        editor.Hang();
        say(ShowsSoon(seen, [](const Seen& s) { return s.rocket == "waiting"; }), "the player waits for an editor");
        reseek = true;
        say(At(seen, 1.0, 0.5 + 0.5 * 4.0 / 12.0), "the keys stay as they were");
        done = true;
    });
    TestSupport::AuthorRun run(mode, [&](int, const TestSupport::Picture& picture) {
        wall.now += 16666667;
        if (reseek.exchange(false)) {
            mode.Seek(1.0, nullptr);
        }
        const AuthorStatus status = mode.Status();
        const size_t middle = (static_cast<size_t>(picture.height / 2) * picture.width + picture.width / 2) * 3;
        std::lock_guard<std::mutex> hold(seen.lock);
        seen.time = status.time;
        seen.paused = status.paused;
        seen.rocket = status.rocket;
        const bool grey = picture.rgb[middle] == picture.rgb[middle + 1] && picture.rgb[middle] == picture.rgb[middle + 2];
        seen.grey = grey ? picture.rgb[middle] : -1;
        return !done;
    });
    const int status = run.Run();
    session.join();
    EXPECT_EQ(status, 0);
    for (const std::string& step : steps) {
        EXPECT_EQ(step.rfind("NOT ", 0), std::string::npos) << step;
    }
    EXPECT_EQ(steps.size(), 14u);
}

}  // namespace
