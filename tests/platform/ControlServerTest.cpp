// The remote control's socket over real loopback connections: answers to
// every kind of line, many clients, clients that vanish or never read, the
// connection past the limit, and a port already taken; and the outgoing
// socket halvenor-ctl calls a player with, waiting as a tool does.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "author/AuthorControl.h"
#include "author/RemoteControl.h"
#include "platform/ClientSocket.h"
#include "platform/ControlServer.h"

namespace {

class StillPlayer : public AuthorControl {
public:
    bool Seek(double seconds, std::string* /*error*/) override {
        status.time = seconds;
        return true;
    }
    void SetPaused(bool paused) override { status.paused = paused; }
    bool Step(int /*frames*/, std::string* /*error*/) override { return true; }
    bool SetLoop(double /*start*/, double /*end*/, std::string* error) override {
        *error = "no loops here";
        return false;
    }
    void ClearLoop() override {}
    bool SetSpeed(double /*speed*/, std::string* /*error*/) override { return true; }
    bool Reload(std::string* /*error*/) override { return true; }
    AuthorStatus Status() const override { return status; }
    void Quit() override {}

    AuthorStatus status;
};

// The player's frame loop, on a thread of its own: the server polled once
// per millisecond, every line the handler saw kept for the test to read.
class ServedPlayer {
public:
    ServedPlayer() : control(player) {
        std::string error;
        listening = server.Listen("", 0, &error);
        EXPECT_TRUE(listening) << error;
        port = server.Port();
        loop = std::thread([this] {
            while (!stop) {
                server.Poll([this](const std::string& line) {
                    std::lock_guard<std::mutex> lock(mutex);
                    seen.push_back(line);
                    return control.Answer(line);
                });
                clientCount = server.ClientCount();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    }
    ~ServedPlayer() {
        stop = true;
        loop.join();
    }

    std::vector<std::string> Seen() {
        std::lock_guard<std::mutex> lock(mutex);
        return seen;
    }
    // Waits (up to a generous deadline) for the server to serve that many.
    bool WaitForClients(int count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (clientCount != count && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return clientCount == count;
    }

    bool listening = false;
    int port = 0;

private:
    StillPlayer player;
    RemoteControl control;
    ControlServer server;
    std::atomic<bool> stop{false};
    std::atomic<int> clientCount{0};
    std::mutex mutex;
    std::vector<std::string> seen;
    std::thread loop;
};

class Client {
public:
    explicit Client(int port) {
        socketFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected = connect(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        timeval wait{20, 0};
        setsockopt(socketFd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        setsockopt(socketFd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    }
    ~Client() { Close(); }

    // False once the server has closed the connection.
    bool Send(const std::string& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t sent = send(socketFd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (sent <= 0) {
                return false;
            }
            done += static_cast<size_t>(sent);
        }
        return true;
    }
    // The next answer without its "\n"; "<closed>" when the server hung up.
    std::string ReadLine() {
        for (;;) {
            const size_t end = buffered.find('\n');
            if (end != std::string::npos) {
                const std::string line = buffered.substr(0, end);
                buffered.erase(0, end + 1);
                return line;
            }
            char chunk[4096];
            const ssize_t got = recv(socketFd, chunk, sizeof chunk, 0);
            if (got <= 0) {
                return got == 0 ? "<closed>" : "<no answer>";
            }
            buffered.append(chunk, static_cast<size_t>(got));
        }
    }
    // Gone at once, the way a killed editor goes: the kernel resets the
    // connection when unread answers are left.
    void Close() {
        if (socketFd >= 0) {
            close(socketFd);
            socketFd = -1;
        }
    }

    bool connected = false;

private:
    int socketFd = -1;
    std::string buffered;
};

TEST(ControlServer, AnswersEveryKindOfLineInOrderOneLineEach) {
    ServedPlayer player;
    ASSERT_TRUE(player.listening);
    Client client(player.port);
    ASSERT_TRUE(client.connected);
    // Several lines in one write, and one line over several writes.
    ASSERT_TRUE(client.Send("seek 1:30\r\npause\nloop 1 2\nfly away\n\nsta"));
    ASSERT_TRUE(client.Send("tus\n"));
    EXPECT_EQ(client.ReadLine(), "ok time=90.000");
    EXPECT_EQ(client.ReadLine(), "ok paused=yes");
    EXPECT_EQ(client.ReadLine(), "error: no loops here");
    EXPECT_EQ(client.ReadLine().rfind("error: unknown command 'fly'", 0), 0u);
    EXPECT_EQ(client.ReadLine().rfind("error: empty line", 0), 0u);
    EXPECT_EQ(client.ReadLine().rfind("ok time=90.000 paused=yes speed=1 loop=off", 0), 0u);
    EXPECT_EQ(player.Seen(), (std::vector<std::string>{"seek 1:30", "pause", "loop 1 2", "fly away", "", "status"}));
}

TEST(ControlServer, OverlongLinesAndBytesThatAreNoTextAreRefusedAndTheConnectionStays) {
    ServedPlayer player;
    Client client(player.port);
    ASSERT_TRUE(client.connected);
    const std::string longest(ControlServer::kMaxLineBytes, 'x');
    ASSERT_TRUE(client.Send(longest + "\r\n"));
    EXPECT_EQ(client.ReadLine().rfind("error: unknown command 'xxx", 0), 0u);
    ASSERT_TRUE(client.Send(std::string(200000, 'y') + "\nstatus\n"));
    EXPECT_EQ(client.ReadLine(), "error: the line is longer than 1024 bytes: it is dropped");
    EXPECT_EQ(client.ReadLine().rfind("ok time=", 0), 0u);
    ASSERT_TRUE(client.Send(std::string("sta\0tus\n", 8) + "\x1b[A\n" + "pause\tnow\n" + "\xff\xfe play\n"));
    EXPECT_EQ(client.ReadLine(), "error: the line holds a byte that is not text (0x00): it is dropped");
    EXPECT_EQ(client.ReadLine(), "error: the line holds a byte that is not text (0x1B): it is dropped");
    EXPECT_EQ(client.ReadLine(), "error: pause takes no argument");
    EXPECT_EQ(client.ReadLine().rfind("error: unknown command '?" "?'", 0), 0u);
    ASSERT_TRUE(client.Send("play\n"));
    EXPECT_EQ(client.ReadLine(), "ok paused=no");
    // Only text lines ever reached the player.
    for (const std::string& line : player.Seen()) {
        EXPECT_EQ(line.find('\0'), std::string::npos);
        EXPECT_LE(line.size(), ControlServer::kMaxLineBytes);
    }
}

TEST(ControlServer, ManyClientsAreServedAtOnceAndEachHearsItsOwnAnswers) {
    ServedPlayer player;
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < ControlServer::kMaxClients; ++i) {
        clients.push_back(std::make_unique<Client>(player.port));
        ASSERT_TRUE(clients.back()->connected);
        // Half a line now, the other half after everyone has started theirs.
        ASSERT_TRUE(clients.back()->Send("seek " + std::to_string(i)));
    }
    for (int i = 0; i < ControlServer::kMaxClients; ++i) {
        ASSERT_TRUE(clients[i]->Send(".5\n"));
    }
    for (int i = 0; i < ControlServer::kMaxClients; ++i) {
        EXPECT_EQ(clients[i]->ReadLine(), "ok time=" + std::to_string(i) + ".500");
    }
    EXPECT_TRUE(player.WaitForClients(ControlServer::kMaxClients));
}

TEST(ControlServer, TheConnectionPastTheLimitIsAnsweredAndClosed) {
    ServedPlayer player;
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < ControlServer::kMaxClients; ++i) {
        clients.push_back(std::make_unique<Client>(player.port));
        ASSERT_TRUE(clients.back()->Send("play\n"));
        ASSERT_EQ(clients.back()->ReadLine(), "ok paused=no");
    }
    Client extra(player.port);
    ASSERT_TRUE(extra.connected);
    extra.Send("status\n");  // already on its way when it is refused
    EXPECT_EQ(extra.ReadLine(), "error: too many connections (at most 16): closing");
    EXPECT_EQ(extra.ReadLine(), "<closed>");
    // The others still work, and a place that frees up is taken again.
    ASSERT_TRUE(clients[3]->Send("pause\n"));
    EXPECT_EQ(clients[3]->ReadLine(), "ok paused=yes");
    clients[0]->Close();
    ASSERT_TRUE(player.WaitForClients(ControlServer::kMaxClients - 1));
    Client next(player.port);
    ASSERT_TRUE(next.Send("play\n"));
    EXPECT_EQ(next.ReadLine(), "ok paused=no");
}

TEST(ControlServer, ClientsThatVanishOrNeverReadHarmNothing) {
    ServedPlayer player;
    {
        Client halfLine(player.port);
        ASSERT_TRUE(halfLine.Send("seek 4"));
    }
    {
        // Answers it never reads: sending them to the closed connection must
        // not raise SIGPIPE in the player.
        Client unread(player.port);
        std::string many;
        for (int i = 0; i < 200; ++i) {
            many += "status\n";
        }
        ASSERT_TRUE(unread.Send(many));
    }
    // Sends without ever reading: dropped once its answers pile up, while it
    // is still connected.
    Client deaf(player.port);
    const std::string burst(64 * 1024, '\n');
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (deaf.Send(burst) && std::chrono::steady_clock::now() < deadline) {
    }
    ASSERT_TRUE(player.WaitForClients(0));
    Client after(player.port);
    ASSERT_TRUE(after.Send("status\n"));
    EXPECT_EQ(after.ReadLine().rfind("ok time=0.000", 0), 0u);
    for (const std::string& line : player.Seen()) {
        EXPECT_NE(line, "seek 4");
    }
}

TEST(ControlServer, APortInUseAndBadAddressesAreReportedCleanly) {
    ControlServer first;
    std::string error;
    ASSERT_TRUE(first.Listen("127.0.0.1", 0, &error)) << error;
    ControlServer second;
    EXPECT_FALSE(second.Listen("", first.Port(), &error));
    EXPECT_EQ(error, "cannot listen on 127.0.0.1:" + std::to_string(first.Port()) + ": the port is in use by another program");
    EXPECT_FALSE(second.Listening());
    second.Poll([](const std::string&) { return std::string("ok"); });  // harmless without a socket

    std::string host = "unchanged";
    int port = 0;
    ASSERT_TRUE(ControlServer::ParseAddress("7878", host, port, &error));
    EXPECT_EQ(host, "");
    EXPECT_EQ(port, 7878);
    ASSERT_TRUE(ControlServer::ParseAddress("0.0.0.0:9000", host, port, &error));
    EXPECT_EQ(host, "0.0.0.0");
    EXPECT_EQ(port, 9000);
    for (const char* bad : {"", "0", "65536", ":80", "localhost", "80a", "-1", "1234567", "host:"}) {
        EXPECT_FALSE(ControlServer::ParseAddress(bad, host, port, &error)) << bad;
    }
    EXPECT_FALSE(second.Listen("no.such.host.invalid", 0, &error));
    EXPECT_NE(error.find("unknown host 'no.such.host.invalid'"), std::string::npos) << error;
}

// How halvenor-ctl calls: wait for the connection, the line to go and the
// answer to come; then tell a peer that hung up from one never there.
TEST(ClientSocket, WaitsForItsAnswerAndTellsAHangUpFromARefusal) {
    ServedPlayer player;
    ClientSocket socket;
    ASSERT_TRUE(socket.SetPeer("", player.port, nullptr));
    ASSERT_TRUE(socket.Connect()) << socket.Failure();
    while (socket.State() == ClientSocket::Status::Connecting) {
        ASSERT_TRUE(socket.Wait(20000));
    }
    ASSERT_TRUE(socket.Send("seek 2\n"));
    while (socket.Unsent() > 0) {
        ASSERT_TRUE(socket.Wait(20000));
        ASSERT_NE(socket.State(), ClientSocket::Status::Closed) << socket.Failure();
    }
    std::string answer;
    while (socket.Receive(answer, 1024) && answer.find('\n') == std::string::npos) {
        ASSERT_TRUE(socket.Wait(20000));
    }
    EXPECT_EQ(answer.substr(0, 2), "ok") << answer;

    ControlServer closing;
    ASSERT_TRUE(closing.Listen("", 0, nullptr));
    const int port = closing.Port();
    ClientSocket hungUp;
    ASSERT_TRUE(hungUp.SetPeer("127.0.0.1", port, nullptr));
    ASSERT_TRUE(hungUp.Connect());
    while (hungUp.State() == ClientSocket::Status::Connecting) {
        ASSERT_TRUE(hungUp.Wait(20000));
    }
    closing.Poll([](const std::string&) { return std::string("ok"); });
    closing.Close();
    std::string nothing;
    while (hungUp.Receive(nothing, 1024)) {
        ASSERT_TRUE(hungUp.Wait(20000));
    }
    EXPECT_TRUE(hungUp.PeerClosed()) << hungUp.Failure();
    EXPECT_TRUE(nothing.empty());

    ClientSocket refused;
    ASSERT_TRUE(refused.SetPeer("", port, nullptr));
    refused.Connect();  // Linux refuses a loopback call at once, Windows a little later
    while (refused.State() == ClientSocket::Status::Connecting) {
        ASSERT_TRUE(refused.Wait(20000));
    }
    EXPECT_EQ(refused.State(), ClientSocket::Status::Closed);
    EXPECT_FALSE(refused.PeerClosed());
    EXPECT_EQ(refused.Cause(), "Connection refused");
    EXPECT_EQ(refused.Failure(), refused.Cause());
}

}  // namespace
