// Stands in for CreateProcess with a pipe on the child's standard error: a
// program that runs several copies of a program side by side and follows
// what each one says.
//
// Contract: Start(argv, env) runs the program argv[0] (a path) with those
// arguments and the parent's environment plus the NAME=value assignments of
// env, standard input from the null device, standard output shared with the
// parent and standard error on a pipe the parent reads; false with a message
// when it cannot be started. The child starts with the default handling of
// Ctrl-C and termination whatever the parent ignores, in a process group of
// its own (a Ctrl-C at the terminal reaches the parent alone, which decides
// how each child ends), and is terminated when the parent dies.
//
// WaitForText waits at most timeoutMs until any of the children has text (or
// its end) to read. ReadLines hands on the complete lines read so far, without
// their line ends (a line is cut at kMaxLine bytes); false once the pipe is at
// its end and every line has been handed on. Stop asks the child to end
// (SIGTERM); Kill ends it (SIGKILL). Wait reaps it and answers its exit
// status, 128 + the signal when a signal ended it; PeakKilobytes then answers
// the most memory it held at once (its resident set).
//
// OwnProgram answers the file of the running program, for starting copies
// of it.
//
// CatchInterrupts makes Ctrl-C (SIGINT) and SIGTERM set a flag that
// Interrupted answers, instead of ending the parent.
#ifndef HALVENOR_PLATFORM_CHILDPROCESS_H
#define HALVENOR_PLATFORM_CHILDPROCESS_H

#include <string>
#include <vector>

namespace Platform {

class ChildProcess {
public:
    static constexpr size_t kMaxLine = 4096;

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& env, std::string& error);
    bool Running() const { return pid > 0; }

    static void WaitForText(const std::vector<ChildProcess*>& children, int timeoutMs);
    bool ReadLines(std::vector<std::string>& lines);

    void Stop();
    void Kill();
    int Wait();
    long PeakKilobytes() const { return peakKilobytes; }

    static std::string OwnProgram();
    static void CatchInterrupts();
    static bool Interrupted();

private:
    int pid = -1;
    int errorPipe = -1;
    long peakKilobytes = 0;
    std::string partial;
};

}  // namespace Platform

#endif
