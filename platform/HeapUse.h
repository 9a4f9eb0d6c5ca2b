// The one question the engine asks of the C library's heap: how many bytes
// the process holds on it right now (on Windows the C runtime's heap walk).
//
// Contract: HeapBytesInUse answers the bytes handed out by malloc and new and
// not yet freed, as glibc counts them (mallinfo2), or as AddressSanitizer's
// allocator counts them when the build is sanitized. It is a count for
// bounding what a reader takes (a packed module may unpack to many times its
// size) and for tests that check such bounds, not an exact measure.
#ifndef HALVENOR_PLATFORM_HEAPUSE_H
#define HALVENOR_PLATFORM_HEAPUSE_H

#include <cstddef>

namespace Platform {

size_t HeapBytesInUse();

}  // namespace Platform

#endif
