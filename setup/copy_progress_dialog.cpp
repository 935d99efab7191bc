#include "setup/copy_progress_dialog.h"

#include <climits>

#include "framework/data_exchange.h"
#include "resources/resource.h"

namespace {

// The kinds of queued message that every 32-bit Windows knows. The headers' QS_ALLINPUT adds
// raw input, touch and pointer input when built for newer systems, and a system that does not
// know such a kind refuses the whole request as invalid.
constexpr UINT kClassicQueueKinds = QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE |
                                    QS_TIMER | QS_PAINT | QS_SENDMESSAGE | QS_HOTKEY;

// Whether a message of any kind waits in this thread's queue, seen or not (the high word of the
// queue status; the low word has only what arrived since the last look). Asks for every kind
// the headers know; a system that refuses that is asked for the classic kinds from then on.
bool IsMessageWaiting() {
    static UINT kinds = QS_ALLINPUT;
    SetLastError(NO_ERROR);
    const DWORD status = GetQueueStatus(kinds);
    if (status == 0 && GetLastError() != NO_ERROR && kinds != kClassicQueueKinds) {
        kinds = kClassicQueueKinds;
        return HIWORD(GetQueueStatus(kinds)) != 0;
    }
    return HIWORD(status) != 0;
}

}  // namespace

CopyProgressDialog::CopyProgressDialog(BlockCopy::CloseFileFn closeTarget)
    : CDialog(IDD_COPY_PROGRESS), m_copy(closeTarget) {}

void CopyProgressDialog::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_TO, m_to);
    DDX_Control(pDX, IDC_FROM, m_from);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
}

BOOL CopyProgressDialog::OnInitDialog() {
    // A new window's bar shows the control's own start, whatever an earlier window showed.
    m_shownPosition = -1;
    return CDialog::OnInitDialog();
}

void CopyProgressDialog::OnOK() {}

void CopyProgressDialog::OnCancel() { m_cancelRequested = 1; }

int CopyProgressDialog::ProgressPosition(std::uint64_t copied, std::uint64_t total) {
    if (total == 0) return 0;
    const double position = static_cast<double>(copied) / static_cast<double>(total) * 100.0;
    // Files that grew since the total was counted take the bar past 100; the bar itself stops
    // there. Only a position beyond what the message can carry is held at its limit.
    if (position >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(position);
}

void CopyProgressDialog::SetProgressTotal(std::uint64_t total) {
    m_total = total;
    m_copied = 0;
    if (m_progress.m_hWnd != nullptr) {
        m_progress.SetRange(0, 100);
        m_progress.SetPos(0);
        m_shownPosition = 0;
    }
}

void CopyProgressDialog::ShowPosition() {
    if (m_progress.m_hWnd == nullptr) return;
    // A bar told the position it already shows would only cost a call per block.
    const int position = ProgressPosition(m_copied, m_total);
    if (position == m_shownPosition) return;
    m_progress.SetPos(position);
    m_shownPosition = position;
}

// The nested message loop of a copy (and of a removal). Whatever waits in the queue runs here,
// in the middle of a file and, during an install, inside the setup dialog's OK handler that
// started the run; no handler reached from here may start a second run or end this one under
// it. Two rules keep that true. An OK during a run is ignored: this window's OnOK does nothing,
// and SetupDialog::OnOK returns at once while its run is under way. Cancel (this window's
// button or Escape) only sets m_cancelRequested, which the copy loop reads after each dispatch
// and before its next read, so the copy stops between blocks with its state whole. A quit
// message counts as such a Cancel.
void CopyProgressDialog::DispatchPendingMessages() {
    // Asking whether anything waits is much cheaper than a peek on some platforms, and with
    // nothing waiting there is nothing to dispatch.
    if (!IsMessageWaiting()) return;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            m_cancelRequested = 1;
            return;
        }
        if (IsDialogMessage(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int CopyProgressDialog::ShowRemoval(const char* path, std::uint64_t done) {
    if (m_hWnd != nullptr) {
        m_from.SetWindowText(path);
        m_to.SetWindowText("");
    }
    m_copied = done;
    ShowPosition();
    DispatchPendingMessages();
    const int cancelled = m_cancelRequested;
    m_cancelRequested = 0;
    return cancelled;
}

CopyResult CopyProgressDialog::CopyFileWithProgress(const char* source, const char* target,
                                                    int perFile) {
    m_perFile = perFile != 0;
    return m_copy.Copy(source, target, *this);
}

void CopyProgressDialog::OnFileStart(const char* source, const char* target, std::uint64_t size) {
    if (m_hWnd != nullptr) {
        m_from.SetWindowText(source);
        m_to.SetWindowText(target);
    }
    if (m_perFile) SetProgressTotal(size);
    m_cancelRequested = 0;
}

void CopyProgressDialog::OnBlockWritten(DWORD bytes) {
    m_copied += bytes;
    ShowPosition();
}

bool CopyProgressDialog::DispatchMessagesAndCheckCancel() {
    DispatchPendingMessages();
    return m_cancelRequested != 0;
}
