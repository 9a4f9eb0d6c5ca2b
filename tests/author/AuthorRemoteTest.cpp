// The editing player driven over its remote-control socket while it plays,
// and its live reload: a script saved while the show plays is in effect at
// the current time, a broken save keeps the old show and says why, the
// fixing save reloads, and markers recorded before survive it.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "author/AuthorMode.h"
#include "tests/support/AuthorRun.h"
#include "tests/support/CaptureRun.h"
#include "tests/support/TempDir.h"

namespace {

// One connection of a remote-control client, answers read with a deadline.
class Remote {
public:
    explicit Remote(int port) {
        socketFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected = connect(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        timeval wait{30, 0};
        setsockopt(socketFd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    }
    ~Remote() { close(socketFd); }

    std::string Ask(const std::string& line) {
        const std::string sent = line + "\n";
        if (send(socketFd, sent.data(), sent.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(sent.size())) {
            return "<not sent>";
        }
        for (;;) {
            const size_t end = buffered.find('\n');
            if (end != std::string::npos) {
                const std::string answer = buffered.substr(0, end);
                buffered.erase(0, end + 1);
                return answer;
            }
            char chunk[1024];
            const ssize_t got = recv(socketFd, chunk, sizeof chunk, 0);
            if (got <= 0) {
                return "<no answer>";
            }
            buffered.append(chunk, static_cast<size_t>(got));
        }
    }

    // Asks status until its answer holds the text (a save has been read).
    bool StatusComesTo(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            if (Ask("status").find(text) != std::string::npos) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    bool connected = false;

private:
    int socketFd = -1;
    std::string buffered;
};

void SaveByRename(const TestSupport::TempDir& dir, const std::string& name, const std::string& text) {
    dir.Write(name + ".tmp", text);
    std::rename(dir.File(name + ".tmp").c_str(), dir.File(name).c_str());
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(AuthorRemote, TheRemoteDrivesThePlayerAndSavesReloadTheScriptWhereTheShowIs) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    TestSupport::TempDir dir;
    ASSERT_TRUE(TestSupport::CopySampleShow(dir.Path()));
    const std::string script = dir.Read("guion.txt");
    ASSERT_NE(script.find("19.5 DEMO Sala FX_STOP"), std::string::npos);

    AuthorOptions options;
    options.listen = true;  // on a free port of 127.0.0.1
    TestSupport::FakeWallClock wall;
    AuthorMode mode(options, &wall);
    mode.SetFindings(0, 2, {"guion.txt:1: warning: one", "guion.txt:2: warning: two"});

    std::vector<std::string> answers;
    std::atomic<bool> done{false};
    std::thread client;
    TestSupport::AuthorRun run(mode, [&](int frame, const TestSupport::Picture&) {
        wall.now += 16666667;
        if (frame == 0) {
            // A marker recorded with l before the reloads.
            SDL_Event key{};
            key.type = SDL_KEYDOWN;
            key.key.keysym.sym = SDLK_l;
            SDL_PushEvent(&key);
        }
        if (frame == 1) {
            const int port = mode.ListenPort();
            client = std::thread([&, port] {
                Remote remote(port);
                answers.push_back(remote.connected ? "connected" : "not connected");
                answers.push_back(remote.Ask("pause"));
                answers.push_back(remote.Ask("status"));
                // A seek out of the loop ends it.
                answers.push_back(remote.Ask("loop 10 12"));
                answers.push_back(remote.Ask("seek 0:12.5"));
                answers.push_back(remote.Ask("seek 25"));
                answers.push_back(remote.Ask("loop 1 2 3"));
                // The show now ends at 15 s: in effect at once, at 12.5 s.
                SaveByRename(dir, "guion.txt", Replaced(script, "19.5 DEMO Sala FX_STOP", "15.0 DEMO Sala FX_STOP"));
                // Read once the new show's one warning (events after its end) shows.
                answers.push_back(remote.StatusComesTo("findings=1") ? "read" : "not read");
                answers.push_back(remote.Ask("seek 16"));
                answers.push_back(remote.Ask("status"));
                // A broken save: the show plays on and says why.
                SaveByRename(dir, "guion.txt", script + "1.0 SCENE Sala FX_SHWO\n");
                answers.push_back(remote.StatusComesTo("reload=failed") ? "refused" : "not refused");
                answers.push_back(remote.Ask("reload"));
                answers.push_back(remote.Ask("seek 16"));
                // The fixing save reloads.
                SaveByRename(dir, "guion.txt", script);
                answers.push_back(remote.StatusComesTo("reload=ok") ? "fixed" : "not fixed");
                answers.push_back(remote.Ask("seek 16"));
                answers.push_back(remote.Ask("quit"));
                done = true;
            });
        }
        return !(done && frame > 20000);
    });
    const int status = run.Run();
    if (client.joinable()) {
        client.join();
    }
    ASSERT_EQ(status, 0);
    ASSERT_EQ(answers.size(), 16u);
    EXPECT_EQ(answers[0], "connected");
    EXPECT_EQ(answers[1], "ok paused=yes");
    // What the start found stays until a reload.
    EXPECT_NE(answers[2].find(" reload=none findings=2"), std::string::npos) << answers[2];
    EXPECT_EQ(answers[3], "ok loop=10.000-12.000");
    answers.erase(answers.begin() + 2, answers.begin() + 4);
    EXPECT_EQ(answers[2], "ok time=12.500 loop=off");
    EXPECT_EQ(answers[3], "error: 25.000 s is outside the show, which ends at 19.500 s");
    EXPECT_EQ(answers[4].rfind("error: write loop A B", 0), 0u) << answers[4];
    EXPECT_EQ(answers[5], "read");
    EXPECT_EQ(answers[6], "error: 16.000 s is outside the show, which ends at 15.000 s");
    EXPECT_EQ(answers[7].rfind("ok time=12.500 paused=yes speed=1 loop=off", 0), 0u) << answers[7];
    EXPECT_EQ(answers[8], "refused");
    EXPECT_EQ(answers[9].rfind("error: guion.txt:", 0), 0u) << answers[9];
    EXPECT_NE(answers[9].find("unknown effect 'FX_SHWO'"), std::string::npos) << answers[9];
    EXPECT_EQ(answers[10], "error: 16.000 s is outside the show, which ends at 15.000 s") << "the old show plays on";
    EXPECT_EQ(answers[11], "fixed");
    EXPECT_EQ(answers[12], "ok time=16.000");
    EXPECT_EQ(answers[13], "ok quit");
    // The marker survived three readings of the script and went, at exit, to
    // the script as it was then on disk.
    const std::string saved = dir.Read("guion.txt");
    ASSERT_EQ(saved.compare(0, script.size(), script), 0) << saved;
    const std::string marker = saved.substr(script.size());
    EXPECT_EQ(std::count(marker.begin(), marker.end(), '\n'), 1) << marker;
    EXPECT_NEAR(std::atof(marker.c_str()), 0.0, 0.2) << marker;
}

}  // namespace
