// Stands in for the Windows GUI entry point.
//
// Contract: the program takes no arguments and reads no environment; main
// ignores what it is given and runs the engine's entry, whose result is the
// process exit code.
#include "core/Application.h"

int main(int /*argc*/, char** /*argv*/) {
    return Application::Run();
}
