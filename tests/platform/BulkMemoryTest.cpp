#include "platform/BulkMemory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>

TEST(BulkMemoryTest, EveryByteOfSmallAndLargeArraysIsUsable) {
    // Either side of the size from which arrays are mapped in large pages.
    for (size_t size :
         {size_t(0), size_t(1), size_t(4u << 20) - 1, size_t(4u << 20), size_t(9u << 20) + 3}) {
        unsigned char* bytes = platform::allocateBulk(size);
        ASSERT_NE(bytes, nullptr) << size;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(bytes) % 16, 0u) << size;
        for (size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<unsigned char>(i * 31);
        }
        size_t wrong = 0;
        for (size_t i = 0; i < size; ++i) {
            wrong += bytes[i] != static_cast<unsigned char>(i * 31);
        }
        EXPECT_EQ(wrong, 0u) << size;
        platform::releaseBulk(bytes);
    }
    platform::releaseBulk(nullptr);
}

TEST(BulkMemoryTest, SizesThatCannotBeHadThrow) {
    EXPECT_THROW(platform::allocateBulk(SIZE_MAX), std::bad_alloc);
    EXPECT_THROW(platform::allocateBulk(SIZE_MAX - 100), std::bad_alloc);
}
