// The component sections of the install script as the launcher walks them: the groups and
// files it reads, each file looked up on the disc, and the entries it never reads.
#include <algorithm>
#include <map>
#include <string>
#include <system_error>

#include "tools/disctool/codepage.h"
#include "tools/disctool/discread.h"
#include "tools/disctool/text.h"

namespace disctool::discread {

namespace {

// Why the file found below folder cannot be pressed into the image as named (kind kNone when
// it can): a symbolic link on the way (looked at without following it), a ";" (ISO 9660's
// version mark, which the image writer replaces) or a component longer than a Joliet name
// holds.
words::Unpressable UnpressableWhy(const fs::path& folder, const fs::path& found) {
    using words::Unpressable;
    std::error_code error;
    fs::path at = folder;
    for (const fs::path& part : found.lexically_relative(folder)) {
        at /= part;
        const std::string name = part.string();
        if (fs::is_symlink(fs::symlink_status(at, error))) return {Unpressable::kLink, name};
        if (name.find(';') != std::string::npos) return {Unpressable::kSemicolon, name};
        std::size_t units = 0;  // UTF-16 code units, as Joliet counts
        for (std::size_t i = 0; i < name.size();) {
            const std::size_t length = std::max<std::size_t>(Utf8SequenceLength(name, i), 1);
            units += length == 4 ? 2 : 1;
            i += length;
        }
        if (units > kJolietNameChars)
            return {Unpressable::kLongComponent, name, units, kJolietNameChars};
    }
    return {};
}

// Whether the file's name (bytes: in the code page) fits a path, alone and after the proposed
// destination; a path-too-long finding when not.
bool FitsPaths(Disc* disc, const std::string& where, const std::string& bytes,
               const DiscFile& file) {
    std::string destination;
    if (!EncodeAnsi(disc->destination, disc->codepage, &destination))
        destination = disc->destination;
    if (bytes.size() > kScriptPathChars) {
        Add(disc, FindingCode::kPathTooLong,
            words::PathTooLong(where, file.name, bytes.size(), "", kScriptPathChars), file.line);
        return false;
    }
    if (destination.size() + bytes.size() > kScriptPathChars) {
        Add(disc, FindingCode::kPathTooLong,
            words::PathTooLong(where, file.name, destination.size() + bytes.size(),
                               disc->destination, kScriptPathChars),
            file.line);
    }
    return true;
}

void ReadFile(Disc* disc, const std::string& where, DiscFile* file) {
    if (file->name.empty()) return;  // reported per group
    // The launcher applies its name rules to the code-page bytes ("COM\xB9" is a device there).
    std::string bytes;
    if (!EncodeAnsi(file->name, disc->codepage, &bytes)) bytes = file->name;
    if (!rules::IsSafeRelativeName(bytes)) {
        file->refused = true;
        Add(disc, FindingCode::kRefusedName, words::RefusedName(where, file->name), file->line);
        return;
    }
    if (!FitsPaths(disc, where, bytes, *file)) return;
    file->found = FindWithoutCase(disc->folder, file->name);
    std::error_code error;
    if (file->found && fs::is_regular_file(*file->found, error)) {
        file->size = fs::file_size(*file->found, error);
        if (error) file->size = 0;
        const words::Unpressable why = UnpressableWhy(disc->folder, *file->found);
        if (why.kind != words::Unpressable::kNone) {
            Add(disc, FindingCode::kUnpressableName, words::UnpressableName(where, file->name, why),
                file->line);
        }
        return;
    }
    const bool folder = file->found.has_value();
    file->found.reset();
    Add(disc, FindingCode::kMissingFile, words::MissingFile(where, file->name, folder), file->line);
}

// A count as the launcher reads it, with an error when systems read its text differently.
// A count whose text older systems read otherwise than this launcher: a finding.
void CheckCountIsDecimal(const IniFile& script, const std::string& section, const std::string& key,
                         const std::string& where, std::int32_t count, Disc* disc) {
    const std::string text = ini::GetString(script, section, key, kScriptValueChars);
    if (!ini::ReadsAsDecimal(text)) {
        Add(disc, FindingCode::kCountNotDecimal, words::CountNotDecimal(where, text, count),
            LineOf(script, section, key));
    }
}

// The install script as the walk over a component section reads it: values as the launcher's
// profile calls read them into its buffers; cut() tells whether the last string lost
// characters.
class ScriptReader {
public:
    explicit ScriptReader(const IniFile& script) : m_script(script) {}
    std::int32_t ReadCount(const char* section, const char* key) {
        return ini::GetInt(m_script, section, key, 0);
    }
    char* ReadText(const char* section, const char* key) {
        m_text = ini::GetString(m_script, section, key, kScriptValueChars, &m_cut);
        return m_text.data();
    }
    bool cut() const { return m_cut; }

private:
    const IniFile& m_script;
    std::string m_text;
    bool m_cut = false;
};

// Builds the groups of one section as the walk hands them over, with the findings about what
// it reads.
class SectionReader {
public:
    SectionReader(const IniFile& script, const ScriptReader& reader, int sectionIndex, Disc* disc)
        : m_script(script),
          m_reader(reader),
          m_sectionIndex(sectionIndex),
          m_section(rules::kComponentSections[sectionIndex]),
          m_disc(disc) {}

    void OnGroupCount(const char* key, std::int32_t count, int) {
        CheckCountIsDecimal(m_script, m_section, key, m_section + " " + key, count, m_disc);
        m_disc->groupCount[m_sectionIndex] = count;
        countLine = LineOf(m_script, m_section, key);
        if (count > rules::kMaxScriptGroups) {
            Add(m_disc, FindingCode::kCountOverLimit,
                words::CountOverLimit(m_section + " " + key, count, rules::kMaxScriptGroups,
                                      "groups"),
                countLine);
        }
    }
    void OnGroup(int number) {
        m_group = DiscGroup();
        m_group.required = m_sectionIndex == 0;
        m_group.number = number;
        m_where = m_section + " group " + std::to_string(number);
        m_fileNumber = 0;
        m_unnamed = 0;
        m_firstUnnamed = 0;
    }
    void OnGroupName(const char* key, const char* name) {
        const int line = LineOf(m_script, m_section, key);
        m_group.line = line;
        m_group.name = name;
        AddIfCut(m_where + " name", line);
        if (m_group.required) m_group.name += rules::kRequiredGroupSuffix;
    }
    void OnGroupDescription(const char* key, const char* description) {
        m_group.description = description;
        AddIfCut(m_where + " description", LineOf(m_script, m_section, key));
    }
    void OnFileCount(const char* key, std::int32_t count, int files) {
        m_fileCountLine = LineOf(m_script, m_section, key);
        if (m_group.line == 0) m_group.line = m_fileCountLine;
        CheckCountIsDecimal(m_script, m_section, key, m_where + " FileCount", count, m_disc);
        m_group.fileCount = count;
        if (count > rules::kMaxGroupFiles) {
            Add(m_disc, FindingCode::kCountOverLimit,
                words::CountOverLimit(m_where + " FileCount", count, rules::kMaxGroupFiles,
                                      "files"),
                m_fileCountLine);
        }
        fileCounts[m_group.number] = files;
    }
    void OnFileName(const char* key, const char* name) {
        m_file = DiscFile();
        m_file.number = ++m_fileNumber;
        m_fileWhere = m_where + " file " + std::to_string(m_file.number);
        m_fileNameLine = LineOf(m_script, m_section, key);
        m_file.name = name;
        AddIfCut(m_fileWhere + " name", m_fileNameLine);
    }
    void OnFileKey(const char* key, const char* recordKey) {
        const int keyLine = LineOf(m_script, m_section, key);
        m_file.line = m_fileNameLine != 0 ? m_fileNameLine : keyLine;
        m_file.key = recordKey;
        AddIfCut(m_fileWhere + " key", keyLine);
        if (m_file.name.empty()) {
            if (m_unnamed++ == 0) m_firstUnnamed = m_file.number;
        } else if (m_file.key.empty()) {
            Add(m_disc, FindingCode::kEmptyKey, words::EmptyKey(m_fileWhere, m_file.name),
                keyLine != 0 ? keyLine : m_fileNameLine);
        } else if (!rules::IsSafeRecordKey(m_file.key)) {
            Add(m_disc, FindingCode::kUnsafeKey,
                words::UnsafeKey(m_fileWhere, m_file.name, m_file.key),
                keyLine != 0 ? keyLine : m_fileNameLine);
        }
        ReadFile(m_disc, m_fileWhere, &m_file);
        m_group.bytes += m_file.size;
        m_group.files.push_back(std::move(m_file));
    }
    bool OnGroupEnd() {
        if (m_unnamed > 0) {
            Add(m_disc, FindingCode::kEmptyName,
                words::EmptyName(m_where, m_unnamed, m_firstUnnamed), m_fileCountLine);
        }
        if (m_group.required && m_group.files.empty()) {
            Add(m_disc, FindingCode::kEmptyRequiredGroup,
                words::EmptyRequiredGroup(m_where, m_group.name), m_group.line);
        }
        m_disc->groups.push_back(std::move(m_group));
        return true;
    }

    int countLine = 0;                                // of PC-GroupCount; 0 when missing
    std::map<std::int64_t, std::int32_t> fileCounts;  // group number -> files read (-1: beyond)

private:
    // The value just read filled the launcher's buffer: "WHAT is longer than ... and is cut".
    void AddIfCut(const std::string& what, int line) {
        if (!m_reader.cut()) return;
        Add(m_disc, FindingCode::kValueCut, words::ValueCut(what, kScriptValueChars), line);
    }

    const IniFile& m_script;
    const ScriptReader& m_reader;
    int m_sectionIndex;
    std::string m_section;
    Disc* m_disc;
    DiscGroup m_group;
    std::string m_where;
    int m_fileCountLine = 0;
    DiscFile m_file;
    std::string m_fileWhere;
    int m_fileNameLine = 0;
    int m_fileNumber = 0;
    std::int32_t m_unnamed = 0, m_firstUnnamed = 0;
};

// What the look at a section's entries found: whether it has group entries, and the groups
// with file entries.
struct EntriesSeen {
    bool groupEntries = false;
    std::map<std::int64_t, bool> fileEntries;
};

// Warns of the entries of section the launcher never asks for: a repeated key, a key it never
// reads, an entry past its group's or the section's count.
EntriesSeen WarnOfUnreadEntries(const IniFile& script, const char* section, std::int32_t count,
                                std::map<std::int64_t, std::int32_t>& fileCounts, Disc* disc) {
    EntriesSeen result;
    std::map<std::string, int> seen;
    const std::int32_t groups =
        std::max(rules::CheckScriptCount(count, rules::kMaxScriptGroups), 0);
    for (const IniSection& candidate : script.sections) {
        if (!SameNoCase(candidate.name, section)) continue;
        for (const IniEntry& entry : candidate.entries) {
            const std::string at = std::string(section) + " " + entry.key;
            const auto [first, isNew] = seen.emplace(LowerAscii(entry.key), entry.line);
            if (!isNew) {
                Add(disc, FindingCode::kDuplicateKey, words::DuplicateKey(at, first->second),
                    entry.line);
                continue;
            }
            const rules::ScriptKey key = rules::ParseScriptKey(entry.key);
            if (key.kind == rules::ScriptKey::kNone) {
                Add(disc, FindingCode::kUnreadKey, words::UnreadKey(at), entry.line);
                continue;
            }
            if (key.kind == rules::ScriptKey::kGroupCount) continue;
            result.groupEntries = true;
            if (key.file > 0) result.fileEntries[key.group] = true;
            if (count < 1 || count > rules::kMaxScriptGroups) continue;  // reported as a whole
            if (key.group > groups) {
                Add(disc, FindingCode::kPastCount, words::PastCount(at, false, count), entry.line);
            } else if (key.file > 0 && fileCounts[key.group] >= 1 &&
                       key.file > fileCounts[key.group]) {
                Add(disc, FindingCode::kPastCount,
                    words::PastCount(at, true, fileCounts[key.group]), entry.line);
            }
        }
    }
    return result;
}

}  // namespace

// Reads the groups of one section by the launcher's walk and warns about its entries the
// launcher never reads.
void ReadSection(const IniFile& script, int sectionIndex, Disc* disc) {
    const char* section = rules::kComponentSections[sectionIndex];
    const bool required = sectionIndex == 0;
    ScriptReader reader(script);
    SectionReader groupReader(script, reader, sectionIndex, disc);
    rules::WalkComponentSection(reader, section, true, groupReader);
    const std::int32_t count = disc->groupCount[sectionIndex];
    const int countLine = groupReader.countLine;
    std::map<std::int64_t, std::int32_t>& fileCounts = groupReader.fileCounts;

    const EntriesSeen seen = WarnOfUnreadEntries(script, section, count, fileCounts, disc);
    const bool groupEntries = seen.groupEntries;
    const std::map<std::int64_t, bool>& fileEntries = seen.fileEntries;
    if (count < 1 && groupEntries) {
        Add(disc, FindingCode::kCountBelowOne, words::CountBelowOne(section, 0, count), countLine);
    }
    for (const DiscGroup& group : disc->groups) {
        if (group.required == required && group.fileCount < 1 &&
            fileEntries.count(group.number) > 0) {
            Add(disc, FindingCode::kCountBelowOne,
                words::CountBelowOne(section, group.number, group.fileCount),
                LineOf(script, section, FileCountKey(group.number)));
        }
    }
}

}  // namespace disctool::discread
