#include "fuzz/support/MemoryWatch.h"

#include <sanitizer/allocator_interface.h>

#include <atomic>

namespace {

// Signed: a block allocated before the hooks were installed may be freed
// after, taking the count below where it started.
std::atomic<long long> held{0};
std::atomic<long long> peak{0};
std::atomic<long long> base{0};

void OnMalloc(const volatile void* /*address*/, size_t size) {
    const long long bytes = static_cast<long long>(size);
    const long long now = held.fetch_add(bytes, std::memory_order_relaxed) + bytes;
    long long highest = peak.load(std::memory_order_relaxed);
    while (now > highest && !peak.compare_exchange_weak(highest, now, std::memory_order_relaxed)) {
    }
}

void OnFree(const volatile void* address) {
    const void* block = const_cast<const void*>(address);
    if (block != nullptr && __sanitizer_get_ownership(block)) {
        held.fetch_sub(static_cast<long long>(__sanitizer_get_allocated_size(block)), std::memory_order_relaxed);
    }
}

}  // namespace

void MemoryWatch::Install() { __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree); }

void MemoryWatch::Restart() {
    const long long now = held.load(std::memory_order_relaxed);
    base.store(now, std::memory_order_relaxed);
    peak.store(now, std::memory_order_relaxed);
}

size_t MemoryWatch::PeakGrowth() {
    const long long highest = peak.load(std::memory_order_relaxed);
    const long long start = base.load(std::memory_order_relaxed);
    return highest > start ? static_cast<size_t>(highest - start) : 0;
}
