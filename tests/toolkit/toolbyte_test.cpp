#include "toolkit/toolbyte.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// Byte order, and no sign extension from bytes with the top bit set.
TEST(ToolByte, ReadsEachByteOrder) {
    const std::uint8_t counting[8] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    const std::uint8_t high[8] = {0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8};
    EXPECT_EQ(TOOLBYTE_GetLE16(counting), 0x0201u);
    EXPECT_EQ(TOOLBYTE_GetLE32(counting), 0x04030201u);
    EXPECT_EQ(TOOLBYTE_GetBE32(counting), 0x01020304u);
    EXPECT_EQ(TOOLBYTE_GetLE64(counting), 0x0807060504030201u);
    EXPECT_EQ(TOOLBYTE_GetLE16(high), 0xF2F1u);
    EXPECT_EQ(TOOLBYTE_GetLE32(high), 0xF4F3F2F1u);
    EXPECT_EQ(TOOLBYTE_GetBE32(high), 0xF1F2F3F4u);
    EXPECT_EQ(TOOLBYTE_GetLE64(high), 0xF8F7F6F5F4F3F2F1u);
}

// Every length a run can have: exactly its n bytes change, the bytes around them do not,
// and a copy keeps the order of its source.
TEST(ToolByte, RunsWriteExactlyTheirLength) {
    constexpr std::size_t kGuard = 20;
    std::vector<std::uint8_t> source(64);
    for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<std::uint8_t>(i + 1);
    for (std::size_t n = 1; n <= 64; ++n) {
        std::vector<std::uint8_t> filled(n + 2 * kGuard, 0xEE);
        std::vector<std::uint8_t> copied = filled;
        TOOLBYTE_FillRun(filled.data() + kGuard, 0x5A, n);
        TOOLBYTE_CopyRun(copied.data() + kGuard, source.data(), n);
        for (std::size_t i = 0; i < filled.size(); ++i) {
            const bool inside = i >= kGuard && i < kGuard + n;
            ASSERT_EQ(filled[i], inside ? 0x5A : 0xEE) << "fill of " << n << ", byte " << i;
            ASSERT_EQ(copied[i], inside ? source[i - kGuard] : 0xEE)
                << "copy of " << n << ", byte " << i;
        }
    }
}

}  // namespace
