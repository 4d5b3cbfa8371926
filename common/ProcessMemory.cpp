#include "common/ProcessMemory.h"

#include <cstdlib> // defines __GLIBC__ under the GNU C library, which the test below reads

#if defined(__GLIBC__)
#include <malloc.h>
#endif

bool ReturnLargeBlocksWhenFreed() {
#if defined(__GLIBC__)
    // A threshold set here stays put: glibc would otherwise raise it to the largest block
    // freed, and keep every later page image in a heap.
    const bool mapped = mallopt(M_MMAP_THRESHOLD, 256 * 1024) == 1;
    const bool heaps = mallopt(M_ARENA_MAX, 2) == 1;
    return mapped && heaps;
#else
    return false;
#endif
}
