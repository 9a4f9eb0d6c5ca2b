#include "tests/support/TempDir.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace TestSupport {

TempDir::TempDir(bool enter) : entered(enter) {
    char pattern[] = "/tmp/halvenor-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    path = made != nullptr ? made : "/tmp";
    char cwd[4096];
    previous = getcwd(cwd, sizeof cwd) != nullptr ? cwd : "/";
    if (entered && chdir(path.c_str()) != 0) {
        entered = false;
    }
}

TempDir::~TempDir() {
    if (entered && chdir(previous.c_str()) != 0) {
        std::perror("chdir");
    }
    const std::string command = "rm -rf '" + path + "'";
    if (path.rfind("/tmp/halvenor-test-", 0) == 0 && std::system(command.c_str()) != 0) {
        std::perror("rm");
    }
}

void TempDir::Write(const std::string& name, const std::string& contents) const {
    const std::string full = File(name);
    for (size_t slash = full.find('/', path.size() + 1); slash != std::string::npos;
         slash = full.find('/', slash + 1)) {
        mkdir(full.substr(0, slash).c_str(), 0755);
    }
    std::ofstream out(full, std::ios::binary);
    out << contents;
}

std::string TempDir::Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool TempDir::Exists(const std::string& name) const {
    struct stat info {};
    return stat(File(name).c_str(), &info) == 0;
}

namespace {

std::string Slurp(int fd) {
    std::string text;
    char chunk[4096];
    ssize_t got = 0;
    while ((got = read(fd, chunk, sizeof chunk)) > 0) {
        text.append(chunk, static_cast<size_t>(got));
    }
    return text;
}

}  // namespace

namespace {

RunResult Run(const std::string& dir, const std::vector<std::string>& command, int killAfterMs,
              const std::string& extraEnv, const std::vector<TimedCommand>& commands, int stopSignal,
              int limitMs) {
    RunResult result{-1, "", "", 0.0};
    char outName[] = "/tmp/halvenor-out-XXXXXX";
    char errName[] = "/tmp/halvenor-err-XXXXXX";
    const int outFd = mkstemp(outName);
    const int errFd = mkstemp(errName);
    const auto begin = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(outFd, 1);
        dup2(errFd, 2);
        if (chdir(dir.c_str()) != 0) {
            _exit(126);
        }
        // The sanitizer suite gives the player its own sanitizer settings:
        // the OpenGL driver that SDL unloads at exit leaves leaks that no
        // longer name their library.
        if (const char* playerOptions = std::getenv("HALVENOR_PLAYER_ASAN_OPTIONS")) {
            setenv("ASAN_OPTIONS", playerOptions, 1);
        }
        std::istringstream assignments(extraEnv);
        std::string assignment;
        while (assignments >> assignment) {
            if (assignment[0] == '-') {
                unsetenv(assignment.c_str() + 1);
            } else {
                putenv(strdup(assignment.c_str()));
            }
        }
        std::vector<char*> arguments;
        for (const std::string& word : command) {
            arguments.push_back(strdup(word.c_str()));
        }
        arguments.push_back(nullptr);
        execv(arguments[0], arguments.data());
        _exit(127);
    }
    int status = 0;
    bool terminated = false;
    size_t nextCommand = 0;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) {
            break;
        }
        const double elapsed =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
        if (nextCommand < commands.size() && elapsed >= commands[nextCommand].atMs) {
            // The command finds the player's own window by its process.
            setenv("PLAYER_PID", std::to_string(child).c_str(), 1);
            if (std::system(commands[nextCommand].shell.c_str()) != 0) {
                std::fprintf(stderr, "RunPlayer: command failed: %s\n", commands[nextCommand].shell.c_str());
            }
            ++nextCommand;
        }
        if (killAfterMs > 0 && !terminated && elapsed >= killAfterMs) {
            kill(child, stopSignal);
            terminated = true;
        }
        if (elapsed >= limitMs) {
            kill(child, SIGKILL);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.exitCode = 128 + WTERMSIG(status);
    }
    lseek(outFd, 0, SEEK_SET);
    lseek(errFd, 0, SEEK_SET);
    result.stdoutText = Slurp(outFd);
    result.stderrText = Slurp(errFd);
    close(outFd);
    close(errFd);
    unlink(outName);
    unlink(errName);
    return result;
}

}  // namespace

RunResult RunPlayer(const std::string& dir, int killAfterMs, const std::string& extraEnv,
                    const std::vector<TimedCommand>& commands, int stopSignal) {
    const int limitMs = (killAfterMs > 0 ? killAfterMs : 60000) + 20000;
    return Run(dir, {HALVENOR_BINARY}, killAfterMs, extraEnv, commands, stopSignal, limitMs);
}

RunResult RunProgram(const std::string& dir, const std::vector<std::string>& command, const std::string& extraEnv,
                     int limitMs) {
    return Run(dir, command, 0, extraEnv, {}, SIGTERM, limitMs);
}

}  // namespace TestSupport
