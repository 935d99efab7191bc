#include "toolkit/toolread.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/fixtures.h"

namespace {

using fixtures::Bytes;

Bytes Counting(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i);
    return bytes;
}

// Whatever the buffer's size, the reader delivers exactly the stretch from the file's
// position, across refills, mixing single bytes, copies and steps over; then it ends without
// reading past the stretch, though the file goes on.
TEST(ToolRead, DeliversExactlyTheStretchWhateverTheBufferSize) {
    const Bytes data = Counting(100);
    const std::string path = fixtures::WriteTempFile("stretch.bin", data);
    for (const std::uint32_t capacity : {1u, 3u, 7u, 64u, 200u}) {
        TOOLFILE* file = TOOLFILE_Open(path.c_str(), "rb");
        ASSERT_NE(file, nullptr);
        TOOLFILE_Seek(file, 10, 0);
        std::vector<std::uint8_t> buffer(capacity);
        TOOLREAD reader = TOOLREAD_Start(file, buffer.data(), capacity, 50);

        std::uint8_t first = 0;
        ASSERT_TRUE(TOOLREAD_GetByte(&reader, &first)) << capacity;
        EXPECT_EQ(first, 10) << capacity;
        Bytes copied(20, 0xEE);
        ASSERT_TRUE(TOOLREAD_Take(&reader, copied.data(), 20)) << capacity;
        EXPECT_EQ(copied, Bytes(data.begin() + 11, data.begin() + 31)) << capacity;
        ASSERT_TRUE(TOOLREAD_Take(&reader, nullptr, 28)) << capacity;
        std::uint8_t last = 0;
        ASSERT_TRUE(TOOLREAD_GetByte(&reader, &last)) << capacity;
        EXPECT_EQ(last, 59) << capacity;

        std::uint8_t beyond = 0xEE;
        EXPECT_FALSE(TOOLREAD_GetByte(&reader, &beyond)) << capacity;
        EXPECT_EQ(beyond, 0xEE) << capacity;
        EXPECT_FALSE(reader.failed) << capacity;
        EXPECT_EQ(TOOLFILE_Tell(file), 60u) << capacity;
        TOOLFILE_Close(file);
    }
}

// A copy that the stretch cannot complete delivers what there is and reports the end.
TEST(ToolRead, TakePastTheStretchCopiesWhatThereIs) {
    const Bytes data = Counting(10);
    TOOLFILE* file = TOOLFILE_Open(fixtures::WriteTempFile("take.bin", data).c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::uint8_t buffer[4];
    TOOLREAD reader = TOOLREAD_Start(file, buffer, sizeof buffer, 6);
    Bytes copied(8, 0xEE);
    EXPECT_FALSE(TOOLREAD_Take(&reader, copied.data(), 8));
    EXPECT_EQ(copied, (Bytes{0, 1, 2, 3, 4, 5, 0xEE, 0xEE}));
    EXPECT_FALSE(reader.failed);
    TOOLFILE_Close(file);
}

// A read that sets an error bit ends the stretch as failed; a bit set before the reader
// started does not.
TEST(ToolRead, AReadErrorEndsTheStretchAsFailed) {
    const std::string path = fixtures::WriteTempFile("error.bin", Counting(10));
    // An uncached handle reports a short read: the stretch claims more than the file has.
    TOOLFILE* file = TOOLFILE_Open(path.c_str(), "r+b");
    ASSERT_NE(file, nullptr);
    std::uint8_t buffer[16];
    TOOLREAD reader = TOOLREAD_Start(file, buffer, sizeof buffer, 16);
    std::uint8_t value = 0;
    EXPECT_FALSE(TOOLREAD_GetByte(&reader, &value));
    EXPECT_TRUE(reader.failed);
    EXPECT_FALSE(TOOLREAD_Take(&reader, nullptr, 1));
    TOOLFILE_Close(file);

    file = TOOLFILE_Open(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    TOOLFILE_SetError(file, TOOLFILE_ERR_SEEK);
    reader = TOOLREAD_Start(file, buffer, sizeof buffer, 10);
    Bytes copied(10);
    EXPECT_TRUE(TOOLREAD_Take(&reader, copied.data(), 10));
    EXPECT_EQ(copied, Counting(10));
    EXPECT_FALSE(reader.failed);
    TOOLFILE_Close(file);
}

}  // namespace
