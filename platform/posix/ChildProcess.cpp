// Stands in for CreateProcess (contract in ChildProcess.h) with fork and
// execve, pipes, poll, wait4 and signals.
#include "platform/ChildProcess.h"

#include "platform/FileSystem.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <csignal>
#include <cstring>
#include <string>

extern char** environ;

namespace Platform {

namespace {

std::atomic<bool> interrupted{false};

void NoteInterrupt(int /*signal*/) { interrupted = true; }

// Between fork and exec only async-signal-safe calls.
[[noreturn]] void BecomeChild(const std::vector<char*>& argv, const std::vector<char*>& env, int errorEnd,
                              pid_t parent) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) {
        _exit(127);
    }
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    signal(SIGPIPE, SIG_DFL);
    const int null = open("/dev/null", O_RDONLY);
    if (null >= 0) {
        dup2(null, 0);
    }
    dup2(errorEnd, 2);
    execve(argv[0], argv.data(), env.data());
    _exit(127);
}

}  // namespace

ChildProcess::~ChildProcess() {
    CloseInput();
    if (process != kNone) {
        Kill();
        Wait();
    }
    if (errorPipe != kNone) {
        close(static_cast<int>(errorPipe));
    }
}

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                         std::string& error) {
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    std::vector<std::string> names;
    std::vector<char*> environment;
    for (const std::string& assignment : env) {
        names.push_back(assignment.substr(0, assignment.find('=') + 1));
        environment.push_back(const_cast<char*>(assignment.c_str()));
    }
    for (char** entry = environ; *entry != nullptr; ++entry) {
        bool replaced = false;
        for (const std::string& name : names) {
            replaced = replaced || std::strncmp(*entry, name.c_str(), name.size()) == 0;
        }
        if (!replaced) {
            environment.push_back(*entry);
        }
    }
    environment.push_back(nullptr);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        BecomeChild(args, environment, ends[1], parent);
    }
    close(ends[1]);
    if (pid < 0) {
        close(ends[0]);
        error = std::string("cannot start ") + argv[0] + ": " + std::strerror(errno);
        return false;
    }
    process = pid;
    errorPipe = ends[0];
    fcntl(ends[0], F_SETFL, fcntl(ends[0], F_GETFL) | O_NONBLOCK);
    return true;
}

bool ChildProcess::StartWithInput(const std::vector<std::string>& argv, std::string& error) {
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(ends[0], 0);
        execv(args[0], args.data());
        _exit(127);
    }
    close(ends[0]);
    if (pid < 0) {
        close(ends[1]);
        error = std::string("cannot start ") + argv[0] + ": " + std::strerror(errno);
        return false;
    }
    process = pid;
    inputPipe = ends[1];
    return true;
}

bool ChildProcess::WriteInput(const void* bytes, size_t size) {
    const char* next = static_cast<const char*>(bytes);
    while (size > 0) {
        if (inputPipe == kNone) {
            return false;
        }
        const ssize_t written = write(static_cast<int>(inputPipe), next, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        next += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

void ChildProcess::CloseInput() {
    if (inputPipe != kNone) {
        close(static_cast<int>(inputPipe));
        inputPipe = kNone;
    }
}

void ChildProcess::WaitForText(const std::vector<ChildProcess*>& children, int timeoutMs) {
    std::vector<pollfd> watched;
    for (const ChildProcess* child : children) {
        if (child->errorPipe != kNone) {
            watched.push_back(pollfd{static_cast<int>(child->errorPipe), POLLIN, 0});
        }
    }
    if (watched.empty()) {
        usleep(static_cast<useconds_t>(timeoutMs) * 1000);
        return;
    }
    poll(watched.data(), watched.size(), timeoutMs);
}

bool ChildProcess::ReadLines(std::vector<std::string>& lines) {
    if (errorPipe == kNone) {
        return false;
    }
    char chunk[4096];
    for (;;) {
        const ssize_t got = read(static_cast<int>(errorPipe), chunk, sizeof chunk);
        if (got > 0) {
            for (ssize_t i = 0; i < got; ++i) {
                // A progress line rewritten in place ends at its carriage return.
                if (chunk[i] == '\n' || chunk[i] == '\r') {
                    if (!partial.empty()) {
                        lines.push_back(partial);
                    }
                    partial.clear();
                } else if (partial.size() < kMaxLine) {
                    partial.push_back(chunk[i]);
                }
            }
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return true;
        }
        // The end: the last line, even without its line end.
        if (!partial.empty()) {
            lines.push_back(partial);
            partial.clear();
        }
        close(static_cast<int>(errorPipe));
        errorPipe = kNone;
        return false;
    }
}

void ChildProcess::Stop() {
    if (process != kNone) {
        kill(static_cast<pid_t>(process), SIGTERM);
    }
}

void ChildProcess::Kill() {
    if (process != kNone) {
        kill(static_cast<pid_t>(process), SIGKILL);
    }
}

int ChildProcess::Wait() {
    if (process == kNone) {
        return -1;
    }
    int status = 0;
    rusage usage{};
    while (wait4(static_cast<pid_t>(process), &status, 0, &usage) < 0 && errno == EINTR) {
    }
    peakKilobytes = usage.ru_maxrss;
    process = kNone;
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int ChildProcess::RunToEnd(const std::vector<std::string>& argv, const std::string& directory, bool discardOutput) {
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = discardOutput ? open("/dev/null", O_WRONLY) : 1;
        if (null < 0 || dup2(null, 1) < 0 || (!directory.empty() && chdir(directory.c_str()) != 0)) {
            _exit(127);
        }
        execv(args[0], args.data());
        _exit(127);
    }
    if (pid < 0) {
        return -1;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ChildProcess::DisplayServer() {
    const char* const display = std::getenv("DISPLAY");
    return display == nullptr || *display == '\0' ? FindProgram("Xvfb") : std::string();
}

std::string ChildProcess::OwnProgram() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

void ChildProcess::CatchInterrupts() {
    struct sigaction action{};
    action.sa_handler = NoteInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool ChildProcess::Interrupted() { return interrupted; }

// SIGTERM already reaches the program as a request to quit.
void ChildProcess::ObeyStopRequests() {}

void ChildProcess::IgnoreBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace Platform
