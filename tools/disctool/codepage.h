// The Windows ANSI code pages in which the launcher reads install scripts and the shared
// file: every byte is one character, bytes below 0x80 are ASCII. disctool decodes script text
// from such a code page to UTF-8 for its reports, and encodes names and texts it writes into
// a script back into it.
#pragma once

#include <cstdint>
#include <string>

namespace disctool {

// The code page of a Western European Windows, which disctool assumes unless told otherwise.
inline constexpr int kDefaultCodepage = 1252;

// Whether disctool knows the single-byte code page (1250, 1251, 1252, 1253, 1254, 1257).
bool IsKnownCodepage(int codepage);

// The code page named by text ("1252"), or 0 when text names none disctool knows.
int ParseCodepage(const char* text);

// bytes, read in codepage (a known one), as UTF-8.
std::string DecodeAnsi(const std::string& bytes, int codepage);

// The bytes of the UTF-8 text utf8 in codepage (a known one). False, with *bytes undefined,
// when utf8 is not valid UTF-8 or holds a character the code page has no byte for.
bool EncodeAnsi(const std::string& utf8, int codepage, std::string* bytes);

// The byte of the character code in codepage: code itself below 0x80, else the byte the code
// page maps to it, or -1 when it has none (or codepage is not a known one).
int EncodeCodePoint(std::uint32_t code, int codepage);

// Length of the valid UTF-8 sequence at text[at], or 0.
std::size_t Utf8SequenceLength(const std::string& text, std::size_t at);

// Whether bytes holds characters beyond ASCII, every one of them as a valid UTF-8 sequence of
// two or more bytes: text saved as UTF-8, which an ANSI reader shows as "cafÃ©".
bool LooksLikeUtf8(const std::string& bytes);

}  // namespace disctool
