// The author-mode player's outgoing connection to a sync editor (the Rocket
// editor listens; the player is its client), and halvenor-ctl's call to a
// player. No Windows interface of the engine stands behind it; the socket
// calls live in platform/ so that the engine code knows nothing of them.
// Every port shares this class; its socket calls are TcpSocket's (BSD
// sockets on Linux, Winsock 2 on Windows), which word failures alike.
//
// Contract: SetPeer(host, port) finds the address once (an IPv4 address, or
// a name looked up there and then, never while the show plays; 127.0.0.1
// when host is empty), or answers false with why. Connect() starts a TCP
// connection to it without waiting; State() then says Connecting until the
// peer has accepted (Connected) or refused (Closed, Failure says why), and
// never waits either. Receive appends what has arrived, at most maxBytes,
// without waiting. Send queues the bytes and sends what the connection takes
// without waiting; unsent bytes beyond kMaxPendingBytes mean a peer that does
// not read, and close the connection. The peer closing, a failed read or
// send, close it too. Writing to a closed connection never raises SIGPIPE.
// Close() ends the connection at once; Connect may be called again.
// Wait(milliseconds) is for tools, never the frame loop: it waits for the
// connection to be made or refused, for bytes to send to go, or else for
// bytes to arrive, and answers false when the time is up.
#ifndef HALVENOR_PLATFORM_CLIENTSOCKET_H
#define HALVENOR_PLATFORM_CLIENTSOCKET_H

#include <cstddef>
#include <cstdint>
#include <string>

class ClientSocket {
public:
    // Room for a greeting that asks for every track a show may have.
    static constexpr size_t kMaxPendingBytes = 8 * 1024 * 1024;

    enum class Status { Closed, Connecting, Connected };

    ClientSocket();
    ~ClientSocket();
    ClientSocket(const ClientSocket&) = delete;
    ClientSocket& operator=(const ClientSocket&) = delete;

    bool SetPeer(const std::string& host, int port, std::string* error);
    // "HOST:PORT" of the peer, for messages.
    const std::string& PeerText() const { return peerText; }

    // False (Closed, Failure says why) when not even a socket could be made.
    bool Connect();
    Status State();
    bool Receive(std::string& into, size_t maxBytes);
    bool Send(const std::string& bytes);
    void Close();
    bool Wait(int milliseconds);
    // Bytes Send has queued that have not gone yet.
    size_t Unsent() const { return outbox.size(); }
    const std::string& Failure() const { return failure; }
    // The operating system's own words for the last failure, when it was
    // one of its calls that failed (Failure may say more).
    const std::string& Cause() const { return cause; }
    // The last connection ended because the peer closed it.
    bool PeerClosed() const { return peerClosed; }

private:
    void Fail(const std::string& why);
    void FailFromSystem(const std::string& doing, int code);
    void Flush();

    // As TcpSocket holds it: -1 is none.
    std::intptr_t socket;
    Status status;
    std::uint32_t address;
    int port;
    std::string peerText;
    std::string outbox;
    std::string failure;
    std::string cause;
    bool peerClosed;
};

#endif
