// The remote control's listening socket (contract in ControlServer.h): the
// lines, their bounds and who is refused, the same on every port; the socket
// calls themselves are TcpSocket's.
#include "platform/ControlServer.h"

#include <algorithm>
#include <cstdio>

#include "platform/TcpSocket.h"

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

bool Resolve(const std::string& host, std::uint32_t& address, std::string* error) {
    if (TcpSocket::Resolve(host, address)) {
        return true;
    }
    if (error != nullptr) {
        *error = "unknown host '" + host + "' (write an IPv4 address or a name of this machine)";
    }
    return false;
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

ControlServer::ControlServer() : listener(TcpSocket::kNone), boundPort(0) {}

ControlServer::~ControlServer() { Close(); }

bool ControlServer::Listen(const std::string& host, int port, std::string* error) {
    Close();
    const std::string name = host.empty() ? kDefaultHost : host;
    std::uint32_t address = 0;
    if (!Resolve(name, address, error)) {
        return false;
    }
    const TcpSocket::Handle socket = TcpSocket::Open();
    if (socket == TcpSocket::kNone) {
        if (error != nullptr) {
            *error = "cannot open a socket: " + TcpSocket::ErrorText(TcpSocket::LastError());
        }
        return false;
    }
    if (!TcpSocket::Listen(socket, address, port, kMaxClients * 2)) {
        const int cause = TcpSocket::LastError();
        TcpSocket::Close(socket);
        if (error != nullptr) {
            const std::string where = name + ":" + std::to_string(port);
            *error = TcpSocket::IsAddressInUse(cause)
                         ? "cannot listen on " + where + ": the port is in use by another program"
                         : "cannot listen on " + where + ": " + TcpSocket::ErrorText(cause);
        }
        return false;
    }
    listener = socket;
    boundPort = TcpSocket::LocalPort(socket);
    return true;
}

int ControlServer::ClientCount() const {
    return static_cast<int>(std::count_if(clients.begin(), clients.end(),
                                          [](const Client& client) { return !client.refused && !client.dropped; }));
}

void ControlServer::Close() {
    for (Client& client : clients) {
        Send(client);
        TcpSocket::Close(client.socket);
    }
    clients.clear();
    TcpSocket::Close(listener);
    listener = TcpSocket::kNone;
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
        const TcpSocket::Handle socket = TcpSocket::Accept(listener);
        if (socket == TcpSocket::kNone) {
            return;
        }
        if (ClientCount() >= kMaxClients) {
            Refuse(socket);
            continue;
        }
        Client client;
        client.socket = socket;
        clients.push_back(std::move(client));
    }
}

void ControlServer::Refuse(std::intptr_t socket) {
    const auto refusedCount = std::count_if(clients.begin(), clients.end(), [](const Client& c) { return c.refused; });
    if (refusedCount >= kMaxClients) {
        TcpSocket::Close(socket);  // a flood of connections: no line for this one
        return;
    }
    Client client;
    client.socket = socket;
    client.refused = true;
    client.refusedAt = std::chrono::steady_clock::now();
    client.outbox = "error: too many connections (at most " + std::to_string(kMaxClients) + "): closing\n";
    Send(client);
    // Closing at once could reset the connection before the line is read, if
    // the client has sent something already: it hangs up, or has its time.
    TcpSocket::EndSending(socket);
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
        size_t got = 0;
        const TcpSocket::Result result = TcpSocket::Receive(client.socket, chunk, sizeof chunk, &got);
        if (result == TcpSocket::Result::Done) {
            client.inbox.append(chunk, got);
            continue;
        }
        client.peerClosed = result == TcpSocket::Result::Closed;
        client.dropped = result == TcpSocket::Result::Failed;
        return;
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
        size_t sent = 0;
        const TcpSocket::Result result = TcpSocket::Send(client.socket, client.outbox.data(), client.outbox.size(), &sent);
        if (result != TcpSocket::Result::Done) {
            client.dropped = result == TcpSocket::Result::Failed;
            return;
        }
        client.outbox.erase(0, sent);
    }
}

void ControlServer::RemoveDropped() {
    for (Client& client : clients) {
        if (client.dropped) {
            TcpSocket::Close(client.socket);
        }
    }
    clients.erase(std::remove_if(clients.begin(), clients.end(), [](const Client& client) { return client.dropped; }),
                  clients.end());
}
