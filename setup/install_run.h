// The install run: brings the destination folder in line with the check-list. Every file of a
// checked group is copied from the source folder and recorded in the shared file; every file of
// an unchecked group is removed from the destination and its record erased. Old copies (at the
// recorded path and in the proposed destination) are deleted first, so a product is never left
// installed twice. The setup dialog's RunInstall gathers its rows and state, disables its
// controls and calls InstallComponents.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "setup/components.h"
#include "setup/copy_progress_dialog.h"
#include "setup/install_state.h"
#include "base/product_paths.h"

// How an install run talks to the user.
class InstallPrompts {
public:
    virtual ~InstallPrompts() = default;
    // A Yes/No question; returns 1 for Yes, 0 for No.
    virtual int Ask(const char* text, const char* caption) = 0;
    // The run's one failure message, shown with an OK button.
    virtual void Report(const char* text, const char* caption) = 0;
    // The run's one warning after a success, shown with an OK button.
    virtual void Inform(const char* text, const char* caption) = 0;
};

// Message boxes owned by a window: questions with the question icon, the failure with the stop
// icon, the warning with the information icon.
class MessageBoxPrompts final : public InstallPrompts {
public:
    explicit MessageBoxPrompts(HWND owner) : m_owner(owner) {}
    int Ask(const char* text, const char* caption) override;
    void Report(const char* text, const char* caption) override;
    void Inform(const char* text, const char* caption) override;

private:
    HWND m_owner;
};

// One check-list row as the run sees it: its group (null when the row's group cannot be read,
// which ends the run there) and whether it is checked. The list owns the group.
struct InstallRow {
    const ComponentGroup* group;
    int checked;
};

// The rows of the check-list in their order. Throws std::bad_alloc when the list cannot be
// held.
std::vector<InstallRow> GetInstallRows(const CCheckListBox& list);

// What the run needs from the setup dialog besides its rows.
struct InstallRequest {
    const ProductPaths* paths;  // source folder, proposed destination, shared file, base name
    const char* destination;    // the destination folder as typed
    std::uint64_t available;    // free bytes as last shown by the dialog
    std::uint64_t required;     // bytes of the checked groups as last shown
};

// Runs the install of rows into request.destination. The destination is resolved to a full
// path with one trailing backslash; it is refused when empty (silently), when it is a path's
// length or more as typed, when it does not fit a path or when it is the source folder itself
// (by path or by file identity). The progress window is created on progress, owned by owner,
// at the first file actually copied, and closed at the end. Nothing that names one of the
// product's source files (by path or by identity) is ever deleted or replaced, and a file whose
// name is unsafe (rules::IsSafeRelativeName) is never copied or deleted: in a checked row it
// ends the run with "Unable to copy". A copy made by the run is never deleted or unrecorded by
// a later row. A recorded path is deleted only when it ends in the file's own name; an
// unchecked row's target in the chosen folder only when its last-write time is its source's
// (within the tolerance of that volume, rules::CoarseTimeTolerance). A copy whose record cannot
// be written (the shared file cannot be written, or the key is one it cannot hold,
// rules::IsSafeRecordKey) stays: when the run otherwise succeeds it ends with one warning
// through prompts.Inform naming the shared file, since setup may then appear at the next start.
// Returns 1 when every step succeeded, else 0 after at most one message through
// prompts.Report.
int InstallComponents(const InstallRequest& request, const std::vector<InstallRow>& rows,
                      CopyProgressDialog& progress, CWnd* owner, InstallPrompts& prompts,
                      VolumeFileSystemQuery queryFileSystem = QueryVolumeFileSystem);
