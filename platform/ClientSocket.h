// The author-mode player's outgoing connection to a sync editor (the Rocket
// editor listens; the player is its client). No Windows interface of the
// engine stands behind it; the socket calls live here so that the engine code
// knows nothing of them.
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
#ifndef HALVENOR_PLATFORM_CLIENTSOCKET_H
#define HALVENOR_PLATFORM_CLIENTSOCKET_H

#include <cstddef>
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
    const std::string& Failure() const { return failure; }

private:
    void Fail(const std::string& why);
    void Flush();

    int socketFd;
    Status status;
    unsigned long address;
    int port;
    std::string peerText;
    std::string outbox;
    std::string failure;
};

#endif
