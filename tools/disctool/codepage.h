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

// The character that names compare by when case does not count, as Windows compares file
// names (and Joliet names on a disc):
// its simple upper case (U+00E9 gives U+00C9, U+0436 gives U+0416, U+03C2 final sigma gives
// U+03A3), for every letter of the code pages disctool knows. The mappings that would join a
// letter with one of another script or with ASCII are left out, as Windows leaves them out:
// U+0131 dotless i (not I), U+00B5 micro sign (not U+039C), U+017F long s (not S); so is
// U+0130, whose upper case is itself. Other characters are themselves.
std::uint32_t FoldCodePoint(std::uint32_t code);

// UTF-8 text with every character folded by FoldCodePoint; bytes that start no valid sequence
// stay as they are.
std::string FoldCase(const std::string& utf8);

// Appends the character code (below 0x110000) to out as UTF-8.
void AppendUtf8(std::uint32_t code, std::string* out);

// Length of the valid UTF-8 sequence at text[at], or 0.
std::size_t Utf8SequenceLength(const std::string& text, std::size_t at);

// Whether bytes holds characters beyond ASCII, every one of them as a valid UTF-8 sequence of
// two or more bytes: text saved as UTF-8, which an ANSI reader shows as "cafÃ©".
bool LooksLikeUtf8(const std::string& bytes);

}  // namespace disctool
