// The sync editor's connection (contract in ClientSocket.h).
#include "platform/ClientSocket.h"

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

const char* const kDefaultHost = "127.0.0.1";
constexpr size_t kReadChunk = 4096;

}  // namespace

ClientSocket::ClientSocket() : socketFd(-1), status(Status::Closed), address(0), port(0) {}

ClientSocket::~ClientSocket() { Close(); }

bool ClientSocket::SetPeer(const std::string& host, int port_, std::string* error) {
    const std::string name = host.empty() ? kDefaultHost : host;
    in_addr found{};
    if (inet_pton(AF_INET, name.c_str(), &found) != 1) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        if (getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0 || list == nullptr) {
            if (error != nullptr) {
                *error = "unknown host '" + name + "' (write an IPv4 address or a name)";
            }
            return false;
        }
        found = reinterpret_cast<const sockaddr_in*>(list->ai_addr)->sin_addr;
        freeaddrinfo(list);
    }
    address = found.s_addr;
    port = port_;
    peerText = name + ":" + std::to_string(port_);
    return true;
}

void ClientSocket::Fail(const std::string& why) {
    failure = why;
    Close();
}

bool ClientSocket::Connect() {
    Close();
    failure.clear();
    socketFd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socketFd < 0) {
        failure = std::string("cannot open a socket: ") + std::strerror(errno);
        return false;
    }
    const int on = 1;
    setsockopt(socketFd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<uint16_t>(port));
    peer.sin_addr.s_addr = static_cast<in_addr_t>(address);
    status = Status::Connecting;
    if (connect(socketFd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) {
        status = Status::Connected;
    } else if (errno != EINPROGRESS && errno != EINTR) {
        Fail(std::strerror(errno));
        return false;
    }
    return true;
}

ClientSocket::Status ClientSocket::State() {
    if (status == Status::Connected && !outbox.empty()) {
        Flush();
    }
    if (status != Status::Connecting) {
        return status;
    }
    pollfd waiting{socketFd, POLLOUT, 0};
    if (poll(&waiting, 1, 0) <= 0) {
        return status;
    }
    int cause = 0;
    socklen_t length = sizeof cause;
    if (getsockopt(socketFd, SOL_SOCKET, SO_ERROR, &cause, &length) != 0) {
        cause = errno;
    }
    if (cause != 0) {
        Fail(std::strerror(cause));
    } else {
        status = Status::Connected;
        Flush();
    }
    return status;
}

bool ClientSocket::Receive(std::string& into, size_t maxBytes) {
    if (status != Status::Connected) {
        return false;
    }
    char chunk[kReadChunk];
    size_t taken = 0;
    while (taken < maxBytes) {
        const size_t want = maxBytes - taken < sizeof chunk ? maxBytes - taken : sizeof chunk;
        const ssize_t got = recv(socketFd, chunk, want, MSG_DONTWAIT);
        if (got > 0) {
            into.append(chunk, static_cast<size_t>(got));
            taken += static_cast<size_t>(got);
        } else if (got == 0) {
            Fail("the editor closed the connection");
            return false;
        } else if (errno == EINTR) {
            continue;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            break;
        } else {
            Fail(std::strerror(errno));
            return false;
        }
    }
    return true;
}

bool ClientSocket::Send(const std::string& bytes) {
    if (status == Status::Closed) {
        return false;
    }
    if (outbox.size() + bytes.size() > kMaxPendingBytes) {
        Fail("the editor does not read what it is sent");
        return false;
    }
    outbox += bytes;
    if (status == Status::Connected) {
        Flush();
    }
    return status != Status::Closed;
}

void ClientSocket::Flush() {
    while (!outbox.empty()) {
        const ssize_t sent = send(socketFd, outbox.data(), outbox.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent > 0) {
            outbox.erase(0, static_cast<size_t>(sent));
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else {
            if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                Fail(std::strerror(errno));
            }
            return;
        }
    }
}

void ClientSocket::Close() {
    if (socketFd >= 0) {
        close(socketFd);
        socketFd = -1;
    }
    status = Status::Closed;
    outbox.clear();
}
