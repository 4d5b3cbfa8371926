// The memory settings take: a large block is mapped for itself even after a larger one was
// freed (which would otherwise move glibc's threshold above it).
#include "common/ProcessMemory.h"

#include <cstdlib>
#include <gtest/gtest.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

TEST(ProcessMemory, LargeBlocksStayMappedForThemselves) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer has an allocator of its own";
#elif defined(__GLIBC__)
    ASSERT_TRUE(ReturnLargeBlocksWhenFreed());
    void* page = std::malloc(20 << 20);
    ASSERT_NE(page, nullptr);
    static_cast<char*>(page)[0] = 1;
    std::free(page);
    const size_t before = mallinfo2().hblkhd;
    void* block = std::malloc(1 << 20);
    ASSERT_NE(block, nullptr);
    EXPECT_GE(mallinfo2().hblkhd, before + (1 << 20));
    std::free(block);
#else
    EXPECT_FALSE(ReturnLargeBlocksWhenFreed());
#endif
}
