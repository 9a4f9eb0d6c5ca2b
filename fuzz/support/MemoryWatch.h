// The heap bytes a fuzz run holds at its peak, counted through the
// sanitizer's allocation hooks (every allocation of the process, libraries
// included).
#ifndef HALVENOR_FUZZ_SUPPORT_MEMORYWATCH_H
#define HALVENOR_FUZZ_SUPPORT_MEMORYWATCH_H

#include <cstddef>

class MemoryWatch {
public:
    // Installs the hooks; once per process.
    static void Install();
    // The peak starts again from what is held now.
    static void Restart();
    // The most held since Restart, beyond what was held then.
    static size_t PeakGrowth();
};

#endif
