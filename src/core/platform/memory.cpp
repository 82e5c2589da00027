#include "platform/memory.h"

// Any C library header tells which library this is (it defines __GLIBC__).
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

constexpr int kLargeBlockBytes = 1024 * 1024;

} // namespace

void KeepLargeBlocksSeparate() {
#if defined(__GLIBC__)
    // A threshold that is set also stays: the library no longer raises it.
    mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes);
#endif
}

void ReleaseFreeMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
