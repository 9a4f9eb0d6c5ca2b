// Linux's TCP socket calls (contract in TcpSocket.h): BSD sockets, made
// non-blocking and closed on exec, poll for waiting, strerror for words.
#include "platform/TcpSocket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

int Descriptor(TcpSocket::Handle socket) { return static_cast<int>(socket); }

sockaddr_in Address(std::uint32_t address, int port) {
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<uint16_t>(port));
    where.sin_addr.s_addr = address;
    return where;
}

void SendAtOnce(int descriptor) {
    const int on = 1;
    setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

bool WouldBlock(int cause) { return cause == EAGAIN || cause == EWOULDBLOCK; }

}  // namespace

bool TcpSocket::Resolve(const std::string& host, std::uint32_t& address) {
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
    const int descriptor = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    return descriptor < 0 ? kNone : descriptor;
}

void TcpSocket::Close(Handle socket) {
    if (socket != kNone) {
        close(Descriptor(socket));
    }
}

void TcpSocket::EndSending(Handle socket) { shutdown(Descriptor(socket), SHUT_WR); }

bool TcpSocket::Listen(Handle socket, std::uint32_t address, int port, int backlog) {
    // Here SO_REUSEADDR only passes over the last player's lingering
    // connections; a port another program listens on is still refused.
    const int on = 1;
    setsockopt(Descriptor(socket), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in where = Address(address, port);
    return bind(Descriptor(socket), reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0 &&
           listen(Descriptor(socket), backlog) == 0;
}

int TcpSocket::LocalPort(Handle socket) {
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    if (getsockname(Descriptor(socket), reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        return 0;
    }
    return ntohs(bound.sin_port);
}

TcpSocket::Handle TcpSocket::Accept(Handle listener) {
    for (;;) {
        const int descriptor = accept4(Descriptor(listener), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (descriptor >= 0) {
            SendAtOnce(descriptor);
            return descriptor;
        }
        if (errno != EINTR && errno != ECONNABORTED) {
            return kNone;  // nothing more waits, or no descriptor is left for now
        }
    }
}

TcpSocket::Result TcpSocket::Connect(Handle socket, std::uint32_t address, int port) {
    SendAtOnce(Descriptor(socket));
    const sockaddr_in peer = Address(address, port);
    if (connect(Descriptor(socket), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) {
        return Result::Done;
    }
    return errno == EINPROGRESS || errno == EINTR ? Result::WouldBlock : Result::Failed;
}

TcpSocket::Result TcpSocket::Connected(Handle socket, int* cause) {
    pollfd waiting{Descriptor(socket), POLLOUT, 0};
    if (poll(&waiting, 1, 0) <= 0) {
        return Result::WouldBlock;
    }
    int failure = 0;
    socklen_t length = sizeof failure;
    if (getsockopt(Descriptor(socket), SOL_SOCKET, SO_ERROR, &failure, &length) != 0) {
        failure = errno;
    }
    if (failure == 0) {
        return Result::Done;
    }
    *cause = failure;
    return Result::Failed;
}

TcpSocket::Result TcpSocket::Receive(Handle socket, char* into, size_t size, size_t* moved) {
    for (;;) {
        const ssize_t got = recv(Descriptor(socket), into, size, MSG_DONTWAIT);
        if (got > 0) {
            *moved = static_cast<size_t>(got);
            return Result::Done;
        }
        if (got == 0) {
            return Result::Closed;
        }
        if (errno != EINTR) {
            return WouldBlock(errno) ? Result::WouldBlock : Result::Failed;
        }
    }
}

TcpSocket::Result TcpSocket::Send(Handle socket, const char* bytes, size_t size, size_t* moved) {
    for (;;) {
        const ssize_t sent = send(Descriptor(socket), bytes, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent > 0) {
            *moved = static_cast<size_t>(sent);
            return Result::Done;
        }
        if (sent == 0) {
            return Result::WouldBlock;
        }
        if (errno != EINTR) {
            return WouldBlock(errno) ? Result::WouldBlock : Result::Failed;
        }
    }
}

bool TcpSocket::Wait(Handle socket, bool forSending, int milliseconds) {
    for (;;) {
        pollfd entry{Descriptor(socket), static_cast<short>(forSending ? POLLOUT : POLLIN), 0};
        const int ready = poll(&entry, 1, milliseconds);
        if (ready > 0) {
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

int TcpSocket::LastError() { return errno; }

std::string TcpSocket::ErrorText(int cause) { return std::strerror(cause); }

bool TcpSocket::IsAddressInUse(int cause) { return cause == EADDRINUSE; }
