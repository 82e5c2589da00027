#include "platform/memory.h"

// Any C library header tells which library this is (it defines __GLIBC__).
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

constexpr int kLargeBlockBytes = 256 * 1024;
// Two, so that the window thread and a batch's threads rarely wait for
// each other's allocations (a transfer allocates nothing per chunk).
constexpr int kHeaps = 2;

} // namespace

void KeepLargeBlocksSeparate() {
#if defined(__GLIBC__)
    // A threshold that is set also stays: the library no longer raises it.
    mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes);
#endif
}

void ShareAllocatorHeaps() {
#if defined(__GLIBC__)
    mallopt(M_ARENA_MAX, kHeaps);
#endif
}

void ReleaseFreeMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
