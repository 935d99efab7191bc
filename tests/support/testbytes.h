// Byte writers and random rows for the tests, the benchmarks and the fuzz seeds: files are
// built in code byte by byte, in the byte order their format names, and random data comes
// from one seeded engine, so a failing case can be run again as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace testbytes {

using Bytes = std::vector<std::uint8_t>;

// Appends the low 16 or 32 bits of value, least significant byte first.
inline void PutLE16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void PutLE32(Bytes& out, std::uint32_t value) {
    PutLE16(out, value & 0xFFFFu);
    PutLE16(out, value >> 16);
}

// Appends the low 16 or 32 bits of value, most significant byte first.
inline void PutBE16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}
inline void PutBE32(Bytes& out, std::uint32_t value) {
    PutBE16(out, value >> 16);
    PutBE16(out, value & 0xFFFFu);
}

// Overwrites out[at .. at + 2) or out[at .. at + 4), which must exist, with the low bits of
// value, least significant byte first.
inline void SetLE16(Bytes& out, std::size_t at, std::uint32_t value) {
    out.at(at) = static_cast<std::uint8_t>(value);
    out.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
}
inline void SetLE32(Bytes& out, std::size_t at, std::uint32_t value) {
    SetLE16(out, at, value & 0xFFFFu);
    SetLE16(out, at + 2, value >> 16);
}

// Random numbers and rows of random bytes from one engine: the same seed gives the same
// sequence on every run.
class RandomRows {
public:
    explicit RandomRows(std::uint32_t seed) : m_engine(seed) {}

    // A number from low to high, both included.
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_engine); }

    // count bytes, each any value.
    Bytes Row(std::size_t count) {
        Bytes row(count);
        for (std::uint8_t& b : row) b = static_cast<std::uint8_t>(Pick(0, 255));
        return row;
    }

private:
    std::mt19937 m_engine;
};

}  // namespace testbytes
