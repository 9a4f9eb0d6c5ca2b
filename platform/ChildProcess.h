// Stands in for CreateProcess with a pipe on the child's standard error: a
// program that runs several copies of a program side by side and follows
// what each one says; and for CreateProcess with a pipe on its standard
// input, for a program fed with data (an encoder).
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
// StartWithInput(argv) runs argv[0] with the parent's environment, standard
// input from a pipe that WriteInput fills and CloseInput ends, standard
// output and error shared with the parent, in the parent's process group (a
// Ctrl-C at the terminal reaches both). WriteInput is false once the child
// no longer reads.
//
// WaitForText waits at most timeoutMs until any of the children has text (or
// its end) to read. ReadLines hands on the complete lines read so far, without
// their line ends (a line is cut at kMaxLine bytes); false once the pipe is at
// its end and every line has been handed on. Stop asks the child to end
// (SIGTERM); Kill ends it (SIGKILL). Wait reaps it and answers its exit
// status, 128 + the signal when a signal ended it; PeakKilobytes then answers
// the most memory it held at once (its resident set).
//
// RunToEnd runs a program to its end, in another working directory unless
// directory is empty, with its standard output discarded when asked; its
// exit status, -1 when it cannot start.
//
// OwnProgram answers the file of the running program, for starting copies
// of it. DisplayServer answers the X server program (Xvfb) to start for each
// child when children need a display of their own: on Linux when there is no
// DISPLAY and Xvfb is installed; otherwise empty.
//
// CatchInterrupts makes Ctrl-C (SIGINT) and SIGTERM set a flag that
// Interrupted answers, instead of ending the parent. ObeyStopRequests, called
// early by a program started with Start, lets Stop reach it as a request to
// quit (SIGINT). IgnoreBrokenPipes makes a write to a pipe whose reader has
// gone fail instead of ending the process (SIGPIPE).
//
// On Linux these are fork, execve, pipes, poll and signals. On Windows:
// CreateProcess with anonymous pipes (PeekNamedPipe to wait for text, in
// steps), a job object that ends the children with the parent,
// CREATE_NEW_PROCESS_GROUP for Start, WaitForSingleObject, GetExitCodeProcess,
// TerminateProcess for Kill, the peak working set for PeakKilobytes, and
// GetModuleFileName. Stop sets a named event the child waits on after
// ObeyStopRequests (Windows has no SIGTERM), which raises SIGINT in it; a
// console control handler stands in for the signals of CatchInterrupts; no
// child needs a display of its own, and there is no SIGPIPE to ignore.
#ifndef HALVENOR_PLATFORM_CHILDPROCESS_H
#define HALVENOR_PLATFORM_CHILDPROCESS_H

#include <cstddef>
#include <cstdint>
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
    bool Running() const { return process != kNone; }

    bool StartWithInput(const std::vector<std::string>& argv, std::string& error);
    bool WriteInput(const void* bytes, size_t size);
    void CloseInput();

    static void WaitForText(const std::vector<ChildProcess*>& children, int timeoutMs);
    bool ReadLines(std::vector<std::string>& lines);

    void Stop();
    void Kill();
    int Wait();
    long PeakKilobytes() const { return peakKilobytes; }

    static int RunToEnd(const std::vector<std::string>& argv, const std::string& directory, bool discardOutput);
    static std::string OwnProgram();
    static std::string DisplayServer();
    static void CatchInterrupts();
    static bool Interrupted();
    static void ObeyStopRequests();
    static void IgnoreBrokenPipes();

private:
    // The port's handles: a process id and descriptors on Linux, HANDLEs on
    // Windows; kNone where there is none.
    static constexpr intptr_t kNone = -1;
    intptr_t process = kNone;
    intptr_t errorPipe = kNone;
    intptr_t inputPipe = kNone;
    intptr_t stopEvent = kNone;
    long peakKilobytes = 0;
    std::string partial;
};

}  // namespace Platform

#endif
