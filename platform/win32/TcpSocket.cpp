// Windows' TCP socket calls (contract in TcpSocket.h), standing in for the
// BSD sockets of the Linux port: Winsock 2, started once with WSAStartup and
// left to the process's end; sockets made by WSASocketW without handle
// inheritance and put in non-blocking mode with ioctlsocket(FIONBIO);
// closesocket, shutdown(SD_SEND), select for waiting, and WSAGetLastError's
// codes worded as Linux's C library words them, so that the player and
// halvenor-ctl print the same lines on both.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <climits>

#include "platform/TcpSocket.h"

namespace {

SOCKET Native(TcpSocket::Handle socket) { return static_cast<SOCKET>(socket); }

// WSAStartup's answer, asked once: every call fails with it when it failed.
int StartupError() {
    static const int error = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    return error;
}

sockaddr_in Address(std::uint32_t address, int port) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<u_short>(port));
    where.sin_addr.s_addr = address;
    return where;
}

bool MakeNonBlocking(SOCKET socket) {
    u_long on = 1;
    SetHandleInformation(reinterpret_cast<HANDLE>(socket), HANDLE_FLAG_INHERIT, 0);
    return ioctlsocket(socket, FIONBIO, &on) == 0;
}

void SendAtOnce(SOCKET socket) {
    const BOOL on = TRUE;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

int Chunk(size_t size) { return size > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(size); }

// Ready to read, or to write, or with an error to tell (a refused
// connection shows there); false when the time is up.
bool Select(SOCKET socket, bool forSending, int milliseconds) {
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(socket, &ready);
    FD_SET(socket, &failed);
    timeval limit{milliseconds / 1000, (milliseconds % 1000) * 1000};
    // The first argument is ignored by Winsock.
    return select(0, forSending ? nullptr : &ready, forSending ? &ready : nullptr, &failed, &limit) > 0;
}

struct Words {
    int code;
    const char* text;
};

// Linux's strerror for the same conditions.
const Words kWords[] = {
    {WSAEINTR, "Interrupted system call"},
    {WSAEBADF, "Bad file descriptor"},
    {WSAEACCES, "Permission denied"},
    {WSAEFAULT, "Bad address"},
    {WSAEINVAL, "Invalid argument"},
    {WSAEMFILE, "Too many open files"},
    {WSAEWOULDBLOCK, "Resource temporarily unavailable"},
    {WSAEINPROGRESS, "Operation now in progress"},
    {WSAEALREADY, "Operation already in progress"},
    {WSAENOTSOCK, "Socket operation on non-socket"},
    {WSAEMSGSIZE, "Message too long"},
    {WSAEAFNOSUPPORT, "Address family not supported by protocol"},
    {WSAEADDRINUSE, "Address already in use"},
    {WSAEADDRNOTAVAIL, "Cannot assign requested address"},
    {WSAENETDOWN, "Network is down"},
    {WSAENETUNREACH, "Network is unreachable"},
    {WSAENETRESET, "Network dropped connection on reset"},
    {WSAECONNABORTED, "Software caused connection abort"},
    {WSAECONNRESET, "Connection reset by peer"},
    {WSAENOBUFS, "No buffer space available"},
    {WSAEISCONN, "Transport endpoint is already connected"},
    {WSAENOTCONN, "Transport endpoint is not connected"},
    {WSAESHUTDOWN, "Cannot send after transport endpoint shutdown"},
    {WSAETIMEDOUT, "Connection timed out"},
    {WSAECONNREFUSED, "Connection refused"},
    {WSAEHOSTDOWN, "Host is down"},
    {WSAEHOSTUNREACH, "No route to host"},
    {WSASYSNOTREADY, "Network is down"},
    {WSAVERNOTSUPPORTED, "Protocol not supported"},
    {WSANOTINITIALISED, "Network is down"},
};

}  // namespace

bool TcpSocket::Resolve(const std::string& host, std::uint32_t& address) {
    if (StartupError() != 0) {
        return false;
    }
    in_addr found{};
    if (inet_pton(AF_INET, host.c_str(), &found) != 1) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        if (getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0 || list == nullptr) {
            return false;
        }
        found = reinterpret_cast<const sockaddr_in*>(list->ai_addr)->sin_addr;
        freeaddrinfo(list);
    }
    address = found.s_addr;
    return true;
}

TcpSocket::Handle TcpSocket::Open() {
    if (StartupError() != 0) {
        return kNone;
    }
    SOCKET made = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (made == INVALID_SOCKET && WSAGetLastError() == WSAEINVAL) {
        // Windows before 7 SP1 knows no such flag; MakeNonBlocking still
        // keeps the handle from children.
        made = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, 0);
    }
    if (made == INVALID_SOCKET) {
        return kNone;
    }
    if (!MakeNonBlocking(made)) {
        const int cause = WSAGetLastError();
        closesocket(made);
        WSASetLastError(cause);
        return kNone;
    }
    return static_cast<Handle>(made);
}

void TcpSocket::Close(Handle socket) {
    if (socket != kNone) {
        closesocket(Native(socket));
    }
}

void TcpSocket::EndSending(Handle socket) { shutdown(Native(socket), SD_SEND); }

bool TcpSocket::Listen(Handle socket, std::uint32_t address, int port, int backlog) {
    // SO_REUSEADDR here would let this socket take a port another program
    // listens on; SO_EXCLUSIVEADDRUSE makes that program's port a failure,
    // as Linux does.
    const BOOL on = TRUE;
    setsockopt(Native(socket), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
    const sockaddr_in where = Address(address, port);
    return bind(Native(socket), reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0 &&
           listen(Native(socket), backlog) == 0;
}

int TcpSocket::LocalPort(Handle socket) {
    sockaddr_in bound{};
    int length = sizeof bound;
    if (getsockname(Native(socket), reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        return 0;
    }
    return ntohs(bound.sin_port);
}

TcpSocket::Handle TcpSocket::Accept(Handle listener) {
    for (;;) {
        const SOCKET accepted = accept(Native(listener), nullptr, nullptr);
        if (accepted != INVALID_SOCKET) {
            // It takes the listener's non-blocking mode; said again so
            // that no call on it can ever wait.
            if (!MakeNonBlocking(accepted)) {
                closesocket(accepted);
                continue;
            }
            SendAtOnce(accepted);
            return static_cast<Handle>(accepted);
        }
        const int cause = WSAGetLastError();
        // A connection reset before it was taken is Linux's ECONNABORTED.
        if (cause != WSAEINTR && cause != WSAECONNRESET) {
            return kNone;
        }
    }
}

TcpSocket::Result TcpSocket::Connect(Handle socket, std::uint32_t address, int port) {
    SendAtOnce(Native(socket));
    const sockaddr_in peer = Address(address, port);
    if (connect(Native(socket), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) {
        return Result::Done;
    }
    const int cause = WSAGetLastError();
    return cause == WSAEWOULDBLOCK || cause == WSAEINPROGRESS || cause == WSAEINTR ? Result::WouldBlock
                                                                                     : Result::Failed;
}

TcpSocket::Result TcpSocket::Connected(Handle socket, int* cause) {
    if (!Select(Native(socket), true, 0)) {
        return Result::WouldBlock;
    }
    int failure = 0;
    int length = sizeof failure;
    if (getsockopt(Native(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&failure), &length) != 0) {
        failure = WSAGetLastError();
    }
    if (failure == 0) {
        return Result::Done;
    }
    *cause = failure;
    return Result::Failed;
}

TcpSocket::Result TcpSocket::Receive(Handle socket, char* into, size_t size, size_t* moved) {
    for (;;) {
        const int got = recv(Native(socket), into, Chunk(size), 0);
        if (got > 0) {
            *moved = static_cast<size_t>(got);
            return Result::Done;
        }
        if (got == 0) {
            return Result::Closed;
        }
        const int cause = WSAGetLastError();
        if (cause != WSAEINTR) {
            return cause == WSAEWOULDBLOCK ? Result::WouldBlock : Result::Failed;
        }
    }
}

TcpSocket::Result TcpSocket::Send(Handle socket, const char* bytes, size_t size, size_t* moved) {
    for (;;) {
        // Windows knows no SIGPIPE: a send to a closed connection fails.
        const int sent = send(Native(socket), bytes, Chunk(size), 0);
        if (sent > 0) {
            *moved = static_cast<size_t>(sent);
            return Result::Done;
        }
        if (sent == 0) {
            return Result::WouldBlock;
        }
        const int cause = WSAGetLastError();
        if (cause != WSAEINTR) {
            return cause == WSAEWOULDBLOCK ? Result::WouldBlock : Result::Failed;
        }
    }
}

bool TcpSocket::Wait(Handle socket, bool forSending, int milliseconds) {
    return Select(Native(socket), forSending, milliseconds < 0 ? 0 : milliseconds);
}

int TcpSocket::LastError() { return StartupError() != 0 ? StartupError() : WSAGetLastError(); }

std::string TcpSocket::ErrorText(int cause) {
    for (const Words& words : kWords) {
        if (words.code == cause) {
            return words.text;
        }
    }
    return "Winsock error " + std::to_string(cause);
}

bool TcpSocket::IsAddressInUse(int cause) {
    // A port another program holds with SO_EXCLUSIVEADDRUSE (or one Windows
    // keeps for itself) is refused as WSAEACCES.
    return cause == WSAEADDRINUSE || cause == WSAEACCES;
}
