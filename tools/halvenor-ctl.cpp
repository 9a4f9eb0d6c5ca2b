// Sends one command to a player started with `halvenor --edit --listen` and
// prints its answer.
//
//   halvenor-ctl [--host H] [--port PORT] COMMAND...
//
// The words of the command are joined by spaces into one line. Exit status:
// 0 for an "ok" answer, 1 for an "error:" answer, 2 when no player answers
// (nothing listens, or no answer in time) or for wrong arguments.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/Version.h"
#include "platform/ClientSocket.h"
#include "platform/ControlServer.h"

namespace {

// Connecting and answering together; a player answers within a frame.
constexpr int kTimeoutMs = 5000;

// Laid out as help2man reads it, so that the manual page lists the commands
// and the exit codes: a heading line ending in ':', then one entry a line,
// the word(s), two spaces or more, what it does.
const char* const kUsage =
    "usage: halvenor-ctl [--host H] [--port PORT] COMMAND...\n"
    "Sends COMMAND to a player started with halvenor --edit --listen [HOST:]PORT and\n"
    "prints its one-line answer. T, A and B are times in seconds (95.5) or\n"
    "minutes:seconds (1:35.5).\n"
    "\n"
    "Commands:\n"
    "  seek T       jump to music time T\n"
    "  pause        stop the show where it is\n"
    "  play         play on\n"
    "  step [N]     N frames forward (default 1; negative steps back), paused\n"
    "  loop A B     play the stretch from A to B over and over\n"
    "  loop off     stop looping\n"
    "  speed X      play at X times the speed: 0.25, 0.5, 1 or 2\n"
    "  reload       read the show again now\n"
    "  status       the player's state: time, paused, speed, loop, fps, show,\n"
    "               reload and findings\n"
    "  quit         end the player\n"
    "\n"
    "Options:\n"
    "  --host H     the player's machine (default 127.0.0.1)\n"
    "  --port PORT  its port (default 7878)\n"
    "  -h, --help   this text\n"
    "      --version  the engine version\n"
    "\n"
    "Exit status:\n"
    "  0            the player answered ok\n"
    "  1            the player answered an error\n"
    "  2            no player answers, or wrong arguments\n";

int Usage(const char* why) {
    std::fprintf(stderr, "halvenor-ctl: %s\n%s", why, kUsage);
    return 2;
}

int NoPlayer(const std::string& where, const std::string& why) {
    std::fprintf(stderr, "halvenor-ctl: no player answers on %s: %s\n", where.c_str(), why.c_str());
    return 2;
}

int MillisecondsLeft(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Connects, sends the line, and reads the answer line into *answer.
int Call(const std::string& host, int port, const std::string& line, std::string& answer) {
    const std::string where = host + ":" + std::to_string(port);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimeoutMs);
    ClientSocket socket;
    // An empty host is no machine here, not the socket's default one.
    if (host.empty() || !socket.SetPeer(host, port, nullptr)) {
        return NoPlayer(where, "unknown host");
    }
    if (!socket.Connect()) {
        return NoPlayer(where, socket.Cause());
    }
    while (socket.State() == ClientSocket::Status::Connecting) {
        if (!socket.Wait(MillisecondsLeft(deadline))) {
            return NoPlayer(where, "no connection in time");
        }
    }
    if (socket.State() == ClientSocket::Status::Closed) {
        return NoPlayer(where, socket.Cause());
    }
    if (!socket.Send(line + "\n")) {
        return NoPlayer(where, "the connection broke while sending");
    }
    while (socket.Unsent() > 0) {
        if (!socket.Wait(MillisecondsLeft(deadline)) || socket.State() == ClientSocket::Status::Closed) {
            return NoPlayer(where, "the connection broke while sending");
        }
    }
    answer.clear();
    for (;;) {
        const bool open = socket.Receive(answer, 1024);
        const size_t end = answer.find('\n');
        if (end != std::string::npos) {
            answer.resize(end);
            break;
        }
        // A player answers far less; anything longer is not one.
        if (answer.size() > 64 * 1024) {
            return NoPlayer(where, "the answer is no line");
        }
        if (!open) {
            return NoPlayer(where, socket.PeerClosed() ? "it closed the connection without an answer"
                                                       : "no answer in time");
        }
        if (!socket.Wait(MillisecondsLeft(deadline))) {
            return NoPlayer(where, "no answer in time");
        }
    }
    if (!answer.empty() && answer.back() == '\r') {
        answer.pop_back();
    }
    return 0;
}

bool ParsePort(const char* text, int& port) {
    std::string host;
    return ControlServer::ParseAddress(text, host, port, nullptr) && host.empty();
}

}  // namespace

int main(int argc, char** argv) {
    std::string host = "127.0.0.1";
    int port = ControlServer::kDefaultPort;
    std::string line;
    int i = 1;
    for (; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(arg, "--version") == 0) {
            std::printf("halvenor-ctl %s\n", HALVENOR_VERSION);
            return 0;
        }
        if (std::strcmp(arg, "--host") == 0 || std::strcmp(arg, "--port") == 0) {
            if (i + 1 == argc) {
                return Usage((std::string(arg) + " needs a value").c_str());
            }
            const char* value = argv[++i];
            if (arg[2] == 'h') {
                host = value;
            } else if (!ParsePort(value, port)) {
                return Usage((std::string("'") + value + "' is no port (1 to 65535)").c_str());
            }
        } else if (std::strcmp(arg, "--") == 0) {
            ++i;
            break;
        } else if (arg[0] == '-' && arg[1] == '-') {
            return Usage((std::string("unexpected argument '") + arg + "'").c_str());
        } else {
            break;  // the command: its words may start with '-' (step -1)
        }
    }
    for (; i < argc; ++i) {
        for (const char* c = argv[i]; *c != '\0'; ++c) {
            if (*c == '\n' || *c == '\r') {
                return Usage("a command is one line");
            }
        }
        line += (line.empty() ? "" : " ") + std::string(argv[i]);
    }
    if (line.empty()) {
        return Usage("no command");
    }
    std::string answer;
    const int failed = Call(host, port, line, answer);
    if (failed != 0) {
        return failed;
    }
    if (answer.rfind("ok", 0) == 0) {
        std::printf("%s\n", answer.c_str());
        return 0;
    }
    std::fprintf(stderr, "%s\n", answer.c_str());
    return answer.rfind("error:", 0) == 0 ? 1 : 2;
}
