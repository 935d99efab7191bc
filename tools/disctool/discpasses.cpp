// The passes over a disc as read that add the findings about the script's text and the disc
// as a whole: each a small function over the read disc.
#include <map>
#include <string>

#include "tools/disctool/codepage.h"
#include "tools/disctool/discread.h"
#include "tools/disctool/text.h"

namespace disctool::discread {

// A script saved as UTF-8 with characters beyond ASCII: the launcher reads its bytes in the
// ANSI code page and shows every such character as two or three others.
void WarnOfUtf8(const IniFile& script, Disc* disc) {
    std::string all;
    const IniEntry* first = nullptr;
    for (const IniSection& section : script.sections) {
        for (const IniEntry& entry : section.entries) {
            const std::string text = entry.key + entry.value;
            all += text;
            if (first == nullptr && LooksLikeUtf8(text)) first = &entry;
        }
    }
    if (first == nullptr || !LooksLikeUtf8(all)) return;
    Add(disc, FindingCode::kUtf8Script,
        "the install script looks like UTF-8, but the launcher reads it in code page " +
            std::to_string(disc->codepage) + ": it shows " + Quote(first->value) + " as " +
            Quote(DecodeAnsi(first->value, disc->codepage)) +
            "; save the script in the ANSI code page",
        first->line);
}

namespace {

// Where the first unmappable character is and which it is: " (column 7: "€", U+20AC)".
std::string UnmappableWhere(const IniFile& script) {
    for (const IniIssue& issue : script.issues) {
        if (issue.kind != IniIssue::kUnmappable) continue;
        std::string character;
        AppendUtf8(issue.character, &character);
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(issue.character));
        return " (column " + std::to_string(issue.column) + ": " + Quote(character) + ", " + code +
               ")";
    }
    return {};
}

}  // namespace

// Text of the script that systems read differently (ini's issues): one error per kind, at its
// first line, counting the further lines.
void ReportIssues(const IniFile& script, Disc* disc) {
    struct Kind {
        IniIssue::Kind kind;
        FindingCode code;
        const char* message;
    };
    static const Kind kKinds[] = {
        {IniIssue::kUtf8ByteOrderMark, FindingCode::kByteOrderMark,
         "the install script starts with a UTF-8 byte order mark: Wine reads the script as UTF-8, Windows reads the mark as part of the first line and misses its section; save the script in the ANSI code page without the mark"},
        {IniIssue::kUtf16BigEndian, FindingCode::kUtf16BigEndian,
         "the install script is big-endian UTF-16, which Windows does not read; save it in the ANSI code page or as little-endian UTF-16"},
        {IniIssue::kUnmappable, FindingCode::kUnmappableCharacter,
         "the Unicode install script holds a character the ANSI code page has no byte for; the launcher reads a look-alike or \"?\" instead"},
        {IniIssue::kNulByte, FindingCode::kNulByte,
         "the install script holds a NUL byte, which ends the name or value it is in (UTF-16 text without its byte order mark?)"},
        {IniIssue::kEndOfFileMark, FindingCode::kEndOfFileMark,
         "text follows byte 0x1A, an old end-of-file mark: some systems stop reading the script there, others take it for a blank"},
        {IniIssue::kUnclosedSection, FindingCode::kSectionHeader,
         "a line starts with \"[\" but has no \"]\": it starts no section, and it and the entries after it belong to the section before"},
        {IniIssue::kSeveralBrackets, FindingCode::kSectionHeader,
         "a section header holds more than one \"]\": Wine's section name runs to the last one, others end it at the first; keep comments out of section headers"},
    };
    for (const Kind& kind : kKinds) {
        int first = -1, more = 0;
        for (const IniIssue& issue : script.issues) {
            if (issue.kind != kind.kind) continue;
            if (first < 0)
                first = issue.line;
            else
                ++more;
        }
        if (first < 0) continue;
        std::string message = kind.message;
        if (kind.kind == IniIssue::kUnmappable) message += UnmappableWhere(script);
        if (more > 0)
            message +=
                " (and " + std::to_string(more) + " more line" + (more == 1 ? "" : "s") + ")";
        Add(disc, kind.code, message, first);
    }
}

// A later section of a name the launcher reads: the profile functions search only the first.
void WarnOfRepeatedSections(const IniFile& script, Disc* disc) {
    for (const char* name : {rules::kGeneralSection, rules::kStartupSection,
                             rules::kRequiredSection, rules::kOptionalSection}) {
        const IniSection* first = ini::FindSection(script, name);
        for (const IniSection& section : script.sections) {
            if (&section == first || !SameNoCase(section.name, name)) continue;
            Add(disc, FindingCode::kRepeatedSection,
                "[" + section.name + "] repeats the section of line " +
                    std::to_string(first->line) +
                    "; the launcher reads only the first, so none of the " +
                    std::to_string(section.entries.size()) + " entries here is read",
                section.line);
        }
    }
}

// Windows' installer detection asks for administrator rights before it starts a program whose
// name holds one of these words, unless its manifest names an execution level; the launcher's
// manifest names none on purpose, so that the shared file stays writable.
void WarnOfInstallerName(Disc* disc) {
    if (const char* word = InstallerWord(disc->baseName); word != nullptr) {
        Add(disc, FindingCode::kInstallerName,
            "the launcher's name " + disc->launcher + " contains \"" + word +
                "\": Windows takes a program so named for an installer and asks for administrator rights every time it starts, and the game then runs as administrator; choose a name without install, setup, update, patch or upgrade");
    }
}

// A base name that cannot name a section of the shared file: the launcher then records
// nothing for the product (rules::IsSafeSectionName).
void CheckSectionName(Disc* disc) {
    if (rules::IsSafeSectionName(disc->baseName)) return;
    Add(disc, FindingCode::kUnsafeSectionName,
        "the launcher's base name " + Quote(disc->baseName) +
            " cannot name a section of the shared file (no \"[\" or \"]\", blank at either end or control character): the launcher records no installed file, and setup may appear at every start");
}

// The launcher tests every listed file at every start (a record read, two opens and a time
// compare). Measured under Wine on a busy two-core machine (64-bit build): about 2.7 ms per
// file with a shared file of that many records, and more as the shared file grows; so about
// this many files take a second before the game starts.
constexpr std::size_t kFilesTestedInASecond = 400;

void WarnOfSlowStart(Disc* disc) {
    std::size_t files = 0;
    for (const DiscGroup& group : disc->groups) files += group.files.size();
    if (files <= kFilesTestedInASecond) return;
    Add(disc, FindingCode::kSlowStart,
        "the script lists " + std::to_string(files) +
            " files: the launcher tests each of them at every start, so more than " +
            std::to_string(kFilesTestedInASecond) +
            " delay the game by a second or more; list fewer, larger files (an archive the game reads)");
}

// File names listed more than once: in two groups (allowed: each listing is tested and
// copied, and a later unticked group leaves the copy alone; a note), and spellings that differ
// only in case, which name one file on Windows.
void CheckRepeatedNames(Disc* disc) {
    struct Listing {
        const DiscGroup* group;
        const DiscFile* file;
    };
    std::map<std::string, Listing> seen;  // normal name -> first listing
    for (const DiscGroup& group : disc->groups) {
        for (const DiscFile& file : group.files) {
            if (file.name.empty() || file.refused) continue;
            const auto [entry, isNew] = seen.emplace(NormalName(file.name), Listing{&group, &file});
            if (isNew) continue;
            const DiscGroup& other = *entry->second.group;
            const std::string& otherName = entry->second.file->name;
            if (&other != &group) {
                Add(disc, FindingCode::kFileInTwoGroups,
                    Quote(file.name) + " is listed in " + std::string(SectionName(group)) +
                        " group " + std::to_string(group.number) + " and already in " +
                        SectionName(other) + " group " + std::to_string(other.number) +
                        "; the launcher installs it when either group is chosen",
                    file.line);
            }
            if (file.name != otherName) {
                Add(disc, FindingCode::kNameCase,
                    Quote(file.name) + " and " + Quote(otherName) +
                        " differ only in case and name one file on Windows; write them alike",
                    file.line);
            }
        }
    }
}

// Keys that name one record: equal but for case. The shared file's names fold ASCII letters
// only where the profile functions are Wine's; a system that folds case in the whole code
// page, as Windows does for file names, also takes keys that differ in the case of other
// letters for one, so those are reported too, saying so.
void CheckKeys(Disc* disc) {
    struct First {
        std::string normalName, name, key;
        bool required;
    };
    std::map<std::string, First> names;  // folded key -> the first listing under it
    for (const DiscGroup& group : disc->groups) {
        for (const DiscFile& file : group.files) {
            if (file.key.empty() || file.name.empty()) continue;
            if (SameNoCase(file.key, rules::kShowStartupAgainKey)) {
                Add(disc, FindingCode::kShowStartupAgainKey,
                    "the key " + Quote(file.key) + " of " + Quote(file.name) +
                        " is the start-up message's flag in the shared file; the two overwrite each other",
                    file.line);
            }
            const auto [entry, isNew] =
                names.emplace(FoldCase(file.key),
                              First{NormalName(file.name), file.name, file.key, group.required});
            if (isNew || entry->second.normalName == NormalName(file.name)) continue;
            if (SameNoCase(entry->second.key, file.key) && group.required &&
                entry->second.required) {
                Add(disc, FindingCode::kRequiredKeyReused,
                    "the key " + Quote(file.key) + " records both " + Quote(entry->second.name) +
                        " and " + Quote(file.name) +
                        ", both required: one of them is never current, so setup shows at every start; give each its own key",
                    file.line);
            } else if (SameNoCase(entry->second.key, file.key)) {
                Add(disc, FindingCode::kKeyReused,
                    "the key " + Quote(file.key) + " records both " + Quote(entry->second.name) +
                        " and " + Quote(file.name) +
                        "; only one installed copy can be recorded under it",
                    file.line);
            } else {
                Add(disc, FindingCode::kKeyReused,
                    "the keys " + Quote(entry->second.key) + " of " + Quote(entry->second.name) +
                        " and " + Quote(file.key) + " of " + Quote(file.name) +
                        " differ only in case, some of it the case of letters beyond ASCII: one record where the profile functions fold case in the code page, two under Wine's; give them keys that differ in more than case",
                    file.line);
            }
        }
    }
}

}  // namespace disctool::discread
