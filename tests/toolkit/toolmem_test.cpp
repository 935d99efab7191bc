#include "toolkit/toolmem.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>

namespace {

TEST(ToolMem, AllocIsZeroFilledAndWritable) {
    auto* block = static_cast<std::uint8_t*>(TOOLMEM_Alloc(100, 3));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 300; ++i) ASSERT_EQ(block[i], 0) << i;
    std::memset(block, 0xAB, 300);  // the sanitizers check that all of it is ours
    TOOLMEM_Free(block);
}

TEST(ToolMem, ZeroBytesGiveAOneByteBlock) {
    void* const blocks[] = {TOOLMEM_Alloc(0, 8), TOOLMEM_Alloc(8, 0), TOOLMEM_AllocRaw(0)};
    for (void* block : blocks) {
        ASSERT_NE(block, nullptr);
        *static_cast<std::uint8_t*>(block) = 1;
        TOOLMEM_Free(block);
    }
}

TEST(ToolMem, OverflowingProductIsRefused) {
    constexpr std::size_t max = std::numeric_limits<std::size_t>::max();
    EXPECT_EQ(TOOLMEM_Alloc(max, 2), nullptr);
    EXPECT_EQ(TOOLMEM_Alloc(max / 16 + 1, 16), nullptr);
    EXPECT_EQ(TOOLMEM_Alloc(2, max / 2 + 1), nullptr);
}

TEST(ToolMem, RawBlockAndNullFree) {
    auto* block = static_cast<std::uint8_t*>(TOOLMEM_AllocRaw(64));
    ASSERT_NE(block, nullptr);
    std::memset(block, 7, 64);
    TOOLMEM_Free(block);
    TOOLMEM_Free(nullptr);
}

}  // namespace
