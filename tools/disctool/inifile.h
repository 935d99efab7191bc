// Reading INI files (install scripts, the shared installed-products file) the way the
// platform's profile functions read them, which is what the launcher sees: section and key
// names compare without regard to case, only the first section of a name is searched and the
// first occurrence of a key in it wins, surrounding quotes are removed from values, and integers
// are read by the profile-integer rule. Wine's profile functions are the reference that runs
// here: a differential test in the Windows suites reads one table of scripts through both.
// Text that systems are known or likely to read differently is listed in IniFile::issues, so
// that a checker can refuse it instead of guessing.
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
    int line = 0;  // of its header; 0 for the entries before any header
};

// Something in the text that the profile functions of different systems read differently, or
// that disctool reads only as Wine does.
struct IniIssue {
    enum Kind {
        // The text starts with a UTF-8 byte order mark: Wine reads the text as UTF-8, Windows
        // reads the mark as three characters of the first line (whose section is then lost).
        kUtf8ByteOrderMark,
        // A UTF-16 byte order mark of big-endian text, which Wine reads and Windows does not.
        kUtf16BigEndian,
        // A character of Unicode text that the ANSI code page has no byte for: the profile
        // functions give a look-alike or "?", by tables disctool does not have.
        kUnmappable,
        // A NUL byte: Wine ends the name or value there; often UTF-16 text without its mark.
        kNulByte,
        // Byte 0x1A (the old end-of-file mark) with text after it: Wine takes it for a blank,
        // older readers stop at it.
        kEndOfFileMark,
        // A line that starts with "[" and has no "]": no section begins, and the line and the
        // entries after it belong to the section before.
        kUnclosedSection,
        // A section header with more than one "]": Wine's name runs to the last one, other
        // readers end it at the first.
        kSeveralBrackets,
    };
    Kind kind;
    int line;                     // 0 for the text as a whole
    int column = 0;               // kUnmappable: 1-based, in characters of the line
    std::uint32_t character = 0;  // kUnmappable: the character's code point
};

enum class IniEncoding { kAnsi, kUtf8, kUtf16Le, kUtf16Be };

struct IniFile {
    // In file order. A repeated name stays a record of its own, which Find never searches.
    std::vector<IniSection> sections;
    IniEncoding encoding = IniEncoding::kAnsi;  // known by its byte order mark
    std::vector<IniIssue> issues;               // in line order, at most one per kind and line
    int codepage = 0;                           // ini::GetString decodes values from this ANSI code
                                                // page to UTF-8; 0 leaves them as bytes
};

namespace ini {

// The largest INI file read; a script or shared file is a few kilobytes, and this keeps a
// stray huge file from taking all memory.
inline constexpr std::uintmax_t kMaxBytes = 16u * 1024u * 1024u;

// Characters of the profile-integer read: the profile functions read the value into a buffer
// of 30 characters before they convert it, so later digits are never seen.
inline constexpr std::size_t kIntegerChars = 29;

// Parses INI text as the profile functions do. Text with a UTF-8 or UTF-16 byte order mark is
// Unicode and is turned into the bytes of the ANSI code page ansiCodepage (a known one), as
// the ANSI profile functions return it. Lines end at a line feed or a carriage return; blanks
// (space, tab, vertical tab, form feed and 0x1A) around lines, names and values are dropped; a
// line "[name]" starts a section, whose name runs to the last "]" of the line; other lines
// are "key=value" or a key without a value; names and values end at a NUL byte. A line
// starting with ';' is a comment: the profile functions keep it as a key that begins with
// ';', which no reader asks for.
IniFile Parse(const std::string& text, int ansiCodepage);

// Whether one line of text (without its line end) starts a section as Parse reads it: after
// blanks, "[" and a "]" later on the line; *name is then the section's name, which runs to the
// last "]" (Wine's reading). A line with "[" and no "]" starts no section. Every reader of
// script text that splits it into sections (check, script's rewrite) asks this one rule.
bool ReadsAsSectionHeader(const std::string& line, std::string* name);

// Reads and parses the file at path. Returns an empty optional when it cannot be read (or
// is larger than kMaxBytes), with *reason set.
std::optional<IniFile> Load(const std::string& path, int ansiCodepage, std::string* reason);

// Whether two section or key names are one name to the profile functions: equal but for the
// case of ASCII letters. Letters beyond ASCII compare as they are ("Ä" and "ä" are two names
// in 1252), as Wine's profile functions compare them; the Windows suites hold disctool to that
// (tests/launcher/script_reading_test.cpp).
bool SameName(const std::string& a, const std::string& b);

// The entries of the first section named section, or null: the profile functions never look
// at a later section of the same name.
const IniSection* FindSection(const IniFile& file, const std::string& section);

// The first entry of key in the first section named section, or null.
const IniEntry* Find(const IniFile& file, const std::string& section, const std::string& key);

// The value of key as read into a buffer of maxChars + 1 bytes (maxChars at least 1): the
// value with surrounding matching quotes removed, cut to maxChars characters; empty when
// missing. A quoted value of exactly maxChars characters loses its last one, as Wine reads it
// (it drops the last character it copied, which is then not the quote). *cut (when not null)
// tells whether characters were lost. The value is cut as bytes, then decoded from the file's
// code page when it has one.
std::string GetString(const IniFile& file, const std::string& section, const std::string& key,
                      std::size_t maxChars, bool* cut = nullptr);

// The value of key as a reader that refuses cut values takes it: read into a buffer of
// maxChars + 3 bytes (two spare characters, so that the slip GetString describes never hands
// over a cut value), a value of more than maxChars characters gives an empty optional.
std::optional<std::string> GetUncut(const IniFile& file, const std::string& section,
                                    const std::string& key, std::size_t maxChars);

// The profile-integer reading of a value (quotes already removed): leading characters up to
// the space skipped, an optional sign, a base prefix "0x", "0o" or "0b" (lower case), then the
// digits of the base, wrapping at 32 bits; no digits give 0.
std::int32_t ParseInt(const std::string& value);

// The integer value of key as the profile functions read it: the value as GetString reads it
// into kIntegerChars characters, by ParseInt; fallback when the key is missing or that value
// is empty.
std::int32_t GetInt(const IniFile& file, const std::string& section, const std::string& key,
                    std::int32_t fallback);

// Whether an integer's whole value text (quotes removed) reads the same on every system: the
// profile-integer reading (ParseInt of its first kIntegerChars characters) equals that of a
// plain decimal reader (blanks, a sign and decimal digits), and the number fits 32 bits. A base
// prefix with digits after it ("0x1"), digits beyond the read buffer and numbers that wrap
// do not: older systems read integers in decimal only, into other buffers.
bool ReadsAsDecimal(const std::string& value);

}  // namespace ini

}  // namespace disctool
