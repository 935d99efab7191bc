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
        words::Utf8Script(disc->codepage, first->value, DecodeAnsi(first->value, disc->codepage)),
        first->line);
}

// Text of the script that systems read differently (ini's issues): one error per kind, at its
// first line, counting the further lines.
void ReportIssues(const IniFile& script, Disc* disc) {
    static const std::pair<IniIssue::Kind, FindingCode> kKinds[] = {
        {IniIssue::kUtf8ByteOrderMark, FindingCode::kByteOrderMark},
        {IniIssue::kUtf16BigEndian, FindingCode::kUtf16BigEndian},
        {IniIssue::kUnmappable, FindingCode::kUnmappableCharacter},
        {IniIssue::kNulByte, FindingCode::kNulByte},
        {IniIssue::kEndOfFileMark, FindingCode::kEndOfFileMark},
        {IniIssue::kUnclosedSection, FindingCode::kSectionHeader},
        {IniIssue::kSeveralBrackets, FindingCode::kSectionHeader},
    };
    for (const auto& [kind, code] : kKinds) {
        const IniIssue* first = nullptr;
        int more = 0;
        for (const IniIssue& issue : script.issues) {
            if (issue.kind != kind) continue;
            if (first == nullptr)
                first = &issue;
            else
                ++more;
        }
        if (first == nullptr) continue;
        Add(disc, code,
            words::ScriptTextIssue(kind, more, kind == IniIssue::kUnmappable ? first : nullptr),
            first->line);
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
                words::RepeatedSection(section.name, first->line, section.entries.size()),
                section.line);
        }
    }
}

// Windows' installer detection asks for administrator rights before it starts a program whose
// name holds one of these words, unless its manifest names an execution level; the launcher's
// manifest names none on purpose, so that the shared file stays writable.
void WarnOfInstallerName(Disc* disc) {
    if (const char* word = InstallerWord(disc->baseName); word != nullptr) {
        Add(disc, FindingCode::kInstallerName, words::InstallerName(disc->launcher, word));
    }
}

// A base name that cannot name a section of the shared file: the launcher then records
// nothing for the product (rules::IsSafeSectionName).
void CheckSectionName(Disc* disc) {
    if (rules::IsSafeSectionName(disc->baseName)) return;
    Add(disc, FindingCode::kUnsafeSectionName, words::UnsafeSectionName(disc->baseName));
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
    Add(disc, FindingCode::kSlowStart, words::SlowStart(files, kFilesTestedInASecond));
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
                    words::FileInTwoGroups(file.name, SectionName(group), group.number,
                                           SectionName(other), other.number),
                    file.line);
            }
            if (file.name != otherName) {
                Add(disc, FindingCode::kNameCase, words::NameCase(file.name, otherName), file.line);
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
                    words::ShowStartupAgainKey(file.key, file.name), file.line);
            }
            const auto [entry, isNew] =
                names.emplace(FoldCase(file.key),
                              First{NormalName(file.name), file.name, file.key, group.required});
            if (isNew || entry->second.normalName == NormalName(file.name)) continue;
            if (SameNoCase(entry->second.key, file.key) && group.required &&
                entry->second.required) {
                Add(disc, FindingCode::kRequiredKeyReused,
                    words::RequiredKeyReused(file.key, entry->second.name, file.name), file.line);
            } else {
                Add(disc, FindingCode::kKeyReused,
                    words::KeyReused(entry->second.key, entry->second.name, file.key, file.name,
                                     SameNoCase(entry->second.key, file.key)),
                    file.line);
            }
        }
    }
}

}  // namespace disctool::discread
