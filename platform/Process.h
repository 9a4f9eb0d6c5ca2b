// Stands in for the Windows ExitProcess call.
//
// Contract: ExitProcess(status) ends the process with that status as exit()
// does (C streams flushed, atexit handlers run) and never returns. The same
// code on every port: on Windows too it ends through the C runtime's exit
// (which ends with the system's ExitProcess), so that the log is flushed and
// the exit codes are Linux's; being a C++ function it never clashes with the
// system's own.
// Platform::SetExitHandler lets a harness that reads many files in one
// process (the fuzz harnesses) take the ending over; its handler must not
// return either (it jumps or throws back to its caller). Null restores the
// default; CurrentExitHandler answers the handler in use.
//
// RunCatchingEndings(body, &status) runs body with the endings taken over: an
// ExitProcess inside it unwinds body (destructors run) and comes back as a
// false answer with the status, instead of ending the process; the handler in
// place before is put back either way. The show checker reads a show through
// it, so that a file that would end the player is a finding, and a player
// that reads a changed show while it plays goes on playing.
#ifndef HALVENOR_PLATFORM_PROCESS_H
#define HALVENOR_PLATFORM_PROCESS_H

[[noreturn]] void ExitProcess(unsigned status);

namespace Platform {

using ExitHandler = void (*)(unsigned status);
void SetExitHandler(ExitHandler handler);
ExitHandler CurrentExitHandler();

// What an ending carries back through RunCatchingEndings.
struct CaughtEnding {
    unsigned status;
};
[[noreturn]] void ThrowEnding(unsigned status);

template <typename Body>
bool RunCatchingEndings(Body body, unsigned* status) {
    const ExitHandler previous = CurrentExitHandler();
    SetExitHandler(ThrowEnding);
    try {
        body();
    } catch (const CaughtEnding& ending) {
        SetExitHandler(previous);
        if (status != nullptr) {
            *status = ending.status;
        }
        return false;
    } catch (...) {
        SetExitHandler(previous);
        throw;
    }
    SetExitHandler(previous);
    return true;
}

}  // namespace Platform

#endif
