// CopyProgressDialog: the small modeless window of an install run. It copies one file at a time
// in 128 KiB blocks from one buffer inside the object, shows the source and target paths and a
// bar over the bytes of the whole run, and keeps the program responsive by dispatching the
// thread's pending messages after every block. Its Cancel only asks the copy to stop.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/dialog.h"
#include "framework/progress_ctrl.h"
#include "framework/static_ctrl.h"

class CopyProgressDialog : public CDialog {
public:
    // Result of CopyFileWithProgress.
    enum CopyResult : int { kCopied = 0, kFailed = 1, kCancelled = 2 };
    // Closes a file handle; FALSE when the close failed.
    using CloseFileFn = BOOL(WINAPI*)(HANDLE);
    // Bytes read and written per block.
    static constexpr DWORD kBlockSize = 0x20000;

    // Constructors
    // No window yet: Create(IDD_COPY_PROGRESS, owner) makes it when the first file is copied.
    CopyProgressDialog();

    // Operations
    // Starts a new count of total bytes: copied = 0; with a window, the bar goes back to 0 of
    // 0..100.
    void SetProgressTotal(std::uint64_t total);
    // Copies source to target (replacing it, with normal attributes) and gives the target the
    // source's creation, last-access and last-write times. With perFile non-zero the total is
    // first set to this file's size. Returns kCopied, kFailed (open, read, write or times
    // failed) or kCancelled; on kFailed and kCancelled no partial target remains. Works with or
    // without the window; without one nothing is shown.
    int CopyFileWithProgress(const char* source, const char* target, int perFile);

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
    // Closes each copy's target. The product keeps CloseHandle; tests put in a close that
    // fails, which no real file can be made to do on demand.
    CloseFileFn m_closeTarget = CloseHandle;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Enter keeps the window: only Cancel speaks to a running copy.
    void OnOK() override;
    // The button and the Escape key: asks the copy to stop; the window stays.
    void OnCancel() override;

private:
    // Takes every pending message of the thread: the progress window's own keys go through
    // the dialog manager (Escape), everything else is translated and dispatched. A quit
    // message is posted again and stops the copy as a cancel does, so the program still ends.
    void DispatchPendingMessages();
    void ShowPosition();

    int m_shownPosition = -1;  // last position sent to the bar
    char m_buffer[kBlockSize];
};
