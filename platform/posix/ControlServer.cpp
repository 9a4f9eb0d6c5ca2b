// The remote control's listening socket (contract in ControlServer.h).
#include "platform/ControlServer.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const char* const kDefaultHost = "127.0.0.1";
// A refused connection gets this long to read its error line before it is
// closed for good.
constexpr std::chrono::seconds kRefusedLinger(2);
constexpr size_t kReadChunk = 4096;

bool IsText(unsigned char c) { return c == '\t' || c == '\r' || (c >= 32 && c != 127); }

std::string OneLine(std::string answer) {
    std::replace(answer.begin(), answer.end(), '\n', ' ');
    return answer;
}

bool ParsePort(const std::string& text, int& port) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    port = std::stoi(text);
    return port >= 1 && port <= 65535;
}

bool Resolve(const std::string& host, in_addr& address, std::string* error) {
    if (inet_pton(AF_INET, host.c_str(), &address) == 1) {
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        if (error != nullptr) {
            *error = "unknown host '" + host + "' (write an IPv4 address or a name of this machine)";
        }
        return false;
    }
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

}  // namespace

bool ControlServer::ParseAddress(const std::string& text, std::string& host, int& port, std::string* error) {
    const size_t colon = text.rfind(':');
    const std::string hostText = colon == std::string::npos ? std::string() : text.substr(0, colon);
    const std::string portText = colon == std::string::npos ? text : text.substr(colon + 1);
    if (!ParsePort(portText, port) || (colon != std::string::npos && hostText.empty())) {
        if (error != nullptr) {
            *error = "'" + text + "' is no address to listen on: write PORT or HOST:PORT, PORT from 1 to 65535";
        }
        return false;
    }
    host = hostText;
    return true;
}

ControlServer::ControlServer() : listener(-1), boundPort(0) {}

ControlServer::~ControlServer() { Close(); }

bool ControlServer::Listen(const std::string& host, int port, std::string* error) {
    Close();
    const std::string name = host.empty() ? kDefaultHost : host;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (!Resolve(name, address.sin_addr, error)) {
        return false;
    }
    const int socketFd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socketFd < 0) {
        if (error != nullptr) {
            *error = std::string("cannot open a socket: ") + std::strerror(errno);
        }
        return false;
    }
    // A player started again at once finds its port free although the last
    // one's connections still linger; a port another program listens on is
    // still refused.
    const int on = 1;
    setsockopt(socketFd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(socketFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(socketFd, kMaxClients * 2) != 0) {
        const int cause = errno;
        close(socketFd);
        if (error != nullptr) {
            const std::string where = name + ":" + std::to_string(port);
            *error = cause == EADDRINUSE ? "cannot listen on " + where + ": the port is in use by another program"
                                         : "cannot listen on " + where + ": " + std::strerror(cause);
        }
        return false;
    }
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    getsockname(socketFd, reinterpret_cast<sockaddr*>(&bound), &length);
    listener = socketFd;
    boundPort = ntohs(bound.sin_port);
    return true;
}

int ControlServer::ClientCount() const {
    return static_cast<int>(std::count_if(clients.begin(), clients.end(),
                                          [](const Client& client) { return !client.refused && !client.dropped; }));
}

void ControlServer::Close() {
    for (Client& client : clients) {
        Send(client);
        close(client.socket);
    }
    clients.clear();
    if (listener >= 0) {
        close(listener);
        listener = -1;
    }
    boundPort = 0;
}

void ControlServer::Poll(const LineHandler& handler) {
    if (listener < 0) {
        return;
    }
    Accept();
    const auto now = std::chrono::steady_clock::now();
    for (Client& client : clients) {
        Read(client);
        if (client.refused) {
            // Nothing it sends is read as a command; it goes once it has its
            // line and has hung up, or has had its time.
            client.inbox.clear();
            client.inboxRead = 0;
            Send(client);
            client.dropped = client.dropped || client.peerClosed || now - client.refusedAt > kRefusedLinger;
            continue;
        }
        Split(client, handler);
        Send(client);
        if (client.peerClosed && client.inboxRead == client.inbox.size() && client.outbox.empty()) {
            client.dropped = true;  // an unfinished line goes with it
        }
    }
    RemoveDropped();
}

void ControlServer::Accept() {
    for (int accepted = 0; accepted < kMaxClients * 2; ++accepted) {
        const int socketFd = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (socketFd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            return;  // nothing more waits, or no descriptor is left for now
        }
        const int on = 1;
        setsockopt(socketFd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        if (ClientCount() >= kMaxClients) {
            Refuse(socketFd);
            continue;
        }
        Client client;
        client.socket = socketFd;
        clients.push_back(std::move(client));
    }
}

void ControlServer::Refuse(int socketFd) {
    const auto refusedCount = std::count_if(clients.begin(), clients.end(), [](const Client& c) { return c.refused; });
    if (refusedCount >= kMaxClients) {
        close(socketFd);  // a flood of connections: no line for this one
        return;
    }
    Client client;
    client.socket = socketFd;
    client.refused = true;
    client.refusedAt = std::chrono::steady_clock::now();
    client.outbox = "error: too many connections (at most " + std::to_string(kMaxClients) + "): closing\n";
    Send(client);
    // Closing at once could reset the connection before the line is read, if
    // the client has sent something already: it hangs up, or has its time.
    shutdown(socketFd, SHUT_WR);
    clients.push_back(std::move(client));
}

void ControlServer::Read(Client& client) {
    if (client.dropped || client.peerClosed || client.inboxRead < client.inbox.size()) {
        return;  // the last frame's bytes come first
    }
    client.inbox.clear();
    client.inboxRead = 0;
    char chunk[kReadChunk];
    while (client.inbox.size() < kReadPerPoll) {
        const ssize_t got = recv(client.socket, chunk, sizeof chunk, MSG_DONTWAIT);
        if (got > 0) {
            client.inbox.append(chunk, static_cast<size_t>(got));
        } else if (got == 0) {
            client.peerClosed = true;
            return;
        } else if (errno == EINTR) {
            continue;
        } else {
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                client.dropped = true;
            }
            return;
        }
    }
}

void ControlServer::Split(Client& client, const LineHandler& handler) {
    int lines = 0;
    while (!client.dropped && client.inboxRead < client.inbox.size() && lines < kLinesPerPoll) {
        const unsigned char c = static_cast<unsigned char>(client.inbox[client.inboxRead++]);
        if (c == '\n') {
            EndLine(client, handler);
            ++lines;
        } else if (!client.refusal.empty()) {
            // the rest of a refused line
        } else if (!IsText(c)) {
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", c);
            client.refusal = std::string("error: the line holds a byte that is not text (") + code +
                             "): it is dropped";
            client.line.clear();
        } else if (client.line.size() >= kMaxLineBytes + (c == '\r' ? 1 : 0)) {
            client.refusal = "error: the line is longer than " + std::to_string(kMaxLineBytes) +
                             " bytes: it is dropped";
            client.line.clear();
        } else {
            client.line += static_cast<char>(c);
        }
    }
}

void ControlServer::EndLine(Client& client, const LineHandler& handler) {
    if (!client.refusal.empty()) {
        Queue(client, client.refusal);
    } else {
        if (!client.line.empty() && client.line.back() == '\r') {
            client.line.pop_back();
        }
        Queue(client, OneLine(handler(client.line)));
    }
    client.line.clear();
    client.refusal.clear();
}

void ControlServer::Queue(Client& client, const std::string& answer) {
    if (client.outbox.size() + answer.size() + 1 > kMaxPendingBytes) {
        client.dropped = true;  // it does not read its answers
        return;
    }
    client.outbox += answer;
    client.outbox += '\n';
    // At once, so that a client sending many lines in one go and reading its
    // answers as they come is never taken for one that does not read.
    Send(client);
}

void ControlServer::Send(Client& client) {
    while (!client.dropped && !client.outbox.empty()) {
        const ssize_t sent = send(client.socket, client.outbox.data(), client.outbox.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent > 0) {
            client.outbox.erase(0, static_cast<size_t>(sent));
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else {
            if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                client.dropped = true;
            }
            return;
        }
    }
}

void ControlServer::RemoveDropped() {
    for (Client& client : clients) {
        if (client.dropped) {
            close(client.socket);
        }
    }
    clients.erase(std::remove_if(clients.begin(), clients.end(), [](const Client& client) { return client.dropped; }),
                  clients.end());
}
