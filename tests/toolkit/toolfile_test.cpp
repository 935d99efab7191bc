#include "toolkit/toolfile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "tests/toolkit/fixtures.h"
#include "toolkit/toolmem.h"

namespace {

using fixtures::Bytes;

// Bytes 0, 1, 2, ... wrapping at 251 (a prime, so windows of 1 MiB never line up with the
// pattern and a byte from the wrong window shows).
Bytes Pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i % 251);
    return bytes;
}

// Restores the layer's process-wide settings when a test ends.
class ToolfileTest : public ::testing::Test {
protected:
    void TearDown() override {
        TOOLFILE_TraceEnabled = 0;
        TOOLFILE_TraceLevel = 5;
        TOOLFILE_CacheLimit = 0x100000u;
        DEBUG_ToStdout = 0;
    }
    // Turns tracing on at level and starts capturing the lines written to standard output.
    static void StartTrace(int enabled, int level) {
        TOOLFILE_TraceEnabled = enabled;
        TOOLFILE_TraceLevel = level;
        DEBUG_ToStdout = 1;
        ::testing::internal::CaptureStdout();
    }
    static std::string StopTrace() {
        TOOLFILE_TraceEnabled = 0;
        std::string text = ::testing::internal::GetCapturedStdout();
        // Windows consoles may turn line ends into CRLF; compare on plain "\n".
        std::string plain;
        for (char c : text) {
            if (c != '\r') plain += c;
        }
        return plain;
    }
    // Opens path with "rb" under full tracing, fills got in one read, closes, and returns the
    // trace. The open is checked by the caller, after the capture has ended.
    static std::string TracedReadInOneCall(const std::string& path, Bytes& got, bool& opened) {
        StartTrace(1, 5);
        TOOLFILE* file = TOOLFILE_Open(path.c_str(), "rb");
        opened = file != nullptr;
        if (file != nullptr) {
            TOOLFILE_Read(got.data(), static_cast<std::uint32_t>(got.size()), file);
            TOOLFILE_Close(file);
        }
        return StopTrace();
    }
};

// How the layer's "%p" shows a pointer.
std::string PointerText(const void* pointer) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", pointer);
    return text;
}

TEST_F(ToolfileTest, SmallCachedFileIsReadWholeAtOpen) {
    const Bytes data = Pattern(10);
    TOOLFILE* file = TOOLFILE_Open(fixtures::WriteTempFile("ten.bin", data).c_str(), "rb");
    ASSERT_NE(file, nullptr);
    ASSERT_NE(file->cache, nullptr);
    EXPECT_EQ(file->cache->bufferSize, 10u);
    EXPECT_EQ(file->cache->windowStart, 0u);
    EXPECT_EQ(file->cache->windowEnd, 9u);
    EXPECT_EQ(file->cache->nextFill, 10u);
    EXPECT_EQ(TOOLFILE_GetLength(file), 10u);

    std::uint8_t got[10] = {};
    TOOLFILE_Read(got, 4, file);
    EXPECT_EQ(TOOLFILE_Tell(file), 4u);
    EXPECT_EQ(TOOLFILE_IsEOF(file), 0);
    TOOLFILE_Read(got + 4, 5, file);
    EXPECT_EQ(TOOLFILE_IsEOF(file), 0);
    TOOLFILE_Read(got + 9, 1, file);
    EXPECT_EQ(TOOLFILE_IsEOF(file), 1);
    EXPECT_EQ(Bytes(got, got + 10), data);
    EXPECT_EQ(TOOLFILE_GetFlags(file), 0u);
    TOOLFILE_Close(file);
}

TEST_F(ToolfileTest, ModeDecidesCaching) {
    const std::string path = fixtures::WriteTempFile("mode.bin", Pattern(10));
    const struct {
        const char* mode;
        bool cached;
    } cases[] = {{"rb", true}, {"r", false}, {"r+b", false}, {"rb+", false}};
    for (const auto& c : cases) {
        TOOLFILE* file = TOOLFILE_Open(path.c_str(), c.mode);
        ASSERT_NE(file, nullptr) << c.mode;
        EXPECT_EQ(file->cache != nullptr, c.cached) << c.mode;
        EXPECT_STREQ(file->name, path.c_str());
        TOOLFILE_Close(file);
    }
    EXPECT_EQ(TOOLFILE_Open((path + ".missing").c_str(), "rb"), nullptr);
}

// Past the end a cached read delivers what there is, leaves the rest and sets nothing; an
// uncached read reports the short read.
TEST_F(ToolfileTest, ReadingPastTheEnd) {
    const Bytes data = Pattern(10);
    const std::string path = fixtures::WriteTempFile("short.bin", data);
    const struct {
        const char* mode;
        std::uint32_t flags;
    } cases[] = {{"rb", 0u}, {"r+b", TOOLFILE_ERR_READ}};
    for (const auto& c : cases) {
        TOOLFILE* file = TOOLFILE_Open(path.c_str(), c.mode);
        ASSERT_NE(file, nullptr);
        Bytes got(20, 0xEE);
        TOOLFILE_Read(got.data(), 20, file);
        EXPECT_EQ(Bytes(got.begin(), got.begin() + 10), data) << c.mode;
        EXPECT_EQ(Bytes(got.begin() + 10, got.end()), Bytes(10, 0xEE)) << c.mode;
        EXPECT_EQ(TOOLFILE_GetFlags(file), c.flags) << c.mode;
        TOOLFILE_Close(file);
    }
}

// A large read from a small file stops once the file is exhausted instead of spinning through
// tens of thousands of empty passes: the end is met, and traced, once.
TEST_F(ToolfileTest, ReadFarPastTheEndStopsAtTheEnd) {
    const std::string path = fixtures::WriteTempFile("two.bin", Pattern(2));
    Bytes got(0x10000, 0xEE);
    bool opened = false;
    const std::string trace = TracedReadInOneCall(path, got, opened);
    ASSERT_TRUE(opened);
    EXPECT_EQ(got[1], 1);
    EXPECT_EQ(got[2], 0xEE);
    const std::string pastEnd = "CACHE:(" + path + ") Trying to read 0 bytes past end\n";
    const std::size_t first = trace.find(pastEnd);
    EXPECT_NE(first, std::string::npos);
    EXPECT_EQ(trace.find(pastEnd, first + 1), std::string::npos);
}

// Text mode reads straight from the stream, so the end shows only once a read hits it.
TEST_F(ToolfileTest, UncachedEndOfFileIsTheStreamIndicator) {
    TOOLFILE* file = TOOLFILE_Open(fixtures::WriteTempFile("text.txt", Pattern(10)).c_str(), "r");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->cache, nullptr);
    std::uint8_t got[11] = {};
    TOOLFILE_Read(got, 10, file);
    EXPECT_EQ(TOOLFILE_Tell(file), 10u);
    EXPECT_EQ(TOOLFILE_IsEOF(file), 0);
    TOOLFILE_Read(got + 10, 1, file);
    EXPECT_NE(TOOLFILE_IsEOF(file), 0);
    TOOLFILE_Close(file);
}

TEST_F(ToolfileTest, CachedSeeksClampToTheLastByte) {
    constexpr std::uint32_t kLength = 2000;
    const Bytes data = Pattern(kLength);
    const std::string path = fixtures::WriteTempFile("seek.bin", data);
    const struct {
        std::int32_t offset;
        int whence;
        std::uint32_t expected;
    } cases[] = {
        {100, 0, 100},
        {0, 2, kLength - 1},
        {-768, 2, kLength - 768},
        {-5, 0, kLength - 1},
        {kLength, 0, kLength - 1},
        {kLength + 100, 0, kLength - 1},
        {50, 1, 150},
        {-100, 1, 0},
        {-101, 1, kLength - 1},
        {7, 9, kLength - 1},
        {-1, 2, kLength - 1},
        {-2000, 2, 0},
    };
    for (const auto& c : cases) {
        TOOLFILE* file = TOOLFILE_Open(path.c_str(), "rb");
        ASSERT_NE(file, nullptr);
        TOOLFILE_Seek(file, 100, 0);
        TOOLFILE_Seek(file, c.offset, c.whence);
        EXPECT_EQ(TOOLFILE_Tell(file), c.expected) << c.offset << "," << c.whence;
        EXPECT_EQ(TOOLFILE_ReadByte(file), data[c.expected]) << c.offset << "," << c.whence;
        EXPECT_EQ(TOOLFILE_GetFlags(file), 0u);
        TOOLFILE_Close(file);
    }
}

// With a small cache the window follows the seeks: a target inside the window only moves the
// position, one outside refills from the target itself.
TEST_F(ToolfileTest, SeeksRefillOnlyOutsideTheWindow) {
    TOOLFILE_CacheLimit = 16;
    const Bytes data = Pattern(100);
    TOOLFILE* file = TOOLFILE_Open(fixtures::WriteTempFile("window.bin", data).c_str(), "rb");
    ASSERT_NE(file, nullptr);
    ASSERT_NE(file->cache, nullptr);
    EXPECT_EQ(file->cache->bufferSize, 16u);

    TOOLFILE_Seek(file, 50, 0);
    EXPECT_EQ(file->cache->windowStart, 50u);
    EXPECT_EQ(file->cache->windowEnd, 65u);
    const long streamAfterFill = std::ftell(file->stream);
    TOOLFILE_Seek(file, 60, 0);
    TOOLFILE_Seek(file, -8, 1);
    EXPECT_EQ(file->cache->windowStart, 50u);
    EXPECT_EQ(std::ftell(file->stream), streamAfterFill);
    EXPECT_EQ(TOOLFILE_ReadByte(file), data[52]);

    TOOLFILE_Seek(file, -10, 2);  // the last window is shorter than the buffer
    EXPECT_EQ(file->cache->windowStart, 90u);
    EXPECT_EQ(file->cache->windowEnd, 99u);
    std::uint8_t got[16];
    std::memset(got, 0xEE, sizeof got);
    TOOLFILE_Read(got, 16, file);
    EXPECT_EQ(Bytes(got, got + 10), Bytes(data.begin() + 90, data.end()));
    EXPECT_EQ(got[10], 0xEE);
    EXPECT_EQ(TOOLFILE_IsEOF(file), 1);

    TOOLFILE_Seek(file, 3, 0);  // reads across several windows from an odd start
    Bytes all(97);
    TOOLFILE_Read(all.data(), 97, file);
    EXPECT_EQ(all, Bytes(data.begin() + 3, data.end()));
    EXPECT_EQ(TOOLFILE_GetFlags(file), 0u);
    TOOLFILE_Close(file);
}

TEST_F(ToolfileTest, TypedReadsAreBigEndian) {
    Bytes data;
    fixtures::PutBytes(data, {0x12, 0x34, 0x46, 0x4F, 0x52, 0x4D, 0xAB, 0xCD, 0x7F});
    const std::string path = fixtures::WriteTempFile("typed.bin", data);
    for (const char* mode : {"rb", "r+b"}) {
        TOOLFILE* file = TOOLFILE_Open(path.c_str(), mode);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(TOOLFILE_ReadWord(file), 0x1234u) << mode;
        EXPECT_EQ(TOOLFILE_ReadLong(file), 0x464F524Du) << mode;
        EXPECT_EQ(TOOLFILE_ReadWord(file), 0xABCDu) << mode;
        EXPECT_EQ(TOOLFILE_ReadLong(file), 0x7F000000u) << mode;  // missing bytes read as 0
        EXPECT_EQ(TOOLFILE_ReadByte(file), 0u) << mode;
        TOOLFILE_Close(file);
    }
}

TEST_F(ToolfileTest, UncachedSeekFailureIsStickyAndLengthKeepsThePosition) {
    TOOLFILE* file =
        TOOLFILE_Open(fixtures::WriteTempFile("sticky.bin", Pattern(10)).c_str(), "r+b");
    ASSERT_NE(file, nullptr);
    TOOLFILE_Seek(file, 3, 0);
    EXPECT_EQ(TOOLFILE_GetLength(file), 10u);
    EXPECT_EQ(TOOLFILE_Tell(file), 3u);
    EXPECT_EQ(TOOLFILE_GetFlags(file), 0u);
    TOOLFILE_Seek(file, -5, 0);
    EXPECT_EQ(TOOLFILE_GetFlags(file), TOOLFILE_ERR_SEEK);
    TOOLFILE_Seek(file, 0, 0);
    EXPECT_EQ(TOOLFILE_ReadByte(file), 0u);
    EXPECT_EQ(TOOLFILE_GetFlags(file), TOOLFILE_ERR_SEEK);
    TOOLFILE_Close(file);
}

TEST_F(ToolfileTest, ReadAllocRefusesMoreThanRemainsAndNeverHandsOutGarbage) {
    const Bytes data = Pattern(10);
    const std::string path = fixtures::WriteTempFile("alloc.bin", data);
    for (const char* mode : {"rb", "r+b"}) {
        TOOLFILE* file = TOOLFILE_Open(path.c_str(), mode);
        ASSERT_NE(file, nullptr);
        TOOLFILE_Seek(file, 4, 0);
        EXPECT_EQ(TOOLFILE_ReadAlloc(7, file), nullptr) << mode;
        std::uint8_t* got = TOOLFILE_ReadAlloc(6, file);
        ASSERT_NE(got, nullptr) << mode;
        EXPECT_EQ(Bytes(got, got + 6), Bytes(data.begin() + 4, data.end())) << mode;
        TOOLMEM_Free(got);
        TOOLFILE_Close(file);
    }
}

// The length is fixed at open; a file that shrinks afterwards yields zero bytes where its data
// went missing, never stale or uninitialised memory, and reads still reach the end. The
// stream's own buffer may still hold some of the old bytes, so only the boundary is loose.
TEST_F(ToolfileTest, FileShrunkAfterOpenReadsAsZeros) {
    TOOLFILE_CacheLimit = 16;
    constexpr std::uint32_t kSize = 0x10000;
    const std::string path = fixtures::WriteTempFile("shrink.bin", Bytes(kSize, 0xAA));
    TOOLFILE* file = TOOLFILE_Open(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::error_code ec;
    std::filesystem::resize_file(path, 20, ec);
    if (ec) {
        TOOLFILE_Close(file);
        GTEST_SKIP() << "cannot shrink an open file here: " << ec.message();
    }
    std::uint8_t* got = TOOLFILE_ReadAlloc(kSize, file);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(TOOLFILE_IsEOF(file), 1);
    const Bytes bytes(got, got + kSize);
    TOOLMEM_Free(got);
    TOOLFILE_Close(file);
    std::size_t zeros = 0;
    while (zeros < kSize && bytes[zeros] == 0xAA) ++zeros;
    EXPECT_GE(zeros, 20u);
    EXPECT_LE(zeros, kSize - 16);
    EXPECT_EQ(Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(zeros), bytes.end()),
              Bytes(kSize - zeros, 0));
}

// A 3 MiB file read in one call fills three 1 MiB windows and then finds the end.
TEST_F(ToolfileTest, LargeFileIsReadInWindowsAsTheTraceShows) {
    const Bytes data = Pattern(3 * 0x100000);
    const std::string path = fixtures::WriteTempFile("three.bin", data);
    Bytes got(data.size());
    bool opened = false;
    const std::string trace = TracedReadInOneCall(path, got, opened);
    ASSERT_TRUE(opened);
    EXPECT_TRUE(got == data);
    const std::string& name = path;
    const std::string expected =
        "Open(" + name + ",rb)\n" + "Seek(" + name + ",0,2)\n" + "Seek(" + name + ",0,0)\n" +
        "CACHE:READ(" + name + ")[0x00000000 to 0x000fffff]\n" + "Read(" + name + "," +
        PointerText(got.data()) + ",3145728)\n" + "CACHE:READ(" + name +
        ")[0x00100000 to 0x001fffff]\n" + "CACHE:READ(" + name + ")[0x00200000 to 0x002fffff]\n" +
        "CACHE:(" + name + ") Trying to read 0 bytes past end\n" + "Close(" + name + ")\n";
    EXPECT_EQ(trace, expected);
}

// An uncached session that opens, seeks, fails a read and closes writes one line of each
// level; the switch and the level decide which appear.
TEST_F(ToolfileTest, TraceSwitchAndLevelFilterLines) {
    const std::string path = fixtures::WriteTempFile("levels.bin", Pattern(10));
    const struct {
        int enabled;
        int level;
        std::vector<std::string> lines;  // each line up to its "("
    } cases[] = {
        {1, 5, {"Open", "Seek", "Read", "TOOLFILE_SetError", "Close"}},
        {1, 2, {"Open", "Seek", "TOOLFILE_SetError", "Close"}},
        {1, 1, {"Open", "Seek", "Close"}},
        {1, 0, {"Open", "Close"}},
        {1, -1, {}},
        {2, 5, {}},
        {0, 5, {}},
    };
    for (const auto& c : cases) {
        StartTrace(c.enabled, c.level);
        TOOLFILE* file = TOOLFILE_Open(path.c_str(), "r+b");
        if (file != nullptr) {
            TOOLFILE_Seek(file, 4, 0);
            std::uint8_t got[20];
            TOOLFILE_Read(got, sizeof got, file);
            TOOLFILE_Close(file);
        }
        const std::string trace = StopTrace();
        ASSERT_NE(file, nullptr);
        std::vector<std::string> lines;
        for (std::size_t start = 0; start < trace.size();) {
            const std::size_t end = trace.find('\n', start);
            const std::string line = trace.substr(start, end - start);
            lines.push_back(line.substr(0, line.find('(')));
            start = end == std::string::npos ? trace.size() : end + 1;
        }
        EXPECT_EQ(lines, c.lines) << "enabled " << c.enabled << ", level " << c.level;
        if (c.enabled == 1 && c.level == 2) {
            EXPECT_NE(trace.find("TOOLFILE_SetError(" + path + ",0x80000002)\n"),
                      std::string::npos);
        }
    }
}

// Builds a path of exactly length characters for a file in a fresh folder, using
// subfolders so no single name is longer than the file system allows.
std::string PathOfLength(std::size_t length) {
    const std::filesystem::path base =
        std::filesystem::path(fixtures::WriteTempFile("anchor", {})).parent_path();
    std::string path = base.string();
    const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    while (path.size() + 1 < length) {
        const std::size_t room = length - path.size() - 1;
        const std::size_t part = room > 120 ? 100 : room;
        path += separator;
        path += std::string(part, 'n');
        if (path.size() < length) std::filesystem::create_directory(path);
    }
    return path;
}

// The longest name a handle keeps still traces whole, an empty file is harmless however it is
// read, and a longer path is refused instead of being cut.
TEST_F(ToolfileTest, LongestNameAndEmptyFile) {
    const std::string path = PathOfLength(259);
    ASSERT_EQ(path.size(), 259u);
    {
        std::FILE* create = std::fopen(path.c_str(), "wb");
        ASSERT_NE(create, nullptr);
        std::fclose(create);
    }

    StartTrace(1, 5);
    TOOLFILE* file = TOOLFILE_Open(path.c_str(), "rb");
    const std::string trace = StopTrace();
    ASSERT_NE(file, nullptr);
    EXPECT_NE(trace.find("CACHE:(" + path + ") Trying to read 0 bytes past end\n"),
              std::string::npos);
    EXPECT_STREQ(file->name, path.c_str());
    ASSERT_NE(file->cache, nullptr);
    EXPECT_EQ(file->cache->bufferSize, 0u);

    std::uint8_t got[8];
    std::memset(got, 0xEE, sizeof got);
    TOOLFILE_Read(got, sizeof got, file);
    TOOLFILE_Seek(file, 5, 0);
    TOOLFILE_Read(got, sizeof got, file);
    TOOLFILE_Seek(file, -3, 2);
    EXPECT_EQ(TOOLFILE_ReadLong(file), 0u);
    EXPECT_EQ(Bytes(got, got + 8), Bytes(8, 0xEE));
    EXPECT_EQ(TOOLFILE_Tell(file), 0u);
    EXPECT_EQ(TOOLFILE_IsEOF(file), 1);
    EXPECT_EQ(TOOLFILE_GetLength(file), 0u);
    EXPECT_EQ(TOOLFILE_ReadAlloc(1, file), nullptr);
    std::uint8_t* none = TOOLFILE_ReadAlloc(0, file);
    EXPECT_NE(none, nullptr);
    TOOLMEM_Free(none);
    EXPECT_EQ(TOOLFILE_GetFlags(file), 0u);
    TOOLFILE_Close(file);

    // One character more than a handle keeps is refused even when the file is there.
    const std::string tooLong = PathOfLength(260);
    ASSERT_EQ(tooLong.size(), 260u);
    {
        std::FILE* create = std::fopen(tooLong.c_str(), "wb");
        ASSERT_NE(create, nullptr);
        std::fclose(create);
    }
    EXPECT_EQ(TOOLFILE_Open(tooLong.c_str(), "rb"), nullptr);
    EXPECT_EQ(TOOLFILE_Open(std::string(300, 'a').c_str(), "rb"), nullptr);
}

// A file past 4 GiB cannot be described by the layer's 32-bit offsets: the cached open refuses
// it and an uncached handle reports that its length does not fit. The file is sparse.
TEST_F(ToolfileTest, FileOverFourGigabytesIsNotMisread) {
    const std::string path = fixtures::WriteTempFile("huge.bin", Bytes(16, 0x5A));
    std::error_code ec;
    std::filesystem::resize_file(path, 0x100000000ull + 16, ec);
    if (ec) GTEST_SKIP() << "no sparse 4 GiB file here: " << ec.message();
    EXPECT_EQ(TOOLFILE_Open(path.c_str(), "rb"), nullptr);
    TOOLFILE* file = TOOLFILE_Open(path.c_str(), "r+b");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(TOOLFILE_GetLength(file), 0xFFFFFFFFu);
    EXPECT_EQ(TOOLFILE_GetFlags(file), TOOLFILE_ERR_SEEK);
    EXPECT_EQ(TOOLFILE_ReadByte(file), 0x5Au);  // the position was kept at the start
    TOOLFILE_Close(file);
    std::filesystem::resize_file(path, 0, ec);
}

}  // namespace
