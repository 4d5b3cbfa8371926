#include "common/MemoryReuse.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void KeepFreedMemoryForReuse() {
#if defined(__GLIBC__)
    // Blocks up to 64 MB come from the heap, and up to 256 MB of free heap is kept.
    mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
}
