// A fresh temporary directory that becomes the working directory for the
// lifetime of the object (the engine reads and writes relative to it), and is
// removed afterwards.
#ifndef HALVENOR_TESTS_SUPPORT_TEMPDIR_H
#define HALVENOR_TESTS_SUPPORT_TEMPDIR_H

#include <csignal>
#include <string>
#include <vector>

namespace TestSupport {

class TempDir {
public:
    explicit TempDir(bool enter = true);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path; }
    std::string File(const std::string& name) const { return path + "/" + name; }

    // Writes bytes to a file below the directory, creating parent directories.
    void Write(const std::string& name, const std::string& contents) const;
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const;

private:
    std::string path;
    std::string previous;
    bool entered;
};

// Runs the halvenor player in dir with extra environment assignments
// ("NAME=value"; "-NAME" removes the variable), sending it stopSignal after killAfterMs (0: never) and
// SIGKILL 20 s later. Shell commands (an xdotool key press, say) run at their times
// while it plays, with the player's process id in $PLAYER_PID. Answers the exit code, or 128 + signal when it was killed.
struct RunResult {
    int exitCode;
    std::string stdoutText;
    std::string stderrText;
    double seconds;
};
struct TimedCommand {
    int atMs;
    std::string shell;
};
RunResult RunPlayer(const std::string& dir, int killAfterMs, const std::string& extraEnv = std::string(),
                    const std::vector<TimedCommand>& commands = {}, int stopSignal = SIGTERM);
// Runs a program (its path, then its arguments) in dir to its end, or kills
// it after limitMs.
RunResult RunProgram(const std::string& dir, const std::vector<std::string>& command,
                     const std::string& extraEnv = std::string(), int limitMs = 80000);

}  // namespace TestSupport

#endif
