#include "setup/removal.h"

#include <algorithm>
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
constexpr const char kKeptMore[] = "\n... and %s more.";
constexpr const char kCancelledNote[] = "\n\nThe removal was cancelled; the other files remain.";

// Most kept files the result names one by one, and the most characters of a path it shows:
// the message box must fit the screen.
constexpr std::size_t kMaxKeptShown = 12;
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
        std::string common;
        bool first = true;
        for (const auto& [name, key] : files) {
            char recorded[kPathSize] = "";
            if (!IsSafeRelativeName(name.c_str()) || !rules::IsSafeRecordKey(key)) continue;
            // A value that is no record (records' IsRecordPath) names no copy: left alone.
            if (ReadRecord(m_paths, key.c_str(), recorded) != kRecordRead || recorded[0] == '\0') {
                continue;
            }
            entries.push_back({name, key, recorded});
            if (IsRecordPath(recorded)) {
                const std::string folder = FolderKey(recorded);
                common = first ? folder : CommonFolder(common, folder);
                first = false;
            }
        }
        if (entries.empty()) {
            m_prompts.Tell(FormatText(kNothingInstalled, product.c_str()).c_str(), product.c_str());
            return m_outcome;
        }
        m_outcome.installed = true;
        // The folder as the player sees it: the common folder of the recorded copies, spelled
        // as recorded.
        std::string shownFolder = m_paths.destFolder;
        for (const Entry& entry : entries) {
            if (!first && IsRecordPath(entry.recorded.c_str())) {
                shownFolder = entry.recorded.substr(0, common.size());
                break;
            }
        }
        if (!m_prompts.Ask(
                FormatText(kRemoveQuestion, product.c_str(), shownFolder.c_str()).c_str(),
                product.c_str())) {
            return m_outcome;
        }
        m_outcome.confirmed = true;

        if (m_sources.Load(m_paths.sourceFolder)) {
            for (const auto& file : files) m_sources.AddFile(file.first.c_str());
            m_sourcesKnown = true;
        }
        m_progress.SetProgressTotal(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (m_progress.m_hWnd == nullptr) {
                m_progress.Create(IDD_COPY_PROGRESS, m_owner);
                m_progress.SetProgressTotal(entries.size());
            }
            if (m_progress.ShowRemoval(entries[i].recorded.c_str(), i)) {
                m_outcome.cancelled = true;
                break;
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
        if (m_sourcesKnown) RemoveEmptiedFolders(m_deletedFolders, m_sources);
        m_prompts.Tell(ResultText(product).c_str(), product.c_str());
        return m_outcome;
    }

private:
    void Keep(const Entry& entry, KeptReason reason) {
        m_outcome.kept.push_back({entry.recorded, reason});
    }

    void RemoveEntry(const Entry& entry) {
        const char* recorded = entry.recorded.c_str();
        char source[kPathSize];
        // By the install's rules a copy of ours is recorded by its full path, ends in the
        // file's own name and is never one of the product's source files.
        if (!m_sourcesKnown || !IsCopyOfOurs(recorded, entry.name.c_str(), m_sources) ||
            !FormatPath(source, "%s%s", m_paths.sourceFolder, entry.name.c_str())) {
            Keep(entry, KeptReason::kNotOurs);
            return;
        }
        const DWORD attributes = GetFileAttributesA(recorded);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            // Gone already (or listed twice and deleted above): only the record goes.
            EraseRecord(m_paths, entry.key.c_str());
            return;
        }
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
            !IsUnchangedCopy(source, recorded, m_request.queryFileSystem)) {
            Keep(entry, KeptReason::kChanged);
            return;
        }
        if (!DeleteCopy(recorded, m_sources, m_request.deleteFile)) {
            const DWORD error = GetLastError();
            Keep(entry, error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
                            ? KeptReason::kInUse
                            : KeptReason::kNotDeleted);
            return;
        }
        EraseRecord(m_paths, entry.key.c_str());
        ++m_outcome.removed;
        m_deletedFolders.push_back(FolderKey(entry.recorded));
    }

    std::string ResultText(const std::string& product) const {
        const std::string count = std::to_string(m_outcome.removed);
        std::string text = m_outcome.removed == 1
                               ? FormatText(kRemovedOne, product.c_str())
                               : FormatText(kRemovedMany, count.c_str(), product.c_str());
        if (!m_outcome.kept.empty()) {
            text += kKeptHeading;
            std::size_t shown = 0;
            for (const KeptFile& kept : m_outcome.kept) {
                if (shown == kMaxKeptShown) break;
                text += "\n" + ShortenPath(kept.path) + " (" + KeptReasonText(kept.reason) + ")";
                ++shown;
            }
            if (m_outcome.kept.size() > shown) {
                text +=
                    FormatText(kKeptMore, std::to_string(m_outcome.kept.size() - shown).c_str());
            }
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
    std::vector<std::string> m_deletedFolders;  // as FolderKey
    RemovalOutcome m_outcome;
};

}  // namespace

const char* KeptReasonText(KeptReason reason) {
    switch (reason) {
        case KeptReason::kChanged:
            return "changed since installed";
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
