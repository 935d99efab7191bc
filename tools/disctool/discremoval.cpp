#include "tools/disctool/discremoval.h"

#include <sys/stat.h>

#include <vector>

#include "rules/install_rules.h"
#include "tools/disctool/codepage.h"
#include "tools/disctool/disc.h"

namespace disctool {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The root of a value of full-path shape: "X:" (its backslash follows), or "\\server\share".
std::size_t RootLength(std::string_view value) {
    if (value.size() >= 2 && value[1] == ':') return 2;
    const std::size_t share = value.find('\\', 2);
    if (share == std::string_view::npos) return value.size();
    return std::min(value.find('\\', share + 1), value.size());
}

struct RemovalRow {
    Removal removal;
    const char* word;
    const char* reason;
    const char* text;
};

// The launcher's removal, case by case (setup/removal.h states the same rules).
constexpr RemovalRow kRemovalRows[] = {
    {Removal::kDelete, "delete", "unchanged", "removal deletes it unless it is in use"},
    {Removal::kKeepChanged, "keep", "changed",
     "removal keeps it (changed since installed) and erases its record"},
    {Removal::kKeepReadOnly, "keep", "read-only", "removal keeps it and its record (read-only)"},
    {Removal::kKeepNotOurs, "keep", "not-ours",
     "removal keeps it and its record (not a copy made by the launcher)"},
    {Removal::kForget, "forget", "copy-missing", "removal erases its record (the copy is gone)"},
    {Removal::kNoRecord, "none", "no-record", "removal leaves it (nothing recorded)"},
    {Removal::kNotARecord, "none", "not-a-record",
     "removal leaves it and the value (the value names no copy)"},
    {Removal::kRecordTooLong, "none", "record-too-long",
     "removal leaves it and the value (longer than a path)"},
    {Removal::kUnsafeKey, "none", "unsafe-key", "removal leaves it (the key cannot name a record)"},
    {Removal::kUnknown, "unknown", "drive-not-mapped", "removal unknown (drive not mapped)"},
};

const RemovalRow& RowOf(Removal removal) {
    for (const RemovalRow& row : kRemovalRows) {
        if (row.removal == removal) return row;
    }
    return kRemovalRows[std::size(kRemovalRows) - 1];
}

// Whether the file at path is read-only as Wine maps the attribute: no write permission for
// anyone. Its delete then fails ("cannot delete"), as it does on Windows.
bool IsReadOnly(const fs::path& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

std::string ResolveFullPath(std::string_view value) {
    const std::size_t root = RootLength(value);
    std::vector<std::string_view> names;
    std::size_t start = root;
    for (std::size_t i = root; i <= value.size(); ++i) {
        if (i < value.size() && !IsSeparator(value[i])) continue;
        std::string_view name = value.substr(start, i - start);
        start = i + 1;
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            if (!names.empty()) names.pop_back();
            continue;
        }
        if (i < value.size()) {
            // A folder's name loses one ending dot.
            if (name.size() >= 2 && name.back() == '.' && name[name.size() - 2] != '.') {
                name.remove_suffix(1);
            }
        } else {
            while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
                name.remove_suffix(1);
            }
        }
        names.push_back(name);
    }
    std::string resolved(value.substr(0, root));
    for (const std::string_view name : names) resolved.append("\\").append(name);
    if (names.empty() || (value.size() > root && IsSeparator(value.back()))) resolved += '\\';
    return resolved;
}

bool IsRecordOfCopy(std::string_view value, std::string* copy) {
    if (!rules::IsFullPathShape(value)) return false;
    std::string resolved = ResolveFullPath(value);
    if (!rules::IsSameRecordSpelling(value, resolved)) return false;
    *copy = std::move(resolved);
    return true;
}

SourceFiles::SourceFiles(const Disc& disc) {
    std::error_code error;
    m_folder = fs::weakly_canonical(disc.folder, error);
    for (const DiscGroup& group : disc.groups) {
        for (const DiscFile& file : group.files) {
            if (file.found) m_files.insert(fs::weakly_canonical(*file.found, error));
        }
    }
}

bool SourceFiles::Contains(const fs::path& path) const {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(path, error);
    return !error && (canonical.parent_path() == m_folder || m_files.count(canonical) != 0);
}

const char* RemovalWord(Removal removal) { return RowOf(removal).word; }
const char* RemovalReason(Removal removal) { return RowOf(removal).reason; }
const char* RemovalText(Removal removal) { return RowOf(removal).text; }

Removal RemovalOfCopy(const std::string& name, const std::string& recorded,
                      const std::optional<fs::path>& copy, bool unchanged,
                      const SourceFiles& sources) {
    struct Facts {
        const std::string &name, &recorded;
        const std::optional<fs::path>& copy;
        bool unchanged;
        const SourceFiles& sources;
        bool Ours() const {
            return FoldCase(std::string(rules::HeldFileName(recorded))) ==
                       FoldCase(std::string(rules::HeldFileName(name))) &&
                   !(copy && sources.Contains(*copy));
        }
        bool Exists() const { return copy.has_value(); }
        bool Unchanged() const { return unchanged; }
    } facts{name, recorded, copy, unchanged, sources};
    switch (rules::JudgeRecordedCopy(facts)) {
        case rules::CopyRemoval::kKeepNotOurs:
            return Removal::kKeepNotOurs;
        case rules::CopyRemoval::kForget:
            return Removal::kForget;
        case rules::CopyRemoval::kKeepChanged:
            return Removal::kKeepChanged;
        case rules::CopyRemoval::kDelete:
            break;
    }
    // The delete of a read-only file fails: it stays with its record.
    return IsReadOnly(*copy) ? Removal::kKeepReadOnly : Removal::kDelete;
}

}  // namespace disctool
