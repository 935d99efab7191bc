#include "tools/disctool/disc.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <system_error>

#include "toolkit/picload.h"
#include "toolkit/rawpict.h"
#include "tools/disctool/text.h"

namespace disctool {

const char* const kScriptTitleKeys[4] = {rules::kBasicTitleKey, rules::kAdvancedTitleKey,
                                         rules::kBasicInstructionKey,
                                         rules::kAdvancedInstructionKey};

namespace {

// Characters that the launcher's buffers for install-script values hold, less the terminator.
constexpr std::size_t kScriptPathChars = rules::kPathSize - 1;          // DefaultDir, Bitmap
constexpr std::size_t kScriptTitleChars = rules::kScriptTextSize - 1;   // titles, instructions
constexpr std::size_t kScriptValueChars = rules::kScriptValueSize - 1;  // component values

// Characters of one name component that the image's Joliet tree holds (with long Joliet
// names, which master asks for).
constexpr std::size_t kJolietNameChars = 103;

// A file name the way two listings of one file compare: without case, one kind of separator.
std::string NormalName(const std::string& name) {
    std::string normal;
    for (const std::string& part : NameComponents(name))
        normal += (normal.empty() ? "" : "\\") + FoldCase(part);
    return normal;
}

// The files in folder whose names end in extension, without regard to case; sorted.
std::vector<std::string> FilesWithExtension(const fs::path& folder, const std::string& extension) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file(error) && EndsWithNoCase(name, extension)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string StripExtension(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

void Add(Disc* disc, FindingCode code, const std::string& message, int line = 0) {
    disc->findings.push_back({code, message, line});
}

// The script line of the first entry of key in section, or 0 when there is none.
int LineOf(const IniFile& script, const std::string& section, const std::string& key) {
    const IniEntry* entry = ini::Find(script, section, key);
    return entry != nullptr ? entry->line : 0;
}

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

// The file-count key of a group ("PC-Group<group>FileCount").
std::string FileCountKey(std::int64_t group) {
    char key[rules::kScriptKeySize];
    rules::FormatFileCountKey(key, static_cast<int>(group));
    return key;
}

const char* SectionName(const DiscGroup& group) {
    return group.required ? rules::kRequiredSection : rules::kOptionalSection;
}

bool ChooseLauncher(const fs::path& folder, const char* option, Disc* disc, std::string* reason) {
    if (option != nullptr) {
        const std::string given = fs::path(option).filename().string();
        disc->launcher = given;
        disc->baseName = StripExtension(given);
        disc->chosenBy = "given with --launcher";
        if (!FindWithoutCase(folder, given)) {
            Add(disc, FindingCode::kMissingLauncher,
                "the launcher " + given + " is not in the disc folder");
        }
        return true;
    }
    const std::vector<std::string> programs = FilesWithExtension(folder, ".exe");
    const std::vector<std::string> scripts = FilesWithExtension(folder, ".inf");
    if (programs.size() == 1) {
        disc->launcher = programs[0];
        disc->chosenBy = "the only .exe in the folder";
    } else if (scripts.size() == 1) {
        disc->launcher = StripExtension(scripts[0]) + ".EXE";
        disc->chosenBy = "named after the only .inf in the folder";
        if (!FindWithoutCase(folder, disc->launcher)) {
            Add(disc, FindingCode::kMissingLauncher,
                "no launcher " + disc->launcher + " beside " + scripts[0]);
        }
    } else {
        *reason = "found " + std::to_string(programs.size()) + " .exe and " +
                  std::to_string(scripts.size()) +
                  " .inf files; say which is the launcher with --launcher NAME.EXE";
        return false;
    }
    disc->baseName = StripExtension(disc->launcher);
    return true;
}

// A path value (DefaultDir, Bitmap) as the launcher reads it: the value, or empty when it is
// longer than a path (*tooLong set), quoted or not.
std::string ReadPathValue(const IniFile& script, const char* section, const char* key,
                          bool* tooLong) {
    const std::optional<std::string> value = ini::GetUncut(script, section, key, kScriptPathChars);
    *tooLong = !value.has_value();
    return value.value_or("");
}

void ReadGeneral(const IniFile& script, const std::string& windowsDrive, Disc* disc) {
    bool cut = false;
    bool tooLong = false;
    disc->defaultDir =
        ReadPathValue(script, rules::kGeneralSection, rules::kDefaultDirKey, &tooLong);
    disc->destination = ProposedDestination(disc->defaultDir, windowsDrive, disc->baseName,
                                            &disc->defaultDestination);
    const int dirLine = LineOf(script, rules::kGeneralSection, rules::kDefaultDirKey);
    const std::string& dir = disc->defaultDir;
    if (tooLong) {
        Add(disc, FindingCode::kDefaultDirTooLong,
            "DefaultDir is longer than a path can be; the launcher proposes " + disc->destination +
                " instead",
            dirLine);
    } else if (!dir.empty() && !rules::IsAbsoluteFolder(dir)) {
        Add(disc, FindingCode::kDefaultDirRelative,
            "DefaultDir " + Quote(dir) +
                " is not a drive with its root nor a network name; it would depend on the drive and folder the launcher is started from, so the launcher proposes " +
                disc->destination + " instead",
            dirLine);
    } else if (!dir.empty() && disc->defaultDestination) {
        Add(disc, FindingCode::kDefaultDirTooLong,
            "DefaultDir does not fit a path with its backslash; the launcher proposes " +
                disc->destination + " instead",
            dirLine);
    }
    for (int i = 0; i < 4; ++i) {
        disc->titles[i] = ini::GetString(script, rules::kGeneralSection, kScriptTitleKeys[i],
                                         kScriptTitleChars, &cut);
        if (cut) {
            Add(disc, FindingCode::kValueCut,
                std::string(kScriptTitleKeys[i]) + " is longer than " +
                    std::to_string(kScriptTitleChars) + " characters and is cut",
                LineOf(script, rules::kGeneralSection, kScriptTitleKeys[i]));
        }
    }
}

void ReadBitmap(const IniFile& script, Disc* disc) {
    bool tooLong = false;
    disc->bitmap = ReadPathValue(script, rules::kStartupSection, rules::kBitmapKey, &tooLong);
    const int line = LineOf(script, rules::kStartupSection, rules::kBitmapKey);
    if (tooLong) {
        Add(disc, FindingCode::kBadBitmap,
            "the start-up picture's name is longer than " + std::to_string(kScriptPathChars) +
                " characters; the launcher refuses it and shows no start-up message",
            line);
        return;
    }
    if (disc->bitmap.empty()) return;
    if (!rules::IsSafeRelativeName(disc->bitmap)) {
        Add(disc, FindingCode::kBitmapNotChecked,
            "the start-up picture " + Quote(disc->bitmap) +
                " is not a name inside the disc folder and cannot be checked here",
            line);
        return;
    }
    disc->bitmapFile = FindWithoutCase(disc->folder, disc->bitmap);
    if (!disc->bitmapFile || !fs::is_regular_file(*disc->bitmapFile)) {
        disc->bitmapFile.reset();
        Add(disc, FindingCode::kBadBitmap,
            "the start-up picture " + Quote(disc->bitmap) + " is not on the disc", line);
        return;
    }
    const char* reason = nullptr;
    std::unique_ptr<RawPicture, decltype(&RAWPICT_Free)> picture(
        PICTURE_Load(disc->bitmapFile->string().c_str(), &reason), &RAWPICT_Free);
    if (picture == nullptr) {
        Add(disc, FindingCode::kBadBitmap,
            "the start-up picture " + Quote(disc->bitmap) +
                " does not load: " + (reason != nullptr ? reason : "unknown reason"),
            line);
        return;
    }
    disc->bitmapWidth = picture->bitmap->width;
    disc->bitmapHeight = picture->bitmap->height;
}

// Why the file found below folder cannot be pressed into the image as named, or empty: a
// symbolic link on the way (looked at without following it), a ";" (ISO 9660's version mark,
// which the image writer replaces) or a component longer than a Joliet name holds.
std::string UnpressableWhy(const fs::path& folder, const fs::path& found) {
    std::error_code error;
    fs::path at = folder;
    for (const fs::path& part : found.lexically_relative(folder)) {
        at /= part;
        const std::string name = part.string();
        if (fs::is_symlink(fs::symlink_status(at, error)))
            return "is reached through the symbolic link " + Quote(name);
        if (name.find(';') != std::string::npos) return "holds \";\" in " + Quote(name);
        std::size_t units = 0;  // UTF-16 code units, as Joliet counts
        for (std::size_t i = 0; i < name.size();) {
            const std::size_t length = std::max<std::size_t>(Utf8SequenceLength(name, i), 1);
            units += length == 4 ? 2 : 1;
            i += length;
        }
        if (units > kJolietNameChars)
            return "has the component " + Quote(name) + " of " + std::to_string(units) +
                   " characters, over the " + std::to_string(kJolietNameChars) +
                   " a Joliet name holds";
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
    const std::string limit = "over the " + std::to_string(kScriptPathChars) +
                              " characters of a path: the launcher can never install it";
    if (bytes.size() > kScriptPathChars) {
        Add(disc, FindingCode::kPathTooLong,
            where + " " + Quote(file.name) + " is " + std::to_string(bytes.size()) +
                " characters long, " + limit,
            file.line);
        return false;
    }
    if (destination.size() + bytes.size() > kScriptPathChars) {
        Add(disc, FindingCode::kPathTooLong,
            where + " " + Quote(file.name) + " in the destination " + disc->destination +
                " makes " + std::to_string(destination.size() + bytes.size()) + " characters, " +
                limit + " there",
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
        Add(disc, FindingCode::kRefusedName,
            where + " " + Quote(file->name) +
                " is not a relative name inside the disc folder that Windows holds as given (no dot-only component, device name or forbidden character); the launcher refuses it",
            file->line);
        return;
    }
    if (!FitsPaths(disc, where, bytes, *file)) return;
    file->found = FindWithoutCase(disc->folder, file->name);
    std::error_code error;
    if (file->found && fs::is_regular_file(*file->found, error)) {
        file->size = fs::file_size(*file->found, error);
        if (error) file->size = 0;
        if (const std::string why = UnpressableWhy(disc->folder, *file->found); !why.empty()) {
            Add(disc, FindingCode::kUnpressableName,
                where + " " + Quote(file->name) + " " + why +
                    "; the disc image would not hold it as named",
                file->line);
        }
        return;
    }
    const bool folder = file->found.has_value();
    file->found.reset();
    Add(disc, FindingCode::kMissingFile,
        where + " " + Quote(file->name) +
            (folder ? " is a folder, not a file" : " is not on the disc"),
        file->line);
}

// A count as the launcher reads it, with an error when systems read its text differently.
// A count whose text older systems read otherwise than this launcher: a finding.
void CheckCountIsDecimal(const IniFile& script, const std::string& section, const std::string& key,
                         const std::string& where, std::int32_t count, Disc* disc) {
    const std::string text = ini::GetString(script, section, key, kScriptValueChars);
    if (!ini::ReadsAsDecimal(text)) {
        Add(disc, FindingCode::kCountNotDecimal,
            where + " is written " + Quote(text) + ", which this launcher reads as " +
                std::to_string(count) +
                " but older systems read otherwise (they know no base prefix, read fewer digits or stop at 32 bits); write a plain decimal number",
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
                m_section + " " + key + " is " + std::to_string(count) +
                    ", over the launcher's limit of " + std::to_string(rules::kMaxScriptGroups) +
                    ": it reads no group of the section and never counts the product installed",
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
                m_where + " FileCount is " + std::to_string(count) +
                    ", over the launcher's limit of " + std::to_string(rules::kMaxGroupFiles) +
                    ": it reads none of its files and never counts the product installed",
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
            Add(m_disc, FindingCode::kEmptyKey,
                m_fileWhere + " " + Quote(m_file.name) + " has no key to record it under",
                keyLine != 0 ? keyLine : m_fileNameLine);
        } else if (!rules::IsSafeRecordKey(m_file.key)) {
            Add(m_disc, FindingCode::kUnsafeKey,
                m_fileWhere + " " + Quote(m_file.name) + " has the key " + Quote(m_file.key) +
                    ", which the shared file cannot hold (\"=\", a leading \"[\" or \";\", blanks at either end, or a control character); the launcher never records it and a checked group with it fails",
                keyLine != 0 ? keyLine : m_fileNameLine);
        }
        ReadFile(m_disc, m_fileWhere, &m_file);
        m_group.bytes += m_file.size;
        m_group.files.push_back(std::move(m_file));
    }
    bool OnGroupEnd() {
        if (m_unnamed > 0) {
            Add(m_disc, FindingCode::kEmptyName,
                m_where + ": " + std::to_string(m_unnamed) +
                    (m_unnamed == 1 ? " file has" : " files have") + " no name (first: file " +
                    std::to_string(m_firstUnnamed) +
                    "); the launcher can never count such a file installed",
                m_fileCountLine);
        }
        if (m_group.required && m_group.files.empty()) {
            Add(m_disc, FindingCode::kEmptyRequiredGroup,
                m_where + " " + Quote(m_group.name) +
                    " lists no file: it counts as installed at once, so setup never shows for it",
                m_group.line);
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
        Add(m_disc, FindingCode::kValueCut,
            what + " is longer than " + std::to_string(kScriptValueChars) +
                " characters and is cut",
            line);
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

// Reads the groups of one section by the launcher's walk and warns about its entries the
// launcher never reads.
void ReadSection(const IniFile& script, int sectionIndex, Disc* disc) {
    const char* section = rules::kComponentSections[sectionIndex];
    const bool required = sectionIndex == 0;
    ScriptReader reader(script);
    SectionReader groupReader(script, reader, sectionIndex, disc);
    rules::WalkComponentSection(reader, section, true, groupReader);
    const std::int32_t count = disc->groupCount[sectionIndex];
    const std::int32_t groups =
        std::max(rules::CheckScriptCount(count, rules::kMaxScriptGroups), 0);
    const int countLine = groupReader.countLine;
    std::map<std::int64_t, std::int32_t>& fileCounts = groupReader.fileCounts;

    // Entries the launcher never asks for.
    std::map<std::string, int> seen;
    bool groupEntries = false;
    std::map<std::int64_t, bool> fileEntries;
    for (const IniSection& candidate : script.sections) {
        if (!SameNoCase(candidate.name, section)) continue;
        for (const IniEntry& entry : candidate.entries) {
            const std::string at = std::string(section) + " " + entry.key;
            const auto [first, isNew] = seen.emplace(LowerAscii(entry.key), entry.line);
            if (!isNew) {
                Add(disc, FindingCode::kDuplicateKey,
                    at + " repeats the key of line " + std::to_string(first->second) +
                        "; only the first is read",
                    entry.line);
                continue;
            }
            const rules::ScriptKey key = rules::ParseScriptKey(entry.key);
            if (key.kind == rules::ScriptKey::kNone) {
                Add(disc, FindingCode::kUnreadKey, at + " is not a key the launcher reads",
                    entry.line);
                continue;
            }
            if (key.kind == rules::ScriptKey::kGroupCount) continue;
            groupEntries = true;
            if (key.file > 0) fileEntries[key.group] = true;
            if (count < 1 || count > rules::kMaxScriptGroups) continue;  // reported as a whole
            if (key.group > groups) {
                Add(disc, FindingCode::kPastCount,
                    at + " is past PC-GroupCount=" + std::to_string(count) + " and never read",
                    entry.line);
            } else if (key.file > 0 && fileCounts[key.group] >= 1 &&
                       key.file > fileCounts[key.group]) {
                Add(disc, FindingCode::kPastCount,
                    at + " is past the group's FileCount=" + std::to_string(fileCounts[key.group]) +
                        " and never read",
                    entry.line);
            }
        }
    }
    if (count < 1 && groupEntries) {
        Add(disc, FindingCode::kCountBelowOne,
            std::string(section) + " PC-GroupCount is " + std::to_string(count) +
                " but the section has group entries; none of them is read",
            countLine);
    }
    for (const DiscGroup& group : disc->groups) {
        if (group.required == required && group.fileCount < 1 && fileEntries[group.number]) {
            Add(disc, FindingCode::kCountBelowOne,
                std::string(section) + " group " + std::to_string(group.number) + " FileCount is " +
                    std::to_string(group.fileCount) +
                    " but the group lists files; none of them is read",
                LineOf(script, section, FileCountKey(group.number)));
        }
    }
}

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

}  // namespace

const char* InstallerWord(const std::string& name) {
    const std::string lower = LowerAscii(name);
    for (const char* word : {"install", "setup", "update", "patch", "upgrade"}) {
        if (lower.find(word) != std::string::npos) return word;
    }
    return nullptr;
}

bool Disc::HasErrors() const {
    return std::any_of(findings.begin(), findings.end(),
                       [](const Finding& f) { return f.severity() == Severity::kError; });
}

std::uint64_t Disc::TotalBytes() const {
    std::uint64_t total = 0;
    for (const DiscGroup& group : groups) total += group.bytes;
    return total;
}

std::optional<fs::path> FindWithoutCase(const fs::path& folder, const std::string& name) {
    fs::path at = folder;
    std::error_code error;
    for (const std::string& part : NameComponents(name)) {
        if (part == "..") return std::nullopt;
        if (fs::exists(at / part, error)) {
            at /= part;
            continue;
        }
        std::vector<std::string> matches;
        for (const auto& entry : fs::directory_iterator(at, error)) {
            const std::string candidate = entry.path().filename().string();
            if (FoldCase(candidate) == FoldCase(part)) matches.push_back(candidate);
        }
        if (matches.empty()) return std::nullopt;
        std::sort(matches.begin(), matches.end());
        at /= matches[0];
    }
    return fs::exists(at, error) ? std::optional<fs::path>(at) : std::nullopt;
}

std::string ProposedDestination(const std::string& defaultDir, const std::string& windowsDrive,
                                const std::string& baseName, bool* isDefault) {
    *isDefault = !rules::UsesDefaultDir(defaultDir);
    if (!*isDefault) return defaultDir.back() == '\\' ? defaultDir : defaultDir + '\\';
    return windowsDrive + "\\" + rules::kDefaultInstallRoot + "\\" + baseName + "\\";
}

bool ReadDisc(const fs::path& folder, const char* launcherOption, const std::string& windowsDrive,
              Disc* disc, std::string* reason) {
    disc->folder = folder;
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        *reason = "not a folder";
        return false;
    }
    if (!ChooseLauncher(folder, launcherOption, disc, reason)) return false;
    WarnOfInstallerName(disc);
    CheckSectionName(disc);

    disc->game = FindWithoutCase(folder, disc->baseName + ".a32");
    if (!disc->game) {
        Add(disc, FindingCode::kMissingGame,
            "the game " + disc->baseName + ".a32 is not beside the launcher");
    }
    disc->script = FindWithoutCase(folder, disc->baseName + ".inf");
    IniFile script;
    if (!disc->script) {
        Add(disc, FindingCode::kMissingScript,
            "no install script " + disc->baseName +
                ".inf beside the launcher; it would install nothing and start the game at once");
    } else {
        std::string why;
        std::optional<IniFile> loaded = ini::Load(disc->script->string(), disc->codepage, &why);
        if (!loaded) {
            Add(disc, FindingCode::kMissingScript,
                "the install script " + disc->script->filename().string() + " " + why);
        } else {
            script = std::move(*loaded);
            script.codepage = disc->codepage;
            if (script.encoding == IniEncoding::kAnsi) WarnOfUtf8(script, disc);
            ReportIssues(script, disc);
            WarnOfRepeatedSections(script, disc);
        }
    }
    ReadGeneral(script, windowsDrive, disc);
    ReadBitmap(script, disc);
    ReadSection(script, 0, disc);
    ReadSection(script, 1, disc);
    if (disc->script && disc->groups.empty()) {
        Add(disc, FindingCode::kNoGroups,
            "the install script lists no group in [Required] or [Optional]: nothing is installed and setup never shows");
    }
    CheckKeys(disc);
    CheckRepeatedNames(disc);
    WarnOfSlowStart(disc);
    return true;
}

bool CheckWindowsDrive(const char* text, std::string* drive) {
    const std::string value = text != nullptr ? text : "C:";
    if (value.size() != 2 || value[1] != ':' || !std::isalpha(static_cast<unsigned char>(value[0])))
        return false;
    *drive = value;
    return true;
}

std::string Megabytes(std::uint64_t bytes) {
    const float megabytes = static_cast<float>(bytes) / 1048576.0f;
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(megabytes));
    return text;
}

}  // namespace disctool
