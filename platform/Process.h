// Stands in for the Windows ExitProcess call.
//
// Contract: ExitProcess(status) ends the process with that status as exit()
// does (C streams flushed, atexit handlers run) and never returns.
// Platform::SetExitHandler lets a harness that reads many files in one
// process (the fuzz harnesses, the show checker's reading) take the ending
// over; its handler must not return either (it jumps or throws back to its
// caller). Null restores the default; CurrentExitHandler answers the handler
// in use, so that one taken over for a while can be put back.
#ifndef HALVENOR_PLATFORM_PROCESS_H
#define HALVENOR_PLATFORM_PROCESS_H

[[noreturn]] void ExitProcess(unsigned status);

namespace Platform {

using ExitHandler = void (*)(unsigned status);
void SetExitHandler(ExitHandler handler);
ExitHandler CurrentExitHandler();

}  // namespace Platform

#endif
