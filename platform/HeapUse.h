// The one question the engine asks of the C library's heap: how many bytes
// the process holds on it right now.
//
// Contract: HeapBytesInUse answers the bytes handed out by malloc and new and
// not yet freed. On Linux, as glibc counts them (mallinfo2), or as
// AddressSanitizer's allocator counts them when the build is sanitized. On
// Windows, the blocks in use of every heap of the process (GetProcessHeaps
// and HeapWalk), so that a DLL's allocations count too; it costs a walk over
// the blocks, which the engine asks for only around loading a module. It is
// a count for
// bounding what a reader takes (a packed module may unpack to many times its
// size) and for tests that check such bounds, not an exact measure.
#ifndef HALVENOR_PLATFORM_HEAPUSE_H
#define HALVENOR_PLATFORM_HEAPUSE_H

#include <cstddef>

namespace Platform {

size_t HeapBytesInUse();

}  // namespace Platform

#endif
