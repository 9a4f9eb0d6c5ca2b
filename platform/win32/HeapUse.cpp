// Stands in for glibc's heap count on Windows (contract in HeapUse.h): walks
// every heap of the process with HeapWalk and adds up the blocks in use. The
// C runtime's malloc and new, and those of the DLLs (libopenmpt), all take
// their blocks from these heaps, whichever runtime each was built with.
#include "platform/HeapUse.h"

#include <windows.h>

namespace {

// A process has a handful of heaps; more than this are not walked.
constexpr DWORD kMaxHeaps = 64;

size_t BytesInUse(HANDLE heap) {
    if (!::HeapLock(heap)) {
        return 0;
    }
    size_t bytes = 0;
    PROCESS_HEAP_ENTRY entry{};
    entry.lpData = nullptr;
    while (::HeapWalk(heap, &entry)) {
        if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) {
            bytes += entry.cbData;
        }
    }
    ::HeapUnlock(heap);
    return bytes;
}

}  // namespace

namespace Platform {

size_t HeapBytesInUse() {
    HANDLE heaps[kMaxHeaps];
    const DWORD count = ::GetProcessHeaps(kMaxHeaps, heaps);
    size_t bytes = 0;
    for (DWORD i = 0; i < count && i < kMaxHeaps; ++i) {
        bytes += BytesInUse(heaps[i]);
    }
    return bytes;
}

}  // namespace Platform
