#include "setup/removal.h"

#include <cstdio>
#include <cstring>

#include "base/install_script.h"
#include "base/records.h"
#include "resources/resource.h"
#include "setup/message_text.h"
#include "setup/source_files.h"

namespace {

constexpr const char kNothingInstalled[] = "%s is not installed on this computer.";
constexpr const char kRemoveQuestion[] =
    "Remove %s from this computer?\n\nIts files in %s will be deleted. Files changed since "
    "they were installed are kept.";
constexpr const char kRemovedOne[] = "1 file of %s was removed.";
constexpr const char kRemovedMany[] = "%s files of %s were removed.";
constexpr const char kKeptHeading[] = "\n\nThese files were kept:";
constexpr const char kNotErasedOne[] =
    "\n\n1 record could not be erased from %s; the next removal names its file again.";
constexpr const char kNotErasedMany[] =
    "\n\n%s records could not be erased from %s; the next removal names their files again.";
constexpr const char kCancelledNote[] = "\n\nThe removal was cancelled; the other files remain.";

// The most characters of a path the result shows: the message box must fit the screen.
constexpr std::size_t kMaxShownPath = 90;

// path cut in the middle to at most kMaxShownPath characters, its start and its file name kept.
std::string ShortenPath(const std::string& path) {
    if (path.size() <= kMaxShownPath) return path;
    const std::size_t tail = kMaxShownPath / 2;
    const std::size_t head = kMaxShownPath - tail - 3;
    return path.substr(0, head) + "..." + path.substr(path.size() - tail);
}

// One file of the script with a record.
struct Entry {
    std::string name;
    std::string key;
    std::string recorded;
};

// Gathers the files of a component section.
class FileList final : public ComponentSectionVisitor {
public:
    std::vector<std::pair<std::string, std::string>> files;  // name, key
    void OnFileName(const char* name) override { m_name = name; }
    void OnFileKey(const char* key) override { files.emplace_back(m_name, key); }

private:
    std::string m_name;
};

std::vector<std::pair<std::string, std::string>> ReadScriptFiles(const ProductPaths& paths) {
    char buffer[rules::kScriptValueSize];
    FileList list;
    WalkComponentSection(paths.scriptPath, rules::kRequiredSection, false, buffer, list);
    WalkComponentSection(paths.scriptPath, rules::kOptionalSection, false, buffer, list);
    return std::move(list.files);
}

// The folder part of a full path, upper case, with its trailing backslash.
std::string FolderKey(const std::string& path) {
    char folder[kPathSize];
    if (!GetPathFolder(folder, path.c_str())) return std::string();
    std::string key(folder);
    CharUpperBuffA(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

class Removal {
public:
    Removal(const RemovalRequest& request, CopyProgressDialog& progress, CWnd* owner,
            RemovalPrompts& prompts)
        : m_request(request),
          m_paths(*request.paths),
          m_progress(progress),
          m_owner(owner),
          m_prompts(prompts) {}

    RemovalOutcome Run() {
        const std::string product = ProductDisplayName(m_paths);
        const auto files = ReadScriptFiles(m_paths);
        std::vector<Entry> entries;
        for (const auto& [name, key] : files) {
            char recorded[kPathSize] = "";
            if (!IsSafeRelativeName(name.c_str()) || !rules::IsSafeRecordKey(key)) continue;
            // A value that is no record (records' IsRecordPath) names no copy: left alone.
            if (ReadRecord(m_paths, key.c_str(), recorded) != kRecordRead || recorded[0] == '\0') {
                continue;
            }
            entries.push_back({name, key, recorded});
        }
        if (entries.empty()) {
            m_prompts.Tell(FormatText(kNothingInstalled, product.c_str()).c_str(), product.c_str());
            return m_outcome;
        }
        m_outcome.installed = true;

        if (m_sources.Load(m_paths.sourceFolder)) {
            for (const auto& file : files) m_sources.AddFile(file.first.c_str());
            m_sourcesKnown = true;
        }
        // The product's folder on each volume: the common folder of its recorded copies there.
        std::vector<std::string> folders;
        bool anyUnchanged = false;
        for (const Entry& entry : entries) {
            const rules::CopyRemoval removal = Judge(entry);
            if (removal == rules::CopyRemoval::kKeepNotOurs) continue;
            folders.push_back(FolderKey(entry.recorded));
            if (removal == rules::CopyRemoval::kDelete) anyUnchanged = true;
        }
        m_productFolders = ProductFolders(folders);

        // With nothing to delete there is nothing to ask: the records of missing and changed
        // copies go and the result names what stays.
        if (anyUnchanged) {
            const std::string question =
                FormatText(kRemoveQuestion, product.c_str(), ShownFolders(entries).c_str());
            if (!m_prompts.Ask(question.c_str(), product.c_str())) return m_outcome;
            m_outcome.confirmed = true;
            m_progress.SetProgressTotal(entries.size());
        }
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (anyUnchanged) {
                if (m_progress.m_hWnd == nullptr) {
                    m_progress.Create(IDD_COPY_PROGRESS, m_owner);
                    m_progress.SetProgressTotal(entries.size());
                }
                if (m_progress.ShowRemoval(entries[i].recorded.c_str(), i)) {
                    m_outcome.cancelled = true;
                    break;
                }
            }
            RemoveEntry(entries[i]);
        }
        if (m_progress.m_hWnd != nullptr) m_progress.DestroyWindow();

        bool anyRecord = false;
        for (const auto& [name, key] : files) {
            char recorded[kPathSize] = "";
            if (rules::IsSafeRecordKey(key) &&
                ReadRecord(m_paths, key.c_str(), recorded) == kRecordRead && recorded[0] != '\0') {
                anyRecord = true;
            }
        }
        if (!anyRecord) EraseRecord(m_paths, rules::kShowStartupAgainKey);
        if (m_sourcesKnown) RemoveEmptiedFolders(m_productFolders, m_deletedFolders, m_sources);
        m_prompts.Tell(ResultText(product).c_str(), product.c_str());
        return m_outcome;
    }

private:
    // What becomes of entry's recorded copy (rules::JudgeRecordedCopy). By the install's rules
    // a copy of ours is recorded by its full path, ends in the file's own name and is never one
    // of the product's source files; the gate tells whether it is unchanged.
    rules::CopyRemoval Judge(const Entry& entry) const {
        struct Facts {
            const Removal& removal;
            const Entry& entry;
            char source[kPathSize] = "";
            DWORD attributes = INVALID_FILE_ATTRIBUTES;
            bool Ours() {
                return removal.m_sourcesKnown &&
                       IsCopyOfOurs(entry.recorded.c_str(), entry.name.c_str(),
                                    removal.m_sources) &&
                       FormatPath(source, "%s%s", removal.m_paths.sourceFolder, entry.name.c_str());
            }
            bool Exists() {
                attributes = GetFileAttributesA(entry.recorded.c_str());
                return attributes != INVALID_FILE_ATTRIBUTES;
            }
            bool Unchanged() const {
                return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                       IsUnchangedCopy(source, entry.recorded.c_str(),
                                       removal.m_request.queryFileSystem);
            }
        } facts{*this, entry};
        return rules::JudgeRecordedCopy(facts);
    }

    // The product's folders as the question names them, spelled as recorded: one folder, or
    // the folder on each volume.
    std::string ShownFolders(const std::vector<Entry>& entries) const {
        if (m_productFolders.empty()) return m_paths.destFolder;
        std::string shown;
        for (std::size_t i = 0; i < m_productFolders.size(); ++i) {
            const std::string& folder = m_productFolders[i];
            std::string spelled = folder;
            for (const Entry& entry : entries) {
                // Upper case keeps every length, so the recorded spelling is cut where the
                // key ends.
                if (entry.recorded.size() >= folder.size() &&
                    FolderKey(entry.recorded).compare(0, folder.size(), folder) == 0) {
                    spelled = entry.recorded.substr(0, folder.size());
                    break;
                }
            }
            if (i != 0) shown += i + 1 == m_productFolders.size() ? " and " : ", ";
            shown += spelled;
        }
        return shown;
    }

    void Keep(const Entry& entry, KeptReason reason) {
        m_outcome.kept.push_back({entry.recorded, reason});
    }

    // Erases entry's record; a record that cannot be erased is counted apart and said.
    bool Forget(const Entry& entry) {
        if (EraseRecord(m_paths, entry.key.c_str())) return true;
        ++m_outcome.notErased;
        return false;
    }

    void RemoveEntry(const Entry& entry) {
        switch (Judge(entry)) {
            case rules::CopyRemoval::kKeepNotOurs:
                Keep(entry, KeptReason::kNotOurs);
                return;
            case rules::CopyRemoval::kForget:
                // Gone already (or listed twice and deleted above): only the record goes.
                Forget(entry);
                return;
            case rules::CopyRemoval::kKeepChanged:
                // The player's file now: kept, and no longer the product's.
                Keep(entry, KeptReason::kChanged);
                Forget(entry);
                return;
            case rules::CopyRemoval::kDelete:
                break;
        }
        // In use or read-only: kept with its record, so a later removal can finish.
        switch (DeleteCopy(entry.recorded.c_str(), m_sources, m_request.deleteFile)) {
            case DeleteResult::kInUse:
                Keep(entry, KeptReason::kInUse);
                return;
            case DeleteResult::kNotDeleted:
                Keep(entry, KeptReason::kNotDeleted);
                return;
            case DeleteResult::kDeleted:
                break;
        }
        if (Forget(entry)) ++m_outcome.removed;
        m_deletedFolders.push_back(FolderKey(entry.recorded));
    }

    std::string ResultText(const std::string& product) const {
        const std::string count = std::to_string(m_outcome.removed);
        std::string text = m_outcome.removed == 1
                               ? FormatText(kRemovedOne, product.c_str())
                               : FormatText(kRemovedMany, count.c_str(), product.c_str());
        if (!m_outcome.kept.empty()) {
            text += kKeptHeading;
            std::vector<std::string> lines;
            for (const KeptFile& kept : m_outcome.kept) {
                lines.push_back(ShortenPath(kept.path) + " (" + KeptReasonText(kept.reason) + ")");
            }
            AppendNamedList(&text, lines);
        }
        if (m_outcome.notErased == 1) {
            text += FormatText(kNotErasedOne, m_paths.sharedIniPath);
        } else if (m_outcome.notErased > 1) {
            text += FormatText(kNotErasedMany, std::to_string(m_outcome.notErased).c_str(),
                               m_paths.sharedIniPath);
        }
        if (m_outcome.cancelled) text += kCancelledNote;
        return text;
    }

    const RemovalRequest& m_request;
    const ProductPaths& m_paths;
    CopyProgressDialog& m_progress;
    CWnd* m_owner;
    RemovalPrompts& m_prompts;
    SourceFiles m_sources;
    bool m_sourcesKnown = false;
    std::vector<std::string> m_productFolders;  // as ProductFolders
    std::vector<std::string> m_deletedFolders;  // as FolderKey
    RemovalOutcome m_outcome;
};

}  // namespace

const char* KeptReasonText(KeptReason reason) {
    switch (reason) {
        case KeptReason::kChanged:
            return "changed since installed; now yours";
        case KeptReason::kInUse:
            return "in use";
        case KeptReason::kNotDeleted:
            return "could not be deleted";
        case KeptReason::kNotOurs:
            return "not a copy made by this program";
    }
    return "";
}

int MessageBoxRemovalPrompts::Ask(const char* text, const char* caption) {
    return MessageBoxA(m_owner, text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES ? 1 : 0;
}

void MessageBoxRemovalPrompts::Tell(const char* text, const char* caption) {
    MessageBoxA(m_owner, text, caption, MB_OK | MB_ICONINFORMATION);
}

std::string ProductDisplayName(const ProductPaths& paths) {
    char name[rules::kScriptTextSize];
    GetPrivateProfileStringA(rules::kGeneralSection, rules::kProductNameKey, "", name, sizeof name,
                             paths.scriptPath);
    if (name[0] != '\0') return std::string(name);
    char caption[rules::kScriptTextSize];
    ReadDialogTitle(caption, 0, paths.scriptPath);
    if (caption[0] == '\0') ReadDialogTitle(caption, 1, paths.scriptPath);
    return caption[0] != '\0' ? std::string(caption) : std::string(paths.baseName);
}

RemovalOutcome RemoveProduct(const RemovalRequest& request, CopyProgressDialog& progress,
                             CWnd* owner, RemovalPrompts& prompts) {
    Removal removal(request, progress, owner, prompts);
    return removal.Run();
}
