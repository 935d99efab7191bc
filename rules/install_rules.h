// The rules that the launcher and disctool must agree on, in one portable header (no platform
// headers): the names of the install script's sections and keys and the grammar of its
// component keys, the limits of what the launcher reads, which file names it accepts, when an
// installed copy counts as current, and which folder it proposes. The launcher reads discs by
// these rules; disctool reports what the launcher will do by the same ones, so the two cannot
// drift apart.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace rules {

// ---------------------------------------------------------------------------------------------
// Names

// Sections of the install script.
inline constexpr const char kGeneralSection[] = "General";
inline constexpr const char kStartupSection[] = "StartupOptions";
inline constexpr const char kRequiredSection[] = "Required";
inline constexpr const char kOptionalSection[] = "Optional";
// The component sections in the order they are read: every walk over the groups, the
// check-list's rows and the install run take "Required" first.
inline constexpr const char* const kComponentSections[2] = {kRequiredSection, kOptionalSection};

// Appended to the name of a group of "Required" in its check-list row (with its leading blank).
inline constexpr const char kRequiredGroupSuffix[] = " (required)";

// Keys of "General" and "StartupOptions".
inline constexpr const char kDefaultDirKey[] = "DefaultDir";
inline constexpr const char kBasicTitleKey[] = "BasDlgTitle";
inline constexpr const char kAdvancedTitleKey[] = "AdvDlgTitle";
inline constexpr const char kBasicInstructionKey[] = "BasInstruct";
inline constexpr const char kAdvancedInstructionKey[] = "AdvInstruct";
// The product's name for removal's question and messages (optional; the captions stand in for
// it when it is missing or empty). Read into kScriptTextSize bytes like the captions.
inline constexpr const char kProductNameKey[] = "ProductName";
inline constexpr const char kBitmapKey[] = "Bitmap";

// The installed-products file in the Windows folder, and the one key of a product's section
// in it that is not a file record.
inline constexpr const char kSharedFileName[] = "tivoroo.ini";
inline constexpr const char kShowStartupAgainKey[] = "ShowStartupAgain";

// ---------------------------------------------------------------------------------------------
// Limits

// Size of every path buffer: the platform's path limit, 259 characters and the terminator.
inline constexpr int kPathSize = 260;
// Buffer for a caption or an instruction of "General": 255 characters and the terminator.
inline constexpr int kScriptTextSize = 256;
// Buffer for one component value: 2047 characters and the terminator.
inline constexpr int kScriptValueSize = 2048;
// Buffer for one key name; the longest is "PC-Group" with two ten-digit numbers.
inline constexpr int kScriptKeySize = 64;

// Most groups in one section and most files in one group. Real discs list a few groups of at
// most some thousands of files; every file costs several file-system calls, so a count of two
// thousand million in a damaged script would otherwise keep the launcher busy for days.
inline constexpr int kMaxScriptGroups = 1000;
inline constexpr int kMaxGroupFiles = 10000;

// A count read from the script: 0 below 1, else the count, at most limit: the entries up to
// the limit are read and the rest are not (disctool check reports such a count as an error).
constexpr int CheckScriptCount(std::int32_t count, int limit) {
    if (count < 1) return 0;
    return count > limit ? limit : static_cast<int>(count);
}

// ---------------------------------------------------------------------------------------------
// Component keys: the words "PC-Group", "File", "Count", "Name", "Desc" and "Key" with decimal
// numbers (no leading zero) between them.

inline constexpr const char kGroupWord[] = "PC-Group";
inline constexpr const char kFileWord[] = "File";
inline constexpr const char kCountWord[] = "Count";
inline constexpr const char kNameWord[] = "Name";  // of a group (its row) or a file (its path)
inline constexpr const char kDescWord[] = "Desc";  // of a group
inline constexpr const char kKeyWord[] = "Key";    // of a file (its record key)

// "PC-GroupCount"
inline void FormatGroupCountKey(char (&key)[kScriptKeySize]) {
    std::snprintf(key, sizeof key, "%s%s", kGroupWord, kCountWord);
}
// "PC-Group<group>Name" or "PC-Group<group>Desc" (word is kNameWord or kDescWord).
inline void FormatGroupKey(char (&key)[kScriptKeySize], int group, const char* word) {
    std::snprintf(key, sizeof key, "%s%d%s", kGroupWord, group, word);
}
// "PC-Group<group>FileCount"
inline void FormatFileCountKey(char (&key)[kScriptKeySize], int group) {
    std::snprintf(key, sizeof key, "%s%d%s%s", kGroupWord, group, kFileWord, kCountWord);
}
// "PC-Group<group>File<file>Name" or "...Key" (word is kNameWord or kKeyWord).
inline void FormatFileKey(char (&key)[kScriptKeySize], int group, int file, const char* word) {
    std::snprintf(key, sizeof key, "%s%d%s%d%s", kGroupWord, group, kFileWord, file, word);
}

// A key of a component section taken apart.
struct ScriptKey {
    enum Kind { kNone, kGroupCount, kGroupName, kGroupDesc, kFileCount, kFileName, kFileKey };
    Kind kind = kNone;       // kNone: not a key the launcher ever asks for
    std::int64_t group = 0;  // 1 or more for every kind but kNone and kGroupCount
    std::int64_t file = 0;   // 1 or more for kFileName and kFileKey
};

namespace detail {

constexpr char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether text and word are the same without regard to ASCII case.
constexpr bool SameWord(std::string_view text, std::string_view word) {
    if (text.size() != word.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (LowerAscii(text[i]) != LowerAscii(word[i])) return false;
    }
    return true;
}

// Takes word from the start of *text, without regard to case; false when it is not there.
constexpr bool TakeWord(std::string_view* text, std::string_view word) {
    if (text->size() < word.size() || !SameWord(text->substr(0, word.size()), word)) return false;
    text->remove_prefix(word.size());
    return true;
}

// Takes the decimal number at the start of *text: 1 to 12 digits without a leading zero (the
// launcher writes numbers without one, so such a key is never asked for). -1 when there is none.
constexpr std::int64_t TakeNumber(std::string_view* text) {
    std::size_t digits = 0;
    while (digits < text->size() && digits < 12 && (*text)[digits] >= '0' &&
           (*text)[digits] <= '9') {
        ++digits;
    }
    if (digits == 0 || (*text)[0] == '0') return -1;
    std::int64_t number = 0;
    for (std::size_t i = 0; i < digits; ++i) number = number * 10 + ((*text)[i] - '0');
    text->remove_prefix(digits);
    return number;
}

}  // namespace detail

// Parses key as the launcher's key grammar, without regard to case (as profile names compare).
constexpr ScriptKey ParseScriptKey(std::string_view key) {
    ScriptKey parsed;
    std::string_view rest = key;
    if (!detail::TakeWord(&rest, kGroupWord)) return parsed;
    if (detail::SameWord(rest, kCountWord)) {
        parsed.kind = ScriptKey::kGroupCount;
        return parsed;
    }
    const std::int64_t group = detail::TakeNumber(&rest);
    if (group < 0) return parsed;
    parsed.group = group;
    if (detail::SameWord(rest, kNameWord)) {
        parsed.kind = ScriptKey::kGroupName;
        return parsed;
    }
    if (detail::SameWord(rest, kDescWord)) {
        parsed.kind = ScriptKey::kGroupDesc;
        return parsed;
    }
    if (detail::TakeWord(&rest, kFileWord)) {
        if (detail::SameWord(rest, kCountWord)) {
            parsed.kind = ScriptKey::kFileCount;
            return parsed;
        }
        const std::int64_t file = detail::TakeNumber(&rest);
        if (file >= 0) {
            parsed.file = file;
            if (detail::SameWord(rest, kNameWord)) {
                parsed.kind = ScriptKey::kFileName;
                return parsed;
            }
            if (detail::SameWord(rest, kKeyWord)) {
                parsed.kind = ScriptKey::kFileKey;
                return parsed;
            }
        }
    }
    return ScriptKey{};
}

// ---------------------------------------------------------------------------------------------
// File names

// Tells whether a byte starts a double-byte character in the code page the names are read in;
// its second byte is then never taken for a separator. Null: a single-byte code page.
using LeadByteTest = bool (*)(unsigned char byte);

namespace detail {

// Whether a component names one of the devices Windows opens in place
// of a file: CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-COM9 and LPT1-LPT9 (also with the
// superscript digits 1, 2, 3 of the Latin code page), in any case, alone or before an
// extension. Spaces before the extension do not change the name Windows sees.
constexpr bool IsDeviceName(std::string_view component) {
    std::size_t end = component.find('.');
    if (end == std::string_view::npos) end = component.size();
    while (end > 0 && component[end - 1] == ' ') --end;
    const std::string_view base = component.substr(0, end);
    for (const std::string_view device : {"con", "prn", "aux", "nul", "conin$", "conout$"}) {
        if (SameWord(base, device)) return true;
    }
    if (base.size() != 4) return false;
    if (!SameWord(base.substr(0, 3), "com") && !SameWord(base.substr(0, 3), "lpt")) return false;
    const auto digit = static_cast<unsigned char>(base[3]);
    return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

// Whether a component is one Windows holds as a file or folder of its own: not made only of
// dots and spaces (".", ".." and "..." all leave or alias the folder) and no device name. A
// component that ends in a dot or space and holds anything else is accepted: Windows strips
// them alike on the source, the target and the recorded path, so the same files are named
// throughout. Empty components are left to the file system: they name the folder itself,
// which no copy replaces.
constexpr bool IsSafeComponent(std::string_view component) {
    if (component.empty()) return true;
    if (component.find_first_not_of(". ") == std::string_view::npos) return false;
    return !IsDeviceName(component);
}

// Characters no file name may hold: control characters, ":" (a drive or an alternate stream)
// and the wildcard and redirection characters.
constexpr bool IsForbiddenNameByte(unsigned char byte) {
    return byte < 0x20 || byte == ':' || byte == '*' || byte == '?' || byte == '"' || byte == '<' ||
           byte == '>' || byte == '|';
}

}  // namespace detail

// Whether name is a relative path that stays below its folder and that Windows holds as given:
// no leading backslash or slash (which also covers network names), none of the characters of
// detail::IsForbiddenNameByte (":" also covers drives), and every component safe by
// detail::IsSafeComponent. Backslash and slash both separate components. Its length is left to
// the path buffers, which refuse what does not fit. The launcher copies, deletes, records and
// measures only files with such names.
constexpr bool IsSafeRelativeName(std::string_view name, LeadByteTest isLeadByte = nullptr) {
    if (!name.empty() && (name[0] == '\\' || name[0] == '/')) return false;
    std::size_t start = 0;
    for (std::size_t i = 0;; ++i) {
        if (i == name.size() || name[i] == '\\' || name[i] == '/') {
            if (!detail::IsSafeComponent(name.substr(start, i - start))) return false;
            if (i == name.size()) return true;
            start = i + 1;
        } else if (isLeadByte != nullptr && isLeadByte(static_cast<unsigned char>(name[i])) &&
                   i + 1 < name.size()) {
            ++i;  // the second byte of a double-byte character is never a separator
        } else if (detail::IsForbiddenNameByte(static_cast<unsigned char>(name[i]))) {
            return false;
        }
    }
}

// Replaces every slash of name that is not the second byte of a double-byte character by a
// backslash: a script's file names are used with backslashes only, so every path helper, the
// folder chain and the record see one separator.
inline void NormalizeSeparators(char* name, LeadByteTest isLeadByte = nullptr) {
    for (char* p = name; *p != '\0'; ++p) {
        if (isLeadByte != nullptr && isLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
            ++p;
        } else if (*p == '/') {
            *p = '\\';
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The walk over a component section

// Walks section ("Required" or "Optional") of the install script in the launcher's reading
// order, one read each: PC-GroupCount; then for each group 1..count its name and description
// (only with readGroupTexts), its file count, and for each file 1..count its name and its key.
// Counts go through CheckScriptCount, so a count beyond its limit reads what it counts up to
// the limit. File names are handed over with backslashes only (NormalizeSeparators with
// isLeadByte), so every later use, and the record, sees one separator. The launcher reads
// through the platform's profile functions, disctool through its own reader; both see the
// same keys in the same order.
//
// reader.ReadCount(section, key) returns the key's integer value (std::int32_t, 0 when
// missing); reader.ReadText(section, key) returns its string value as a writable C string,
// valid until the next read. The visitor is handed, with the key each value was read under:
//   OnGroupCount(key, read, groups)   the count as read, and as CheckScriptCount takes it
//   OnGroup(number)                   a group begins
//   OnGroupName(key, name), OnGroupDescription(key, description)
//   OnFileCount(key, read, files)     likewise for the group's files
//   OnFileName(key, name), OnFileKey(key, recordKey)
//   OnGroupEnd() -> bool              after the group's files; false ends the walk
// Returns false when the visitor ended the walk, else true.
template <class Reader, class Visitor>
bool WalkComponentSection(Reader& reader, const char* section, bool readGroupTexts,
                          Visitor& visitor, LeadByteTest isLeadByte = nullptr) {
    char key[kScriptKeySize];
    FormatGroupCountKey(key);
    const std::int32_t groupCount = reader.ReadCount(section, key);
    const int groups = CheckScriptCount(groupCount, kMaxScriptGroups);
    visitor.OnGroupCount(key, groupCount, groups);
    for (int group = 1; group <= groups; ++group) {
        visitor.OnGroup(group);
        if (readGroupTexts) {
            FormatGroupKey(key, group, kNameWord);
            visitor.OnGroupName(key, reader.ReadText(section, key));
            FormatGroupKey(key, group, kDescWord);
            visitor.OnGroupDescription(key, reader.ReadText(section, key));
        }
        FormatFileCountKey(key, group);
        const std::int32_t fileCount = reader.ReadCount(section, key);
        const int files = CheckScriptCount(fileCount, kMaxGroupFiles);
        visitor.OnFileCount(key, fileCount, files);
        for (int file = 1; file <= files; ++file) {
            FormatFileKey(key, group, file, kNameWord);
            char* name = reader.ReadText(section, key);
            NormalizeSeparators(name, isLeadByte);
            visitor.OnFileName(key, static_cast<const char*>(name));
            FormatFileKey(key, group, file, kKeyWord);
            visitor.OnFileKey(key, static_cast<const char*>(reader.ReadText(section, key)));
        }
        if (!visitor.OnGroupEnd()) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Record keys

// Whether key can name a record in the shared file and be read back as the same key: not
// empty, no blank (space or tab) at either end (the profile functions strip them), no "="
// (the reader ends the key there), not starting with "[" (a section header) or ";" (a
// comment), and no control character (a line break would split the line). The launcher never
// writes, reads or erases a record under any other key.
constexpr bool IsSafeRecordKey(std::string_view key) {
    if (key.empty()) return false;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (blank(key.front()) || blank(key.back())) return false;
    if (key.front() == '[' || key.front() == ';') return false;
    for (const char c : key) {
        if (c == '=' || static_cast<unsigned char>(c) < 0x20) return false;
    }
    return true;
}

// Whether a value read from the shared file has the shape of a full path: a drive letter, a
// colon and a backslash ("C:\GAMES\GAME.DAT"), or a network name with a server and a share
// ("\\server\share\GAME.DAT"). "GAME.DAT", "C:GAME.DAT" and "\GAME.DAT" name a file only
// relative to the current drive or folder, wherever the launcher was started, and slashes are
// never written by the launcher. The launcher counts a value as the record of a copy only when
// it has this shape and equals its own full-path resolution; anything else names no copy and
// is never resolved or deleted.
constexpr bool IsFullPathShape(std::string_view value, LeadByteTest isLeadByte = nullptr) {
    if (value.size() >= 3 && value[1] == ':' && value[2] == '\\') {
        const char drive = detail::LowerAscii(value[0]);
        return drive >= 'a' && drive <= 'z';
    }
    if (value.size() < 2 || value[0] != '\\' || value[1] != '\\') return false;
    // The server and the share: each one or more characters, ended by a backslash (the share
    // also by the end of the value).
    std::size_t i = 2;
    for (int part = 0; part < 2; ++part) {
        const std::size_t start = i;
        while (i < value.size() && value[i] != '\\') {
            const bool lead = isLeadByte != nullptr &&
                              isLeadByte(static_cast<unsigned char>(value[i])) &&
                              i + 1 < value.size();
            i += lead ? 2 : 1;
        }
        if (i == start) return false;
        if (part == 0) {
            if (i == value.size()) return false;
            ++i;
        }
    }
    return true;
}

// Whether a value of the shared file and its full-path resolution spell the same path up to
// ASCII case, slashes for backslashes and trailing dots and spaces (which Windows strips from
// a name): "c:\GAMES/X\GAME.DAT." and "C:\GAMES\X\GAME.DAT". A value of full-path shape
// that does is the record of the copy its resolution names; one that does not ("..", ".",
// doubled separators) names a file by another path and is no record. Double-byte characters
// (isLeadByte) compare byte for byte; no trail byte is a dot or a space.
constexpr bool IsSameRecordSpelling(std::string_view value, std::string_view resolution,
                                    LeadByteTest isLeadByte = nullptr) {
    const auto trimmed = [](std::string_view text) {
        while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.remove_suffix(1);
        return text;
    };
    const auto fold = [](char c) { return c == '/' ? '\\' : detail::LowerAscii(c); };
    value = trimmed(value);
    resolution = trimmed(resolution);
    std::size_t a = 0;
    std::size_t b = 0;
    while (a < value.size() && b < resolution.size()) {
        const auto width = [&](std::string_view text, std::size_t i) -> std::size_t {
            return isLeadByte != nullptr && isLeadByte(static_cast<unsigned char>(text[i])) &&
                           i + 1 < text.size()
                       ? 2
                       : 1;
        };
        const std::size_t wa = width(value, a);
        const std::size_t wb = width(resolution, b);
        if (wa != wb) return false;
        if (wa == 1) {
            if (fold(value[a]) != fold(resolution[b])) return false;
        } else if (value.substr(a, 2) != resolution.substr(b, 2)) {
            return false;
        }
        a += wa;
        b += wb;
    }
    return a == value.size() && b == resolution.size();
}

// The name path ends in as Windows holds it: its last component (after its last backslash or
// slash; the second byte of a double-byte character is never taken for one) without the
// trailing dots and spaces Windows strips from a name. A recorded copy is one the launcher
// made only when this name is the script file's own, compared as the file system compares
// names (in upper case); a record that ends in another name is never deleted.
constexpr std::string_view HeldFileName(std::string_view path, LeadByteTest isLeadByte = nullptr) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (isLeadByte != nullptr && isLeadByte(static_cast<unsigned char>(path[i])) &&
            i + 1 < path.size()) {
            ++i;
        } else if (path[i] == '\\' || path[i] == '/') {
            start = i + 1;
        }
    }
    std::string_view name = path.substr(start);
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
    return name;
}

// Whether a launcher's base name can name its section of the shared file and be read back as
// the same section: not empty, no "[" or "]" (some readers end the header at the first "]", so
// the file would grow a section at every start), no blank (space or tab) at either end and no
// control character. The launcher reads, writes and erases nothing in the shared file under
// any other name.
constexpr bool IsSafeSectionName(std::string_view name) {
    if (name.empty()) return false;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (blank(name.front()) || blank(name.back())) return false;
    for (const char c : name) {
        if (c == '[' || c == ']' || static_cast<unsigned char>(c) < 0x20) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Currency of an installed copy

// A file's times in the platform's file-time units (100 ns).
struct FileTimes {
    std::uint64_t creation = 0;
    std::uint64_t lastWrite = 0;
};

// Two seconds in file-time units: the write-time resolution of FAT volumes.
inline constexpr std::uint64_t kFatTimeTolerance = 20000000;
// Ten milliseconds in file-time units: the write-time resolution of exFAT volumes.
inline constexpr std::uint64_t kExFatTimeTolerance = 100000;

// How far apart a copy's write time may lie from its source's on a volume of the named file
// system, which keeps write times only to that resolution: less than two seconds on FAT, less
// than ten milliseconds on exFAT, and 0 (exactly equal) elsewhere.
constexpr std::uint64_t CoarseTimeTolerance(std::string_view fileSystem) {
    if (detail::SameWord(fileSystem, "fat") || detail::SameWord(fileSystem, "fat32")) {
        return kFatTimeTolerance;
    }
    if (detail::SameWord(fileSystem, "exfat")) return kExFatTimeTolerance;
    return 0;
}

// Whether an installed copy is current: its last-write time lies less than tolerance (from
// CoarseTimeTolerance of the copy's volume) from its source's, or equals it when tolerance is
// 0. Creation times never count: a copy made by another tool keeps the write time but gets a
// new creation time.
constexpr bool IsCopyCurrent(const FileTimes& source, const FileTimes& copy,
                             std::uint64_t tolerance) {
    const std::uint64_t a = source.lastWrite;
    const std::uint64_t b = copy.lastWrite;
    if (tolerance == 0) return a == b;
    return (a > b ? a - b : b - a) < tolerance;
}

// ---------------------------------------------------------------------------------------------
// Removal of a recorded copy

// What removal does with the copy a listed file's record names.
enum class CopyRemoval {
    kKeepNotOurs,  // not a copy the launcher made: kept, and so is its record
    kForget,       // the copy is gone: only its record is erased
    kKeepChanged,  // changed since installed (or a folder): kept, the player's now; its record
                   // is erased
    kDelete,       // unchanged: deleted and its record erased; when the delete fails (in use,
                   // read-only) it is kept with its record, so that a later removal can finish
};

// Judges a recorded copy in removal's order, asking facts only as far as needed:
//   facts.Ours()       a copy the launcher made: the record ends in the file's own name
//                      (HeldFileName) and names none of the product's source files
//   facts.Exists()     something is at the recorded path
//   facts.Unchanged()  a file with its source's last-write time (IsCopyCurrent)
template <class Facts>
CopyRemoval JudgeRecordedCopy(Facts& facts) {
    if (!facts.Ours()) return CopyRemoval::kKeepNotOurs;
    if (!facts.Exists()) return CopyRemoval::kForget;
    if (!facts.Unchanged()) return CopyRemoval::kKeepChanged;
    return CopyRemoval::kDelete;
}

// ---------------------------------------------------------------------------------------------
// The proposed destination

// The folder under the Windows drive's root where products go by default: the proposed
// destination is <Windows drive>\Tivoroo\<base name>\ .
inline constexpr const char kDefaultInstallRoot[] = "Tivoroo";

// Whether value names a folder by itself: a drive and its root ("X:\" or "X:/") or a network
// name ("\\" or "//"). Anything else is relative to the current drive or folder, which is
// wherever the launcher happened to be started from.
constexpr bool IsAbsoluteFolder(std::string_view value) {
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (value.size() >= 3 && value[1] == ':' && separator(value[2])) {
        const char drive = detail::LowerAscii(value[0]);
        return drive >= 'a' && drive <= 'z';
    }
    return value.size() >= 2 && separator(value[0]) && separator(value[1]);
}

// Whether General/DefaultDir's value (as read into a path buffer; longer values count as
// kPathSize characters) is the proposed destination: it is absolute (IsAbsoluteFolder) and,
// with a backslash added when it lacks one, fits a path buffer. Otherwise the default folder
// is proposed: a value cut to fit could name another folder, and a relative one names a
// folder that depends on where the launcher was started.
constexpr bool UsesDefaultDir(std::string_view value) {
    if (!IsAbsoluteFolder(value) || value.size() >= static_cast<std::size_t>(kPathSize)) {
        return false;
    }
    return value.back() == '\\' || value.size() + 2 <= static_cast<std::size_t>(kPathSize);
}

}  // namespace rules
