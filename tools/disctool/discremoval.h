// What the launcher's removal ("/remove") would do with one listed file, by the launcher's own
// rules: which value of the shared file is the record of a copy (rules::IsFullPathShape, and
// rules::IsSameRecordSpelling against the path Windows resolves it to), which recorded copy is
// one the launcher made (rules::HeldFileName, and never one of the product's source files),
// and what becomes of the copy and its record. verify states it for every file and changes
// nothing.
#pragma once

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace disctool {

struct Disc;
namespace fs = std::filesystem;

// The path Windows resolves a value of full-path shape to (its full-path resolution): the root
// ("X:\" or "\\server\share"), then the names with slashes as backslashes, runs of separators
// as one, "." dropped and ".." taking off the name before it (never the root), a single dot
// ending a folder's name dropped and the trailing dots and spaces of the last name dropped.
std::string ResolveFullPath(std::string_view value);

// Whether value (as read from the shared file) is the record of a copy: it has full-path shape
// and spells its own resolution up to case, slashes and trailing dots and spaces. *copy then
// gets the resolution, the path that names the copy.
bool IsRecordOfCopy(std::string_view value, std::string* copy);

// The product's source files as the launcher's removal knows them: every file directly in the
// disc folder and every listed file found on the disc. A record that names one of them is
// never a copy of the launcher's.
class SourceFiles {
public:
    SourceFiles() = default;
    explicit SourceFiles(const Disc& disc);
    bool Contains(const fs::path& path) const;

private:
    fs::path m_folder;
    std::set<fs::path> m_files;
};

// What removal does with one listed file.
enum class Removal {
    kDelete,         // an unchanged copy of ours: deleted and its record erased (kept with its
                     // record if it is in use then)
    kKeepChanged,    // changed since installed: kept, the player's now; its record erased
    kKeepReadOnly,   // read-only: the delete fails; kept with its record
    kKeepNotOurs,    // the record names a file the launcher did not make: kept with its record
    kForget,         // the copy is gone: only the record is erased
    kNoRecord,       // nothing recorded: nothing to do
    kNotARecord,     // the value names no copy: left alone with the value
    kRecordTooLong,  // a value longer than a path: never read, left alone
    kUnsafeKey,      // a key the shared file cannot hold: never read
    kUnknown,        // the copy's drive is not mapped (--drive)
};

// The action on the copy in the JSON report: "delete", "keep", "forget", "none" or "unknown".
const char* RemovalWord(Removal removal);
// Why, as a stable word for the JSON report ("unchanged", "changed", "read-only", ...).
const char* RemovalReason(Removal removal);
// The same in the text report ("removal deletes it unless it is in use", ...).
const char* RemovalText(Removal removal);

// What removal does with the recorded copy of the listed file name (UTF-8), the record's
// resolution mapped to copy on this machine (empty: nothing there), in the launcher's order
// (rules::JudgeRecordedCopy): a copy not of ours is kept, a missing one forgotten, a changed
// one kept and forgotten, and an unchanged one deleted unless it is read-only.
Removal RemovalOfCopy(const std::string& name, const std::string& recorded,
                      const std::optional<fs::path>& copy, bool unchanged,
                      const SourceFiles& sources);

}  // namespace disctool
