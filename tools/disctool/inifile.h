// Reading INI files (install scripts, the shared installed-products file) by the rules the
// launcher's platform profile functions follow: section and key names compare without regard
// to case, the first occurrence of a key wins (also across repeated sections of one name),
// surrounding quotes are removed from values, and integers are read as decimal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace disctool {

struct IniEntry {
    std::string key;
    std::string value;  // trimmed, quotes not yet removed
    int line;           // 1-based line number in the file
};

struct IniSection {
    std::string name;
    std::vector<IniEntry> entries;
};

struct IniFile {
    std::vector<IniSection> sections;  // in file order; a repeated name stays a second record
    bool hadByteOrderMark = false;     // a UTF-8 byte order mark was skipped
    int codepage = 0;                  // ini::GetString decodes values from this ANSI code
                                       // page to UTF-8; 0 leaves them as bytes
};

namespace ini {

// The largest INI file read; a script or shared file is a few kilobytes, and this keeps a
// stray huge file from taking all memory.
inline constexpr std::uintmax_t kMaxBytes = 16u * 1024u * 1024u;

// Parses INI text. Lines are "[section]", "key=value", "key" (a key without a value) or
// comments starting with ';'; white space around names and values is dropped.
IniFile Parse(const std::string& text);

// Reads and parses the file at path. Returns an empty optional when it cannot be read (or
// is larger than kMaxBytes), with *reason set.
std::optional<IniFile> Load(const std::string& path, std::string* reason);

// ASCII case-insensitive equality, as profile names compare.
bool SameName(const std::string& a, const std::string& b);

// The first entry of key in the sections named section, or null.
const IniEntry* Find(const IniFile& file, const std::string& section, const std::string& key);

// The value of key with surrounding matching quotes removed and cut to at most maxChars
// characters, as read into a buffer of maxChars + 1 bytes; empty when missing. *cut (when
// not null) tells whether characters were cut off. The value is cut as bytes, then decoded
// from the file's code page when it has one.
std::string GetString(const IniFile& file, const std::string& section, const std::string& key,
                      std::size_t maxChars, bool* cut = nullptr);

// The profile-integer reading of a value: an optional sign and the leading decimal digits,
// wrapping at 32 bits; no digits give 0.
std::int32_t ParseInt(const std::string& value);

// The integer value of key, or fallback when the key is missing or its value empty.
std::int32_t GetInt(const IniFile& file, const std::string& section, const std::string& key,
                    std::int32_t fallback);

}  // namespace ini

}  // namespace disctool
