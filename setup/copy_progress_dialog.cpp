#include "setup/copy_progress_dialog.h"

#include <climits>

#include "framework/data_exchange.h"
#include "resources/resource.h"

namespace {

// Closes a file handle, with close, when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle, CopyProgressDialog::CloseFileFn close = CloseHandle)
        : m_handle(handle), m_close(close) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    // false when the handle was open and closing it failed (for a written file, the data
    // may not have reached the disk).
    bool Close() {
        const bool closed = !IsOpen() || m_close(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE m_handle;
    CopyProgressDialog::CloseFileFn m_close;
};

// The size of an open file in bytes, 0 when it cannot be read. GetFileSize with its high word
// reaches back to the first 32-bit Windows, where GetFileSizeEx does not.
std::uint64_t FileSize(HANDLE file) {
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    // The low word may be INVALID_FILE_SIZE in a file of that size; only the error tells.
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

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

CopyProgressDialog::CopyProgressDialog() : CDialog(IDD_COPY_PROGRESS) {}

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

int CopyProgressDialog::CopyFileWithProgress(const char* source, const char* target, int perFile) {
    // The source is read once from start to end: saying so lets the platform read ahead.
    FileHandle in(CreateFileA(source, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in.IsOpen()) return kFailed;
    // A read-only file at the target is never replaced. The platform refuses to open one for
    // writing; saying so here keeps that true for a user whom the file system would let write.
    const DWORD existing = GetFileAttributesA(target);
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
        return kFailed;
    }
    FileHandle out(CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr),
                   m_closeTarget);
    if (!out.IsOpen()) return kFailed;

    if (m_hWnd != nullptr) {
        m_from.SetWindowText(source);
        m_to.SetWindowText(target);
    }
    if (perFile) {
        SetProgressTotal(FileSize(in.Get()));
    }

    int result = kFailed;
    m_cancelRequested = 0;
    for (;;) {
        if (m_cancelRequested) {
            result = kCancelled;
            break;
        }
        DWORD read = 0;
        DWORD written = 0;
        if (!ReadFile(in.Get(), m_buffer, kBlockSize, &read, nullptr)) break;
        if (!WriteFile(out.Get(), m_buffer, read, &written, nullptr) || written != read) break;
        m_copied += written;
        ShowPosition();
        DispatchPendingMessages();
        if (written != 0) continue;

        // End of the file: the copy takes all three of the source's times, the last-write
        // time above all, which is what makes it current for the install-state check.
        FILETIME created{};
        FILETIME accessed{};
        FILETIME modified{};
        if (GetFileTime(in.Get(), &created, &accessed, &modified) &&
            SetFileTime(out.Get(), &created, &accessed, &modified)) {
            result = kCopied;
        }
        break;
    }

    in.Close();
    // A target whose close fails may not hold what was written: the copy fails.
    if (!out.Close() && result == kCopied) result = kFailed;
    // No partial or time-less copy remains after a failure or a cancel.
    if (result != kCopied) DeleteFileA(target);
    return result;
}
