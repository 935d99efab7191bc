// CopyProgressDialog: the small modeless window of an install run. It is the view of the run's
// block copy (BlockCopy, which it holds with its 128 KiB buffer): it shows the source and
// target paths and a bar over the bytes of the whole run, and keeps the program responsive by
// dispatching the thread's pending messages after every block. Its Cancel only asks the copy
// to stop.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/dialog.h"
#include "framework/progress_ctrl.h"
#include "framework/static_ctrl.h"
#include "setup/block_copy.h"

class CopyProgressDialog : public CDialog, private CopyObserver {
public:
    // Constructors
    // No window yet: Create(IDD_COPY_PROGRESS, owner) makes it when the first file is copied.
    // closeTarget closes each copy's target (BlockCopy).
    explicit CopyProgressDialog(BlockCopy::CloseFileFn closeTarget = CloseHandle);

    // Operations
    // Starts a new count of total bytes: copied = 0; with a window, the bar goes back to 0 of
    // 0..100.
    void SetProgressTotal(std::uint64_t total);
    // Copies source to target with the block copy (BlockCopy::Copy), showing it. With perFile
    // non-zero the total is first set to this file's size. Works with or without the window;
    // without one nothing is shown.
    CopyResult CopyFileWithProgress(const char* source, const char* target, int perFile);

    // Shows the file a removal is about to delete in place of a copy's paths and moves the bar
    // to done of the run's total (SetProgressTotal), then takes pending messages. Returns 1 when
    // Cancel was asked for since the last call (the caller stops before this file), else 0.
    // Without a window only the count moves.
    int ShowRemoval(const char* path, std::uint64_t done);

    // Bar position for copied bytes of total: copied / total * 100, truncated toward zero and
    // not clamped; 0 for a total of 0.
    static int ProgressPosition(std::uint64_t copied, std::uint64_t total);

    // Controls, bound when the window is initialised.
    CStatic m_to;                // target path of the file being copied
    CStatic m_from;              // its source path
    CProgressCtrl m_progress;    // 0..100 over the whole run
    std::uint64_t m_total = 0;   // bytes expected in the run
    std::uint64_t m_copied = 0;  // bytes written so far in the run
    int m_cancelRequested = 0;   // set by Cancel, cleared when a file starts

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Enter keeps the window: only Cancel speaks to a running copy.
    void OnOK() override;
    // The button and the Escape key: asks the copy to stop; the window stays.
    void OnCancel() override;

private:
    // CopyObserver: the paths, the bar and the dispatch after each block.
    void OnFileStart(const char* source, const char* target, std::uint64_t size) override;
    void OnBlockWritten(DWORD bytes) override;
    bool DispatchMessagesAndCheckCancel() override;

    // Takes every pending message of the thread: the progress window's own keys go through
    // the dialog manager (Escape), everything else is translated and dispatched. A quit
    // message is posted again and stops the copy as a cancel does, so the program still ends.
    void DispatchPendingMessages();
    void ShowPosition();

    BlockCopy m_copy;
    bool m_perFile = false;    // the running copy's bar is over its own file alone
    int m_shownPosition = -1;  // last position sent to the bar
};
