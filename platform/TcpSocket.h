// The few calls on a TCP/IPv4 socket that the remote control (ControlServer)
// and the sync editor's connection (ClientSocket) make. Everything above
// them -- lines, bounds, who is refused -- is shared by every port; only these
// calls differ. No Windows interface of the engine stands behind them.
//
// Contract: every socket is non-blocking and is not inherited by child
// processes; connections send small messages at once (no Nagle delay).
// Nothing here waits but Wait, which tools call, never the frame loop.
// Receive and Send retry an interrupted call themselves and never raise
// SIGPIPE. A call that fails leaves its cause in LastError() until the next
// call; ErrorText words it as the C library of Linux does ("Connection
// refused"), so that a message reads the same on every port.
// Listen does not take a port another program listens on (IsAddressInUse
// then), yet a player started again at once gets its own port back while
// the last one's connections still linger.
//
// On Linux: BSD sockets (SOCK_NONBLOCK | SOCK_CLOEXEC, SO_REUSEADDR, poll,
// strerror). On Windows: Winsock 2, started once (WSAStartup), sockets made
// with WSA_FLAG_NO_HANDLE_INHERIT and ioctlsocket(FIONBIO), SO_EXCLUSIVEADDRUSE
// in place of SO_REUSEADDR (which there would take a port in use),
// closesocket, select, and WSAGetLastError mapped to Linux's words.
#ifndef HALVENOR_PLATFORM_TCPSOCKET_H
#define HALVENOR_PLATFORM_TCPSOCKET_H

#include <cstddef>
#include <cstdint>
#include <string>

class TcpSocket {
public:
    // A socket of either port (a descriptor, or a SOCKET); kNone is none.
    using Handle = std::intptr_t;
    static constexpr Handle kNone = -1;

    enum class Result { Done, WouldBlock, Closed, Failed };

    // An IPv4 address (network byte order) for an address or a name looked
    // up now; false when there is none.
    static bool Resolve(const std::string& host, std::uint32_t& address);

    // kNone when no socket could be made.
    static Handle Open();
    static void Close(Handle socket);
    // No more is sent; what was sent still arrives.
    static void EndSending(Handle socket);

    static bool Listen(Handle socket, std::uint32_t address, int port, int backlog);
    static int LocalPort(Handle socket);
    // A waiting connection, or kNone when there is none (or it failed).
    static Handle Accept(Handle listener);

    // Done when connected at once, WouldBlock while connecting, Failed.
    static Result Connect(Handle socket, std::uint32_t address, int port);
    // How a connection started by Connect stands now; Failed leaves the
    // cause in *cause.
    static Result Connected(Handle socket, int* cause);

    // Done with *moved > 0 bytes, WouldBlock, Closed (the peer hung up, on
    // Receive only) or Failed.
    static Result Receive(Handle socket, char* into, size_t size, size_t* moved);
    static Result Send(Handle socket, const char* bytes, size_t size, size_t* moved);

    // Waits up to milliseconds for the socket to have bytes to read (or a
    // hang-up), or when forSending for room to send (or a connection started
    // by Connect to be made or refused); false when the time is up.
    static bool Wait(Handle socket, bool forSending, int milliseconds);

    static int LastError();
    static std::string ErrorText(int cause);
    static bool IsAddressInUse(int cause);
};

#endif
