// Small helpers shared by the toolkit tests: byte buffers built in code and written to
// temporary files, so every fixture is visible in the test that uses it.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/testbytes.h"
#include "toolkit/toolfile.h"
#include "toolkit/toolread.h"

namespace fixtures {

using Bytes = std::vector<std::uint8_t>;

// Writes bytes to a new file in the test's temporary folder and returns its path. The
// name keeps its extension, so loaders chosen by extension see it. Files are removed when
// the test program ends.
std::string WriteTempFile(const std::string& name, const Bytes& bytes);

// Appenders for building files byte by byte.
using testbytes::PutBE16;
using testbytes::PutBE32;
using testbytes::PutLE16;
using testbytes::PutLE32;
void PutTag(Bytes& out, const char* fourCharacters);
void PutBytes(Bytes& out, std::initializer_list<std::uint8_t> bytes);

// FNV-1a over a byte range, for golden tables of decoded pixels.
std::uint32_t Hash(const std::uint8_t* data, std::size_t size);

// A file a loader must refuse, and the reason it must give; gtest names the case by name.
struct RefusedCase {
    const char* name;
    Bytes file;
    const char* reason;
};

inline void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

// A reader over the whole file at path through a buffer of capacity bytes.
struct FileReader {
    TOOLFILE* file;
    std::vector<std::uint8_t> buffer;
    TOOLREAD reader;

    FileReader(const std::string& path, std::uint32_t capacity)
        : file(TOOLFILE_Open(path.c_str(), "rb")), buffer(capacity) {
        reader = TOOLREAD_Start(file, buffer.data(), capacity, file ? TOOLFILE_GetLength(file) : 0);
    }
    ~FileReader() {
        if (file) TOOLFILE_Close(file);
    }
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
};

}  // namespace fixtures
