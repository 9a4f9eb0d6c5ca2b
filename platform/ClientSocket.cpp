// The sync editor's connection (contract in ClientSocket.h), the same on
// every port; the socket calls themselves are TcpSocket's.
#include "platform/ClientSocket.h"

#include "platform/TcpSocket.h"

namespace {

const char* const kDefaultHost = "127.0.0.1";
constexpr size_t kReadChunk = 4096;

}  // namespace

ClientSocket::ClientSocket()
    : socket(TcpSocket::kNone), status(Status::Closed), address(0), port(0), peerClosed(false) {}

ClientSocket::~ClientSocket() { Close(); }

bool ClientSocket::SetPeer(const std::string& host, int port_, std::string* error) {
    const std::string name = host.empty() ? kDefaultHost : host;
    std::uint32_t found = 0;
    if (!TcpSocket::Resolve(name, found)) {
        if (error != nullptr) {
            *error = "unknown host '" + name + "' (write an IPv4 address or a name)";
        }
        return false;
    }
    address = found;
    port = port_;
    peerText = name + ":" + std::to_string(port_);
    return true;
}

void ClientSocket::Fail(const std::string& why) {
    failure = why;
    Close();
}

void ClientSocket::FailFromSystem(const std::string& doing, int code) {
    cause = TcpSocket::ErrorText(code);
    Fail(doing + cause);
}

bool ClientSocket::Connect() {
    Close();
    failure.clear();
    cause.clear();
    peerClosed = false;
    socket = TcpSocket::Open();
    if (socket == TcpSocket::kNone) {
        FailFromSystem("cannot open a socket: ", TcpSocket::LastError());
        return false;
    }
    status = Status::Connecting;
    const TcpSocket::Result result = TcpSocket::Connect(socket, address, port);
    if (result == TcpSocket::Result::Done) {
        status = Status::Connected;
    } else if (result == TcpSocket::Result::Failed) {
        FailFromSystem("", TcpSocket::LastError());
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
    int code = 0;
    const TcpSocket::Result result = TcpSocket::Connected(socket, &code);
    if (result == TcpSocket::Result::Failed) {
        FailFromSystem("", code);
    } else if (result == TcpSocket::Result::Done) {
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
        size_t got = 0;
        const TcpSocket::Result result = TcpSocket::Receive(socket, chunk, want, &got);
        if (result == TcpSocket::Result::Done) {
            into.append(chunk, got);
            taken += got;
        } else if (result == TcpSocket::Result::WouldBlock) {
            break;
        } else if (result == TcpSocket::Result::Closed) {
            peerClosed = true;
            Fail("the editor closed the connection");
            return false;
        } else {
            FailFromSystem("", TcpSocket::LastError());
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
        size_t sent = 0;
        const TcpSocket::Result result = TcpSocket::Send(socket, outbox.data(), outbox.size(), &sent);
        if (result == TcpSocket::Result::Done) {
            outbox.erase(0, sent);
        } else {
            if (result == TcpSocket::Result::Failed) {
                FailFromSystem("", TcpSocket::LastError());
            }
            return;
        }
    }
}

bool ClientSocket::Wait(int milliseconds) {
    if (status == Status::Closed) {
        return true;  // nothing to wait for: State says so at once
    }
    const bool forSending = status == Status::Connecting || !outbox.empty();
    return TcpSocket::Wait(socket, forSending, milliseconds);
}

void ClientSocket::Close() {
    TcpSocket::Close(socket);
    socket = TcpSocket::kNone;
    status = Status::Closed;
    outbox.clear();
}
