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

// Keys of "General" and "StartupOptions".
inline constexpr const char kDefaultDirKey[] = "DefaultDir";
inline constexpr const char kBasicTitleKey[] = "BasDlgTitle";
inline constexpr const char kAdvancedTitleKey[] = "AdvDlgTitle";
inline constexpr const char kBasicInstructionKey[] = "BasInstruct";
inline constexpr const char kAdvancedInstructionKey[] = "AdvInstruct";
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

// A count read from the script: 0 below 1, else the count; -1 when it is beyond limit, which
// marks a damaged script whose entries are not read at all.
constexpr int CheckScriptCount(std::int32_t count, int limit) {
    if (count < 1) return 0;
    return count > limit ? -1 : static_cast<int>(count);
}

// ---------------------------------------------------------------------------------------------
// Component keys: the words "PC-Group", "File", "Count", "Name", "Desc" and "Key" with decimal
// numbers (no leading zero) between them.

// "PC-GroupCount"
inline void FormatGroupCountKey(char (&key)[kScriptKeySize]) {
    std::snprintf(key, sizeof key, "%s%s", "PC-Group", "Count");
}
// "PC-Group<group>Name" or "PC-Group<group>Desc" (word is "Name" or "Desc").
inline void FormatGroupKey(char (&key)[kScriptKeySize], int group, const char* word) {
    std::snprintf(key, sizeof key, "%s%d%s", "PC-Group", group, word);
}
// "PC-Group<group>FileCount"
inline void FormatFileCountKey(char (&key)[kScriptKeySize], int group) {
    std::snprintf(key, sizeof key, "%s%d%s%s", "PC-Group", group, "File", "Count");
}
// "PC-Group<group>File<file>Name" or "...Key" (word is "Name" or "Key").
inline void FormatFileKey(char (&key)[kScriptKeySize], int group, int file, const char* word) {
    std::snprintf(key, sizeof key, "%s%d%s%d%s", "PC-Group", group, "File", file, word);
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

constexpr bool SameWord(std::string_view text, std::string_view lowerWord) {
    if (text.size() != lowerWord.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (LowerAscii(text[i]) != lowerWord[i]) return false;
    }
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
    constexpr std::string_view prefix = "pc-group";
    if (key.size() < prefix.size() || !detail::SameWord(key.substr(0, prefix.size()), prefix)) {
        return parsed;
    }
    std::string_view rest = key.substr(prefix.size());
    if (detail::SameWord(rest, "count")) {
        parsed.kind = ScriptKey::kGroupCount;
        return parsed;
    }
    const std::int64_t group = detail::TakeNumber(&rest);
    if (group < 0) return parsed;
    if (detail::SameWord(rest, "name") || detail::SameWord(rest, "desc") ||
        detail::SameWord(rest, "filecount")) {
        parsed.kind = detail::SameWord(rest, "name")   ? ScriptKey::kGroupName
                      : detail::SameWord(rest, "desc") ? ScriptKey::kGroupDesc
                                                       : ScriptKey::kFileCount;
        parsed.group = group;
        return parsed;
    }
    if (rest.size() < 4 || !detail::SameWord(rest.substr(0, 4), "file")) return parsed;
    rest.remove_prefix(4);
    const std::int64_t file = detail::TakeNumber(&rest);
    if (file < 0) return parsed;
    if (detail::SameWord(rest, "name")) {
        parsed.kind = ScriptKey::kFileName;
    } else if (detail::SameWord(rest, "key")) {
        parsed.kind = ScriptKey::kFileKey;
    } else {
        return parsed;
    }
    parsed.group = group;
    parsed.file = file;
    return parsed;
}

// ---------------------------------------------------------------------------------------------
// File names

// Tells whether a byte starts a double-byte character in the code page the names are read in;
// its second byte is then never taken for a separator. Null: a single-byte code page.
using LeadByteTest = bool (*)(unsigned char byte);

// Whether name is a relative path that stays below its folder: no drive ("X:"), no leading
// backslash or slash (which also covers network names) and no ".." component. The launcher
// copies, deletes, records and measures only files with such names.
constexpr bool IsSafeRelativeName(std::string_view name, LeadByteTest isLeadByte = nullptr) {
    if (!name.empty() && (name[0] == '\\' || name[0] == '/')) return false;
    if (name.size() >= 2 && name[1] == ':') return false;
    std::size_t start = 0;
    for (std::size_t i = 0;; ++i) {
        if (i == name.size() || name[i] == '\\' || name[i] == '/') {
            if (name.substr(start, i - start) == "..") return false;
            if (i == name.size()) return true;
            start = i + 1;
        } else if (isLeadByte != nullptr && isLeadByte(static_cast<unsigned char>(name[i])) &&
                   i + 1 < name.size()) {
            ++i;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Currency of an installed copy

// A file's times in the platform's file-time units (100 ns).
struct FileTimes {
    std::uint64_t creation = 0;
    std::uint64_t lastWrite = 0;
};

// Two seconds in file-time units: the write-time resolution of FAT volumes.
inline constexpr std::uint64_t kCoarseTimeTolerance = 20000000;

// Whether a volume of the named file system keeps write times to two seconds only.
constexpr bool IsCoarseTimeFileSystem(std::string_view name) {
    return detail::SameWord(name, "fat") || detail::SameWord(name, "fat32");
}

// Whether an installed copy is current: it carries its source's last-write time, exactly, or
// to within kCoarseTimeTolerance when the copy lies on a coarse volume. Creation times never
// count: a copy made by another tool keeps the write time but gets a new creation time.
constexpr bool IsCopyCurrent(const FileTimes& source, const FileTimes& copy, bool coarseVolume) {
    const std::uint64_t a = source.lastWrite;
    const std::uint64_t b = copy.lastWrite;
    if (!coarseVolume) return a == b;
    return (a > b ? a - b : b - a) < kCoarseTimeTolerance;
}

// ---------------------------------------------------------------------------------------------
// The proposed destination

// The folder under the Windows drive's root where products go by default: the proposed
// destination is <Windows drive>\Tivoroo\<base name>\ .
inline constexpr const char kDefaultInstallRoot[] = "Tivoroo";

// Whether General/DefaultDir's value (as read into a path buffer; longer values count as
// kPathSize characters) is the proposed destination: it is not empty and, with a backslash
// added when it lacks one, fits a path buffer. Otherwise the default folder is proposed: a
// value cut to fit could name another folder.
constexpr bool UsesDefaultDir(std::string_view value) {
    if (value.empty() || value.size() >= static_cast<std::size_t>(kPathSize)) return false;
    return value.back() == '\\' || value.size() + 2 <= static_cast<std::size_t>(kPathSize);
}

}  // namespace rules
