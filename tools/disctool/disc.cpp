#include "tools/disctool/disc.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <system_error>

#include "toolkit/picload.h"
#include "toolkit/rawpict.h"
#include "tools/disctool/discread.h"
#include "tools/disctool/text.h"

namespace disctool {

const char* const kScriptTitleKeys[4] = {rules::kBasicTitleKey, rules::kAdvancedTitleKey,
                                         rules::kBasicInstructionKey,
                                         rules::kAdvancedInstructionKey};

namespace discread {

// A file name the way two listings of one file compare: without case, one kind of separator.
std::string NormalName(const std::string& name) {
    std::string normal;
    for (const std::string& part : NameComponents(name)) {
        if (!normal.empty()) normal += '\\';
        normal += FoldCase(part);
    }
    return normal;
}

void Add(Disc* disc, FindingCode code, const std::string& message, int line) {
    disc->findings.push_back({code, message, line});
}

// The script line of the first entry of key in section, or 0 when there is none.
int LineOf(const IniFile& script, const std::string& section, const std::string& key) {
    const IniEntry* entry = ini::Find(script, section, key);
    return entry != nullptr ? entry->line : 0;
}

// The file-count key of a group ("PC-Group<group>FileCount").
std::string FileCountKey(std::int64_t group) {
    char key[rules::kScriptKeySize];
    rules::FormatFileCountKey(key, static_cast<int>(group));
    return key;
}

}  // namespace discread

using namespace discread;

namespace {

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

bool ChooseLauncher(const fs::path& folder, const char* option, Disc* disc, std::string* reason) {
    if (option != nullptr) {
        const std::string given = fs::path(option).filename().string();
        disc->launcher = given;
        disc->baseName = StripExtension(given);
        disc->chosenBy = "given with --launcher";
        if (!FindWithoutCase(folder, given)) {
            Add(disc, FindingCode::kMissingLauncher, words::MissingLauncher(given, ""));
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
                words::MissingLauncher(disc->launcher, scripts[0]));
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
            words::DefaultDirTooLong(true, disc->destination), dirLine);
    } else if (!dir.empty() && !rules::IsAbsoluteFolder(dir)) {
        Add(disc, FindingCode::kDefaultDirRelative,
            words::DefaultDirRelative(dir, disc->destination), dirLine);
    } else if (!dir.empty() && disc->defaultDestination) {
        Add(disc, FindingCode::kDefaultDirTooLong,
            words::DefaultDirTooLong(false, disc->destination), dirLine);
    }
    disc->productName = ini::GetString(script, rules::kGeneralSection, rules::kProductNameKey,
                                       kScriptTitleChars, &cut);
    if (cut) {
        Add(disc, FindingCode::kValueCut,
            words::ValueCut(rules::kProductNameKey, kScriptTitleChars),
            LineOf(script, rules::kGeneralSection, rules::kProductNameKey));
    }
    for (int i = 0; i < 4; ++i) {
        disc->titles[i] = ini::GetString(script, rules::kGeneralSection, kScriptTitleKeys[i],
                                         kScriptTitleChars, &cut);
        if (cut) {
            Add(disc, FindingCode::kValueCut,
                words::ValueCut(kScriptTitleKeys[i], kScriptTitleChars),
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
            words::BadBitmap(words::BitmapFault::kNameTooLong, disc->bitmap, kScriptPathChars,
                             nullptr),
            line);
        return;
    }
    if (disc->bitmap.empty()) return;
    if (!rules::IsSafeRelativeName(disc->bitmap)) {
        Add(disc, FindingCode::kBitmapNotChecked, words::BitmapNotChecked(disc->bitmap), line);
        return;
    }
    disc->bitmapFile = FindWithoutCase(disc->folder, disc->bitmap);
    if (!disc->bitmapFile || !fs::is_regular_file(*disc->bitmapFile)) {
        disc->bitmapFile.reset();
        Add(disc, FindingCode::kBadBitmap,
            words::BadBitmap(words::BitmapFault::kNotOnDisc, disc->bitmap, 0, nullptr), line);
        return;
    }
    const char* reason = nullptr;
    std::unique_ptr<RawPicture, decltype(&RAWPICT_Free)> picture(
        PICTURE_Load(disc->bitmapFile->string().c_str(), &reason), &RAWPICT_Free);
    if (picture == nullptr) {
        Add(disc, FindingCode::kBadBitmap,
            words::BadBitmap(words::BitmapFault::kDoesNotLoad, disc->bitmap, 0, reason), line);
        return;
    }
    disc->bitmapWidth = picture->bitmap->width;
    disc->bitmapHeight = picture->bitmap->height;
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

const char* SectionName(const DiscGroup& group) {
    return group.required ? rules::kRequiredSection : rules::kOptionalSection;
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
        Add(disc, FindingCode::kMissingGame, words::MissingGame(disc->baseName));
    }
    disc->script = FindWithoutCase(folder, disc->baseName + ".inf");
    IniFile script;
    bool read = false;  // the script was found and read
    if (!disc->script) {
        Add(disc, FindingCode::kMissingScript, words::MissingScript(disc->baseName, "", ""));
    } else {
        std::string why;
        std::optional<IniFile> loaded = ini::Load(disc->script->string(), disc->codepage, &why);
        if (!loaded) {
            Add(disc, FindingCode::kMissingScript,
                words::MissingScript(disc->baseName, disc->script->filename().string(), why));
        } else {
            script = std::move(*loaded);
            read = true;
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
    if (read && disc->groups.empty()) {
        Add(disc, FindingCode::kNoGroups, words::NoGroups());
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
