#include "install_run.h"

#include <string>
#include <unordered_set>

#include "install_state.h"
#include "paths.h"
#include "records.h"
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

// Knows the product's source files: every file directly in the source folder (the launcher,
// its script, the game) and the source of every component file. No step of a run deletes or
// replaces one of them, whatever the shared file records or the user typed.
class SourceFiles {
public:
    // false when the source folder cannot be resolved.
    bool Load(const char* sourceFolder, const std::vector<InstallRow>& rows) {
        m_folder = ComparisonKey(sourceFolder);
        if (m_folder.empty()) return false;
        if (m_folder.back() != '\\') m_folder += '\\';
        char source[kPathSize];
        for (const InstallRow& row : rows) {
            if (row.group == nullptr) continue;
            for (const ComponentFile& file : row.group->files) {
                if (IsSafeRelativeName(file.name.c_str()) &&
                    FormatPath(source, "%s%s", sourceFolder, file.name.c_str())) {
                    std::string key = ComparisonKey(source);
                    if (!key.empty()) m_files.insert(std::move(key));
                }
            }
        }
        return true;
    }

    // Whether folder (with a trailing backslash) is the source folder.
    bool IsSourceFolder(const char* folder) const { return ComparisonKey(folder) == m_folder; }

    // Whether path names a source file. A path that cannot be resolved counts as one, so it
    // is left alone.
    bool Contains(const char* path) const {
        const std::string key = ComparisonKey(path);
        if (key.empty()) return true;
        const std::size_t slash = key.rfind('\\');
        if (slash != std::string::npos && key.compare(0, slash + 1, m_folder) == 0) return true;
        return m_files.count(key) != 0;
    }

private:
    std::string m_folder;
    std::unordered_set<std::string> m_files;
};

// Deletes the file at path unless it is a source file. Failures are ignored: a file that is
// not there, or is read-only, is simply left.
void DeleteOldCopy(const char* path, const SourceFiles& sources) {
    if (path[0] != '\0' && !sources.Contains(path)) DeleteFileA(path);
}

// One install run: the state it carries from step to step.
class InstallRun {
public:
    InstallRun(const InstallRequest& request, CopyProgressDialog& progress, CWnd* owner,
               InstallPrompts& prompts)
        : m_paths(*request.paths), m_request(request), m_progress(progress), m_owner(owner),
          m_prompts(prompts) {}

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
        return m_success ? 1 : 0;
    }

private:
    // Everything before the first file: the destination and the space question. false ends
    // the run before anything is deleted.
    bool Prepare(const std::vector<InstallRow>& rows) {
        const char* typed = m_request.destination;
        if (typed[0] == '\0') return Fail();
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

        DeleteRecordedCopy(key);
        char proposed[kPathSize];
        if (m_paths.destFolder[0] != '\0' &&
            FormatPath(proposed, "%s%s", m_paths.destFolder, name)) {
            DeleteOldCopy(proposed, m_sources);
        }

        if (!checked) {
            if (targetFits) DeleteOldCopy(target, m_sources);
            EraseRecord(m_paths, key);
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
        WriteRecord(m_paths, key, target);
        return true;
    }

    // Deletes the copy recorded under key. A record too long for a path names no copy of
    // ours; it is left, never cut to a path that could name another file.
    void DeleteRecordedCopy(const char* key) {
        char recorded[kPathSize];
        if (ReadRecord(m_paths, key, recorded)) {
            DeleteOldCopy(recorded, m_sources);
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
    SourceFiles m_sources;
    char m_destination[kPathSize] = "";
    bool m_success = true;
    std::string m_message;
};

}  // namespace

int MessageBoxPrompts::Ask(const char* text, const char* caption) {
    return MessageBoxA(m_owner, text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES ? 1 : 0;
}

void MessageBoxPrompts::Report(const char* text, const char* caption) {
    MessageBoxA(m_owner, text, caption, MB_OK | MB_ICONHAND);
}

int InstallComponents(const InstallRequest& request, const std::vector<InstallRow>& rows,
                      CopyProgressDialog& progress, CWnd* owner, InstallPrompts& prompts) {
    InstallRun run(request, progress, owner, prompts);
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
