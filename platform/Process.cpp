// Stands in for ExitProcess (contract in Process.h).
#include "platform/Process.h"

#include <cstdlib>

namespace {

Platform::ExitHandler exitHandler = nullptr;

}  // namespace

void ExitProcess(unsigned status) {
    if (exitHandler != nullptr) {
        exitHandler(status);
    }
    std::exit(static_cast<int>(status));
}

namespace Platform {

void SetExitHandler(ExitHandler handler) { exitHandler = handler; }

ExitHandler CurrentExitHandler() { return exitHandler; }

void ThrowEnding(unsigned status) { throw CaughtEnding{status}; }

}  // namespace Platform
