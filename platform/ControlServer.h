// The author-mode player's listening socket for the remote control. No
// Windows interface of the engine stands behind it; the socket calls live
// in platform/ so that the engine code knows nothing of them. Every port
// shares this class; its socket calls are TcpSocket's (BSD sockets on Linux,
// Winsock 2 on Windows), which keep the messages below the same.
//
// Contract: Listen(host, port) opens a TCP socket on host (an IPv4 address or
// a name; 127.0.0.1 when empty) and port (0 takes a free one; Port() says
// which), or answers false with why in *error (a port in use, a host that is
// not this machine's). Poll(handler), once per frame, never waits: it accepts
// what connected, reads what arrived, hands every complete line (without its
// "\n" and a "\r" before it) to the handler and queues the handler's answer
// with a "\n", then sends what the connection takes without waiting.
//
// What it refuses, and the connection stays:
// - a line longer than kMaxLineBytes, or one holding bytes that are not text
//   (NUL and the control bytes other than TAB and CR): its bytes are dropped
//   up to its line break and it is answered one "error: ..." line.
// What ends a connection:
// - the client closes it: an unfinished line is dropped, answers already
//   queued are still sent;
// - its unsent answers would pass kMaxPendingBytes: it does not read;
// - a send or read fails. Writing to a closed connection never raises SIGPIPE.
// The handler must not Close or Listen the server it is called from: a
// "quit" ends the frame loop, and Close after it still sends the answer.
// At most kMaxClients connections: the next one is answered one
// "error: ..." line and closed. Each Poll hands at most kLinesPerPoll lines
// of one client to the handler and reads at most kReadPerPoll bytes of it;
// the rest waits for the next frame.
#ifndef HALVENOR_PLATFORM_CONTROLSERVER_H
#define HALVENOR_PLATFORM_CONTROLSERVER_H

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class ControlServer {
public:
    // The port the player listens on and halvenor-ctl calls when none is given.
    static constexpr int kDefaultPort = 7878;
    static constexpr int kMaxClients = 16;
    static constexpr size_t kMaxLineBytes = 1024;
    static constexpr size_t kMaxPendingBytes = 64 * 1024;
    static constexpr int kLinesPerPoll = 64;
    static constexpr size_t kReadPerPoll = 64 * 1024;

    using LineHandler = std::function<std::string(const std::string& line)>;

    // "PORT" or "HOST:PORT" (the --listen argument); false with why in *error.
    static bool ParseAddress(const std::string& text, std::string& host, int& port, std::string* error);

    ControlServer();
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    bool Listen(const std::string& host, int port, std::string* error);
    bool Listening() const { return listener != -1; }
    int Port() const { return boundPort; }
    void Poll(const LineHandler& handler);
    // Connections being served, the refused ones on their way out left aside.
    int ClientCount() const;
    // Sends what goes without waiting, then closes every connection and the
    // listening socket.
    void Close();

private:
    // A socket as TcpSocket holds it: -1 is none.
    struct Client {
        std::intptr_t socket = -1;
        // Received, not yet split into lines.
        std::string inbox;
        size_t inboxRead = 0;
        // The line being gathered.
        std::string line;
        // Why the line being gathered is refused; empty while it is fine.
        std::string refusal;
        std::string outbox;
        bool peerClosed = false;
        bool dropped = false;
        // Refused for too many connections: only its error line goes out.
        bool refused = false;
        std::chrono::steady_clock::time_point refusedAt;
    };

    void Accept();
    void Refuse(std::intptr_t socket);
    void Read(Client& client);
    void Split(Client& client, const LineHandler& handler);
    void EndLine(Client& client, const LineHandler& handler);
    void Queue(Client& client, const std::string& answer);
    void Send(Client& client);
    void RemoveDropped();

    std::intptr_t listener;
    int boundPort;
    std::vector<Client> clients;
};

#endif
