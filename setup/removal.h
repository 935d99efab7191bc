// Removal of an installed product (the launcher's "/remove" switch). It follows the install's
// records: for every file of the install script's groups with a record in the shared file, the
// recorded copy is deleted through the delete gate only when it is the launcher's own and
// unchanged (setup/delete_gate.h), and its record erased. A copy the player changed is kept
// and is the player's now: its record goes too. A copy in use or read-only is kept with its
// record, so a later removal can finish. Every kept file is named in the result, and so is a
// record that could not be erased. With no copy it could delete, the removal asks nothing.
// Folders left empty by the deleted copies go through the gate, per volume and never above
// the product's folder there.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/product_paths.h"
#include "setup/copy_progress_dialog.h"
#include "setup/delete_gate.h"
#include "setup/install_state.h"

// How a removal talks to the user.
class RemovalPrompts {
public:
    virtual ~RemovalPrompts() = default;
    // The Yes/No question; returns 1 for Yes, 0 for No.
    virtual int Ask(const char* text, const char* caption) = 0;
    // A message with an OK button (nothing installed, the result, a usage error).
    virtual void Tell(const char* text, const char* caption) = 0;
};

// Message boxes owned by a window: the question with the question icon, the rest with the
// information icon.
class MessageBoxRemovalPrompts final : public RemovalPrompts {
public:
    explicit MessageBoxRemovalPrompts(HWND owner) : m_owner(owner) {}
    int Ask(const char* text, const char* caption) override;
    void Tell(const char* text, const char* caption) override;

private:
    HWND m_owner;
};

// Why a recorded copy stayed.
enum class KeptReason { kChanged, kInUse, kNotDeleted, kNotOurs };

// The reason as the result message gives it after the file's path.
const char* KeptReasonText(KeptReason reason);

struct KeptFile {
    std::string path;
    KeptReason reason;
};

// What a removal did.
struct RemovalOutcome {
    bool installed = false;  // a record of the product was found
    bool confirmed = false;  // the question was answered Yes
    bool cancelled = false;  // Cancel stopped it after a file
    int removed = 0;         // copies deleted (their records erased)
    int notErased = 0;       // records that could not be erased (deleted copies among them,
                             // counted here and not in removed)
    std::vector<KeptFile> kept;
};

struct RemovalRequest {
    const ProductPaths* paths;
    VolumeFileSystemQuery queryFileSystem = QueryVolumeFileSystem;
    DeleteFileFn deleteFile = DeleteFileA;
};

// Runs the removal of the product of request.paths: the question (or the message that nothing
// is installed), the deletions with progress in progress (created owned by owner at the first
// file, closed at the end; Cancel stops after the current file), the folder clean-up and the
// one result message. Records under keys no group lists and files of unsafe names or keys
// are never touched.
RemovalOutcome RemoveProduct(const RemovalRequest& request, CopyProgressDialog& progress,
                             CWnd* owner, RemovalPrompts& prompts);

// The product's name for the question and the messages: the install script's ProductName of
// [General], else its basic caption, else its advanced caption, else the base name.
std::string ProductDisplayName(const ProductPaths& paths);
