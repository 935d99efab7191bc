#include "setup/install_run.h"

#include <cstring>
#include <string>
#include <unordered_set>

#include "launcher/paths.h"
#include "launcher/records.h"
#include "resources/resource.h"

namespace {

constexpr const char kSpaceQuestion[] =
    "There does not appear to be enough space on drive %s\nTry to copy anyway?";
constexpr const char kSpaceCaption[] = "Disk Space";
constexpr const char kCreateQuestion[] =
    "The specified destination directory does not exist.  Create?";
constexpr const char kCreateCaption[] = "Create Directory";
constexpr const char kCreateFailed[] = "Unable to create directory structure %s";
constexpr const char kCopyFailed[] = "Unable to copy %s to \n%s";
constexpr const char kSameAsSource[] = "The destination folder is the same as the source folder.";
constexpr const char kNotRecorded[] =
    "The installed files could not all be recorded in %s.\nSetup may appear again at the next "
    "start.";

// The text of format with each "%s" replaced by the next argument, whatever their lengths.
std::string Format(const char* format, const char* first, const char* second = "") {
    const char* args[] = {first, second};
    std::size_t next = 0;
    std::string text;
    for (const char* p = format; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] == 's' && next < 2) {
            text += args[next++];
            ++p;
        } else {
            text += *p;
        }
    }
    return text;
}

// The full path of path ("." and ".." resolved, relative paths made absolute) in dest
// (kPathSize bytes). false when it cannot be formed or does not fit.
bool ResolvePath(char* dest, const char* path) {
    if (path[0] == '\0') return false;
    const DWORD length = GetFullPathNameA(path, static_cast<DWORD>(kPathSize), dest, nullptr);
    return length != 0 && length < static_cast<DWORD>(kPathSize);
}

// The resolved path in upper case, as the file system compares names; empty when the path
// cannot be resolved.
std::string ComparisonKey(const char* path) {
    char full[kPathSize];
    if (!ResolvePath(full, path)) return std::string();
    std::string key(full);
    CharUpperBuffA(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

// The last component of path (after its last backslash or slash), in upper case; the second
// byte of a double-byte character is never taken for a separator.
std::string LastComponentKey(const char* path) {
    std::string key(LastPathComponent(path));
    // Windows strips trailing dots and spaces from a name; no trail byte of a double-byte
    // character is a dot or a space.
    while (!key.empty() && (key.back() == '.' || key.back() == ' ')) key.pop_back();
    CharUpperBuffA(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

// Which file or folder a path names, whatever its spelling: the volume's serial number and
// the file's index on it.
struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the existing file or folder at path into identity. false when it cannot be
// read (no such file, a system that cannot open folders, a file system without file indexes);
// callers then rely on comparing the resolved paths alone.
bool ReadFileIdentity(const char* path, FileIdentity* identity) {
    // Opened for no access, sharing everything a first 32-bit Windows knows, so that neither
    // an open file nor a folder is refused.
    const HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL read = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!read || (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0)) return false;
    *identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

// Identities of files and folders: a list, since a run knows few of them.
class IdentitySet {
public:
    void Add(const char* path) {
        FileIdentity identity;
        if (ReadFileIdentity(path, &identity)) m_identities.push_back(identity);
    }
    bool Contains(const char* path) const {
        FileIdentity identity;
        if (m_identities.empty() || !ReadFileIdentity(path, &identity)) return false;
        for (const FileIdentity& known : m_identities) {
            if (known == identity) return true;
        }
        return false;
    }

private:
    std::vector<FileIdentity> m_identities;
};

// Knows the product's source files: every file directly in the source folder (the launcher,
// its script, the game) and the source of every component file. No step of a run deletes or
// replaces one of them, whatever the shared file records or the user typed.
class SourceFiles {
public:
    // false when the source folder cannot be resolved.
    bool Load(const char* sourceFolder, const std::vector<InstallRow>& rows) {
        m_folder = ComparisonKey(sourceFolder);
        if (m_folder.empty()) return false;
        if (const char* last = LastPathChar(m_folder.c_str()); *last != '\\') m_folder += '\\';
        m_folderIdentity.Add(sourceFolder);
        char source[kPathSize];
        for (const InstallRow& row : rows) {
            if (row.group == nullptr) continue;
            for (const ComponentFile& file : row.group->files) {
                if (IsSafeRelativeName(file.name.c_str()) &&
                    FormatPath(source, "%s%s", sourceFolder, file.name.c_str())) {
                    std::string key = ComparisonKey(source);
                    if (!key.empty()) m_files.insert(std::move(key));
                    m_fileIdentities.Add(source);
                }
            }
        }
        return true;
    }

    // Whether folder (with a trailing backslash) is the source folder, by its resolved path or
    // by its identity (another spelling: a "\\?\" prefix, a mapped or substituted drive, a
    // short name, a junction).
    bool IsSourceFolder(const char* folder) const {
        return ComparisonKey(folder) == m_folder || m_folderIdentity.Contains(folder);
    }

    // Whether path names a source file, by its resolved path or by identity. A path that
    // cannot be resolved counts as one, so it is left alone.
    bool Contains(const char* path) const {
        const std::string key = ComparisonKey(path);
        if (key.empty()) return true;
        char folder[kPathSize];
        GetPathFolder(folder, key.c_str());
        if (folder == m_folder) return true;
        if (m_files.count(key) != 0 || m_fileIdentities.Contains(path)) return true;
        return folder[0] != '\0' && m_folderIdentity.Contains(folder);
    }

private:
    std::string m_folder;
    std::unordered_set<std::string> m_files;
    IdentitySet m_folderIdentity;
    IdentitySet m_fileIdentities;
};

// One install run: the state it carries from step to step.
class InstallRun {
public:
    InstallRun(const InstallRequest& request, CopyProgressDialog& progress, CWnd* owner,
               InstallPrompts& prompts, VolumeFileSystemQuery queryFileSystem)
        : m_paths(*request.paths),
          m_request(request),
          m_progress(progress),
          m_owner(owner),
          m_prompts(prompts),
          m_queryFileSystem(queryFileSystem) {}

    int Run(const std::vector<InstallRow>& rows) {
        if (Prepare(rows)) {
            m_progress.SetProgressTotal(m_request.required);
            for (const InstallRow& row : rows) {
                if (!InstallRowFiles(row)) {
                    m_success = false;
                    break;
                }
            }
        }
        if (m_progress.m_hWnd != nullptr) m_progress.DestroyWindow();
        if (!m_success && !m_message.empty()) {
            m_prompts.Report(m_message.c_str(), m_paths.baseName);
        }
        if (m_success && m_unrecorded) {
            m_prompts.Inform(Format(kNotRecorded, m_paths.sharedIniPath).c_str(), m_paths.baseName);
        }
        return m_success ? 1 : 0;
    }

private:
    // Everything before the first file: the destination and the space question. false ends
    // the run before anything is deleted.
    bool Prepare(const std::vector<InstallRow>& rows) {
        const char* typed = m_request.destination;
        if (typed[0] == '\0') return Fail();
        // A typed text too long for a path is refused as typed: resolved, it could shrink to
        // another folder (a root). The message shows at most one character more than a path
        // holds, as much as the dialog reads.
        if (std::strlen(typed) >= static_cast<std::size_t>(kPathSize)) {
            const std::string shown(typed, static_cast<std::size_t>(kPathSize));
            return Fail(Format(kCreateFailed, shown.c_str()));
        }
        if (!ResolvePath(m_destination, typed) || !AddTrailingBackslash(m_destination)) {
            return Fail(Format(kCreateFailed, typed));
        }
        if (!m_sources.Load(m_paths.sourceFolder, rows)) return Fail();
        if (m_sources.IsSourceFolder(m_destination)) return Fail(kSameAsSource);

        if (m_request.available < m_request.required) {
            char drive[3] = "";
            if (m_destination[0] != '\0' && m_destination[1] == ':') {
                drive[0] = m_destination[0];
                drive[1] = ':';
            }
            if (!m_prompts.Ask(Format(kSpaceQuestion, drive).c_str(), kSpaceCaption)) {
                return Fail();
            }
        }
        return true;
    }

    bool InstallRowFiles(const InstallRow& row) {
        if (row.group == nullptr) return false;
        for (const ComponentFile& file : row.group->files) {
            if (!InstallFile(file, row.checked != 0)) return false;
        }
        return true;
    }

    // One file of a row: old copies deleted, then copied and recorded (checked) or removed
    // and its record erased (unchecked). false ends the run.
    bool InstallFile(const ComponentFile& file, bool checked) {
        const char* name = file.name.c_str();
        const char* key = file.key.c_str();
        char source[kPathSize];
        char target[kPathSize];
        // A key the shared file cannot hold (rules::IsSafeRecordKey) is never read, written or
        // erased; its file is copied like any other and simply not recorded.
        const bool safe = IsSafeRelativeName(name) != 0;
        const bool sourceFits = FormatPath(source, "%s%s", m_paths.sourceFolder, name);
        const bool targetFits = FormatPath(target, "%s%s", m_destination, name);
        if (checked && (!safe || !sourceFits || !targetFits || m_sources.Contains(target))) {
            // Reported with the paths as they would read, whatever their length.
            const std::string from = std::string(m_paths.sourceFolder) + name;
            const std::string to = std::string(m_destination) + name;
            return Fail(Format(kCopyFailed, from.c_str(), to.c_str()));
        }
        // A name that leaves its folder names nothing of this product: nothing is touched.
        if (!safe) return true;

        // A record too long for a path names no copy of ours: it reads as empty and is left,
        // never cut to a path that could name another file. A copy this run has made (the
        // same file listed in two groups, or two names under one key) is never deleted, and a
        // record naming one is never erased.
        char recorded[kPathSize] = "";
        ReadRecord(m_paths, key, recorded);
        const bool recordsThisRun = IsCopiedThisRun(recorded);
        // Another program, or another product of the same base name, can write the record: a
        // recorded path is taken for a copy of this file only when it ends in the file's own
        // name. For a file whose source does not fit, nothing recorded is deleted.
        if (sourceFits && LastComponentKey(recorded) == LastComponentKey(name)) {
            DeleteOldCopy(recorded);
        }
        char proposed[kPathSize];
        if (m_paths.destFolder[0] != '\0' &&
            FormatPath(proposed, "%s%s", m_paths.destFolder, name)) {
            DeleteOldCopy(proposed);
        }
        if (checked && IsCopiedThisRun(target)) {
            // Copied already by an earlier row: recorded under this key too, not copied again.
            Record(key, target);
            return true;
        }

        if (!checked) {
            // In the chosen folder (perhaps one of the user's own) only a copy of ours goes:
            // the recorded copy (deleted above when it is the target) or a file with exactly
            // the source's last-write time.
            if (targetFits && sourceFits && IsCopyOfSource(source, target)) DeleteOldCopy(target);
            // A source path that does not fit left the recorded copy in place: so is its record.
            if (!recordsThisRun && sourceFits) EraseRecord(m_paths, key);
            return true;
        }

        if (!PathFolderExists(target)) {
            if (!m_prompts.Ask(kCreateQuestion, kCreateCaption)) return Fail();
            char folder[kPathSize];
            GetPathFolder(folder, target);
            if (!CreateFolderChain(folder)) return Fail(Format(kCreateFailed, folder));
        }
        if (m_progress.m_hWnd == nullptr) m_progress.Create(IDD_COPY_PROGRESS, m_owner);
        switch (m_progress.CopyFileWithProgress(source, target, 0)) {
            case CopyProgressDialog::kCopied:
                break;
            case CopyProgressDialog::kCancelled:
                return Fail();
            default:
                return Fail(Format(kCopyFailed, source, target));
        }
        m_copied.insert(ComparisonKey(target));
        m_copiedIdentities.Add(target);
        Record(key, target);
        return true;
    }

    // Records target under key. A record that cannot be written leaves the copy installed: the
    // next start's install-state check adopts it when it lies in the proposed destination, and
    // the run ends with a warning.
    void Record(const char* key, const char* target) {
        if (!WriteRecord(m_paths, key, target)) m_unrecorded = true;
    }

    // Whether target carries its source's last-write time, within the tolerance of target's
    // volume (rules::CoarseTimeTolerance): a copy made by this launcher.
    bool IsCopyOfSource(const char* source, const char* target) const {
        FILETIME sourceTime{};
        FILETIME targetTime{};
        if (!ReadFileWriteTimes(source, target, &sourceTime, &targetTime)) return false;
        const auto ticks = [](const FILETIME& time) {
            return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
        };
        char fileSystem[MAX_PATH + 1] = "";
        const std::uint64_t tolerance = m_queryFileSystem(target, fileSystem, sizeof fileSystem)
                                            ? rules::CoarseTimeTolerance(fileSystem)
                                            : 0;
        return rules::IsCopyCurrent({0, ticks(sourceTime)}, {0, ticks(targetTime)}, tolerance);
    }

    // Whether path is a target this run has copied to.
    bool IsCopiedThisRun(const char* path) const {
        if (path[0] == '\0') return false;
        const std::string key = ComparisonKey(path);
        return (!key.empty() && m_copied.count(key) != 0) || m_copiedIdentities.Contains(path);
    }

    // Deletes the file at path unless it is a source file or a copy made by this run.
    // Failures are ignored: a file that is not there, or is read-only, is simply left.
    void DeleteOldCopy(const char* path) const {
        if (path[0] != '\0' && !m_sources.Contains(path) && !IsCopiedThisRun(path)) {
            DeleteFileA(path);
        }
    }

    bool Fail(std::string message = std::string()) {
        m_success = false;
        m_message = std::move(message);
        return false;
    }

    const ProductPaths& m_paths;
    const InstallRequest& m_request;
    CopyProgressDialog& m_progress;
    CWnd* m_owner;
    InstallPrompts& m_prompts;
    VolumeFileSystemQuery m_queryFileSystem;
    SourceFiles m_sources;
    std::unordered_set<std::string> m_copied;  // targets copied to so far, as ComparisonKey
    IdentitySet m_copiedIdentities;            // and by identity
    char m_destination[kPathSize] = "";
    bool m_success = true;
    bool m_unrecorded = false;  // a copy whose record could not be written
    std::string m_message;
};

}  // namespace

int MessageBoxPrompts::Ask(const char* text, const char* caption) {
    return MessageBoxA(m_owner, text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES ? 1 : 0;
}

void MessageBoxPrompts::Report(const char* text, const char* caption) {
    MessageBoxA(m_owner, text, caption, MB_OK | MB_ICONHAND);
}

void MessageBoxPrompts::Inform(const char* text, const char* caption) {
    MessageBoxA(m_owner, text, caption, MB_OK | MB_ICONINFORMATION);
}

int InstallComponents(const InstallRequest& request, const std::vector<InstallRow>& rows,
                      CopyProgressDialog& progress, CWnd* owner, InstallPrompts& prompts,
                      VolumeFileSystemQuery queryFileSystem) {
    InstallRun run(request, progress, owner, prompts, queryFileSystem);
    return run.Run(rows);
}

std::vector<InstallRow> GetInstallRows(const CCheckListBox& list) {
    std::vector<InstallRow> rows;
    const int count = list.GetCount();
    if (count == LB_ERR) return rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) rows.push_back({GetRowGroup(list, i), list.GetCheck(i) == 1});
    return rows;
}
