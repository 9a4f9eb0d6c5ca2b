// Linux's answer to the heap question (contract in HeapUse.h): glibc's
// mallinfo2, or AddressSanitizer's own count in a sanitized build.
#include "platform/HeapUse.h"

#if defined(__SANITIZE_ADDRESS__)
#define HALVENOR_HEAP_FROM_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HALVENOR_HEAP_FROM_SANITIZER 1
#endif
#endif

#ifdef HALVENOR_HEAP_FROM_SANITIZER
// Declared here: GCC does not ship the header that declares it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace Platform {

size_t HeapBytesInUse() {
#ifdef HALVENOR_HEAP_FROM_SANITIZER
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

}  // namespace Platform
