#include "setup/install_run.h"

#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "setup/delete_gate.h"
#include "setup/message_text.h"
#include "setup/source_files.h"
#include "base/paths.h"
#include "base/records.h"
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
constexpr const char kNotDeletedHeading[] = "These files could not be deleted and stay installed:";

// One file of a check-list row with the paths it names in the source and the destination
// folder; a path that does not fit is marked so, never cut.
struct RowFile {
    RowFile(const ComponentFile& file, const char* sourceFolder, const char* destination)
        : name(file.name.c_str()),
          key(file.key.c_str()),
          safe(IsSafeRelativeName(name) != 0),
          sourceFits(FormatPath(source, "%s%s", sourceFolder, name) != 0),
          targetFits(FormatPath(target, "%s%s", destination, name) != 0) {}

    const char* name;
    // A key the shared file cannot hold (rules::IsSafeRecordKey) is never read, written or
    // erased; its file is copied like any other and simply not recorded.
    const char* key;
    bool safe;  // the name stays inside its folder (IsSafeRelativeName)
    char source[kPathSize];
    char target[kPathSize];
    bool sourceFits;
    bool targetFits;
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
        if (m_success && (m_unrecorded || !m_notDeleted.empty())) {
            std::string warning;
            if (m_unrecorded) warning = FormatText(kNotRecorded, m_paths.sharedIniPath);
            if (!m_notDeleted.empty()) {
                if (!warning.empty()) warning += "\n\n";
                warning += kNotDeletedHeading;
                AppendNamedList(&warning, m_notDeleted);
            }
            m_prompts.Inform(warning.c_str(), m_paths.baseName);
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
            return Fail(FormatText(kCreateFailed, shown.c_str()));
        }
        if (!ResolvePath(m_destination, typed) || !AddTrailingBackslash(m_destination)) {
            return Fail(FormatText(kCreateFailed, typed));
        }
        if (!m_sources.Load(m_paths.sourceFolder)) return Fail();
        for (const InstallRow& row : rows) {
            if (row.group == nullptr) continue;
            for (const ComponentFile& file : row.group->files) m_sources.AddFile(file.name.c_str());
        }
        if (m_sources.IsSourceFolder(m_destination)) return Fail(kSameAsSource);

        if (m_request.available < m_request.required) {
            char drive[3] = "";
            if (m_destination[0] != '\0' && m_destination[1] == ':') {
                drive[0] = m_destination[0];
                drive[1] = ':';
            }
            if (!m_prompts.Ask(FormatText(kSpaceQuestion, drive).c_str(), kSpaceCaption)) {
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
        const RowFile row(file, m_paths.sourceFolder, m_destination);
        if (checked &&
            (!row.safe || !row.sourceFits || !row.targetFits || m_sources.Contains(row.target))) {
            // Reported with the paths as they would read, whatever their length.
            const std::string from = std::string(m_paths.sourceFolder) + row.name;
            const std::string to = std::string(m_destination) + row.name;
            return Fail(FormatText(kCopyFailed, from.c_str(), to.c_str()));
        }
        // A name that leaves its folder names nothing of this product: nothing is touched.
        if (!row.safe) return true;

        // A record too long for a path names no copy of ours: it reads as empty and is left,
        // never cut to a path that could name another file. A copy this run has made (the
        // same file listed in two groups, or two names under one key) is never deleted, and a
        // record naming one is never erased.
        char recorded[kPathSize] = "";
        ReadRecord(m_paths, row.key, recorded);
        const bool recordsThisRun = IsCopiedThisRun(recorded);
        const bool recordedCopyStays = DeleteOldCopies(row, recorded);
        if (!checked) {
            RemoveUncheckedFile(row, recorded, recordsThisRun, recordedCopyStays);
            return true;
        }
        if (!CopyAndRecord(row)) return false;
        // The record now names the new copy: an old one elsewhere that could not be deleted
        // (read-only, in use) is named in the end-of-run warning, not left unknown.
        if (recordedCopyStays && !IsCopiedThisRun(recorded)) m_notDeleted.emplace_back(recorded);
        return true;
    }

    // The copies an earlier install left: at the recorded path and in the proposed destination.
    // Returns whether the recorded copy of ours is still there after its delete.
    bool DeleteOldCopies(const RowFile& row, const char* recorded) const {
        // Another program, or another product of the same base name, can write the record: a
        // recorded path is taken for a copy of this file only when it ends in the file's own
        // name. For a file whose source does not fit, nothing recorded is deleted.
        bool recordedCopyStays = false;
        if (row.sourceFits && IsCopyOfOurs(recorded, row.name, m_sources)) {
            recordedCopyStays = !DeleteOldCopy(recorded) && PathExists(recorded);
        }
        char proposed[kPathSize];
        if (m_paths.destFolder[0] != '\0' &&
            FormatPath(proposed, "%s%s", m_paths.destFolder, row.name)) {
            DeleteOldCopy(proposed);
        }
        return recordedCopyStays;
    }

    // An unchecked row's file, after its old copies: its copy in the chosen folder and its
    // record go, unless the record names a copy of this run (recordsThisRun). A recorded copy
    // of ours that could not be deleted (recordedCopyStays: read-only, in use) keeps its
    // record, so that removal still knows it, and is named in the end-of-run warning.
    void RemoveUncheckedFile(const RowFile& row, const char* recorded, bool recordsThisRun,
                             bool recordedCopyStays) {
        // In the chosen folder (perhaps one of the user's own) only a copy of ours goes: the
        // recorded copy (deleted with the old copies when it is the target) or a file with
        // exactly the source's last-write time.
        if (row.targetFits && row.sourceFits &&
            IsUnchangedCopy(row.source, row.target, m_queryFileSystem)) {
            DeleteOldCopy(row.target);
        }
        // A source path that does not fit left the recorded copy in place: so is its record.
        if (recordsThisRun || !row.sourceFits) return;
        if (recordedCopyStays) {
            m_notDeleted.emplace_back(recorded);
            return;
        }
        EraseRecord(m_paths, row.key);
    }

    // A checked row's file, after its old copies: its folder made when missing (after asking),
    // then copied and recorded. false ends the run.
    bool CopyAndRecord(const RowFile& row) {
        if (IsCopiedThisRun(row.target)) {
            // Copied already by an earlier row: recorded under this key too, not copied again.
            Record(row.key, row.target);
            return true;
        }
        if (!PathFolderExists(row.target)) {
            if (!m_prompts.Ask(kCreateQuestion, kCreateCaption)) return Fail();
            char folder[kPathSize];
            GetPathFolder(folder, row.target);
            if (!CreateFolderChain(folder)) return Fail(FormatText(kCreateFailed, folder));
        }
        if (m_progress.m_hWnd == nullptr) m_progress.Create(IDD_COPY_PROGRESS, m_owner);
        const CopyResult copy = m_progress.CopyFileWithProgress(row.source, row.target, 0);
        if (copy == CopyResult::kCancelled) return Fail();
        if (copy != CopyResult::kCopied) {
            return Fail(FormatText(kCopyFailed, row.source, row.target));
        }
        m_copied.insert(ComparisonKey(row.target));
        m_copiedIdentities.Add(row.target);
        Record(row.key, row.target);
        return true;
    }

    // Records target under key. A record that cannot be written leaves the copy installed: the
    // next start's install-state check adopts it when it lies in the proposed destination, and
    // the run ends with a warning.
    void Record(const char* key, const char* target) {
        if (!WriteRecord(m_paths, key, target)) m_unrecorded = true;
    }

    // Whether path is a target this run has copied to.
    bool IsCopiedThisRun(const char* path) const {
        if (path[0] == '\0') return false;
        const std::string key = ComparisonKey(path);
        return (!key.empty() && m_copied.count(key) != 0) || m_copiedIdentities.Contains(path);
    }

    // Deletes the file at path unless it is a source file or a copy made by this run; whether
    // it was deleted. A file that is not there, or is read-only, is simply left.
    bool DeleteOldCopy(const char* path) const {
        return !IsCopiedThisRun(path) && DeleteCopy(path, m_sources) == DeleteResult::kDeleted;
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
    bool m_unrecorded = false;              // a copy whose record could not be written
    std::vector<std::string> m_notDeleted;  // recorded copies that could not be deleted
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
