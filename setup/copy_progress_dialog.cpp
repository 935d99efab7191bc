#include "copy_progress_dialog.h"

#include <commctrl.h>

#include <climits>

#include "framework/data_exchange.h"
#include "resources/resource.h"

namespace {

// Closes a file handle when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    void Close() {
        if (IsOpen()) CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_handle;
};

// Whether the bar draws through the visual styles (its fill is then a stretched image with
// ends of a few pixels) rather than as classic chunks. The styles' library is asked only when
// the common controls have already loaded it; without it no bar is styled.
bool IsStyled(HWND bar) {
    using GetWindowThemeFn = HANDLE(WINAPI*)(HWND);
    const HMODULE styles = GetModuleHandleA("uxtheme.dll");
    if (styles == nullptr) return false;
    const auto getTheme = reinterpret_cast<GetWindowThemeFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(styles, "GetWindowTheme")));
    return getTheme != nullptr && getTheme(bar) != nullptr;
}

// The columns of a horizontal bar whose pixels can differ between positions from and to:
// the span between the two fill ends, widened on both sides by what the bar draws around a
// fill end (the ends of the styled fill, or one whole classic chunk, which is about two thirds
// of the bar's height wide), plus the frame. False when the whole bar may change.
bool ChangedColumns(HWND bar, int from, int to, RECT* columns) {
    const LONG_PTR style = GetWindowLongPtrA(bar, GWL_STYLE);
    if ((style & (PBS_VERTICAL | PBS_MARQUEE)) != 0) return false;
    PBRANGE range{};
    SendMessageA(bar, PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
    if (range.iHigh <= range.iLow) return false;
    RECT client;
    if (!GetClientRect(bar, &client)) return false;
    const LONG width = client.right - client.left;
    const auto fillEnd = [&](int position) {
        const int clamped = position < range.iLow    ? range.iLow
                            : position > range.iHigh ? range.iHigh
                                                     : position;
        return static_cast<double>(clamped - range.iLow) * static_cast<double>(width) /
               static_cast<double>(range.iHigh - range.iLow);
    };
    const double low = fillEnd(from < to ? from : to);
    const double high = fillEnd(from < to ? to : from);
    const LONG margin = IsStyled(bar) ? 4 : client.bottom - client.top + 2;
    const LONG left = static_cast<LONG>(low) - margin;
    const LONG right = static_cast<LONG>(high) + 1 + margin;
    if (left <= client.left && right >= client.right) return false;
    *columns = client;
    if (left > client.left) columns->left = left;
    if (right < client.right) columns->right = right;
    return true;
}

}  // namespace

void CopyProgressBar::MoveTo(int position) {
    const HWND bar = m_hWnd;
    const int from = GetPos();
    RECT changed;
    HRGN paintOnly = nullptr;
    // Only a move forward is narrowed: the fill then grows over the background, so nothing
    // left of the old end or right of the new one changes.
    if (position > from && ChangedColumns(bar, from, position, &changed)) {
        paintOnly = CreateRectRgnIndirect(&changed);
    }
    HRGN pending = paintOnly != nullptr ? CreateRectRgn(0, 0, 0, 0) : nullptr;
    const int pendingKind = pending != nullptr ? GetUpdateRgn(bar, pending, FALSE) : ERROR;
    if (pendingKind == NULLREGION || (pendingKind != ERROR &&
                                      CombineRgn(paintOnly, paintOnly, pending, RGN_OR) != ERROR)) {
        m_paintOnly = paintOnly;
    }
    // The bar paints the move before it returns; a paint that comes later is the bar's own and
    // stays whole.
    SetPos(position);
    m_paintOnly = nullptr;
    if (pending != nullptr) DeleteObject(pending);
    if (paintOnly != nullptr) DeleteObject(paintOnly);
}

LRESULT CopyProgressBar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT && m_paintOnly != nullptr) {
        const HRGN paintOnly = m_paintOnly;
        m_paintOnly = nullptr;  // once: a paint nested in this one is not narrowed again
        ::ValidateRect(m_hWnd, nullptr);
        ::InvalidateRgn(m_hWnd, paintOnly, FALSE);
    }
    return CProgressCtrl::OnMessage(message, wParam, lParam);
}

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
    m_progress.MoveTo(position);
    m_shownPosition = position;
}

void CopyProgressDialog::DispatchPendingMessages() {
    // Asking whether anything waits is much cheaper than a peek on some platforms, and with
    // nothing waiting there is nothing to dispatch.
    if (MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, MWMO_INPUTAVAILABLE) !=
        WAIT_OBJECT_0) {
        return;
    }
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
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.IsOpen()) return kFailed;

    if (m_hWnd != nullptr) {
        m_from.SetWindowText(source);
        m_to.SetWindowText(target);
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(in.Get(), &size)) size.QuadPart = 0;
    if (perFile) SetProgressTotal(static_cast<std::uint64_t>(size.QuadPart));
    // A target of more than one block gets the source's size before the first write, so the
    // blocks fill a file of its final length instead of extending it one by one; the end of the
    // copy cuts it to what was written. Where sizing fails the blocks simply extend the file.
    bool sized = false;
    if (size.QuadPart > static_cast<LONGLONG>(kBlockSize) &&
        SetFilePointerEx(out.Get(), size, nullptr, FILE_BEGIN)) {
        sized = SetEndOfFile(out.Get()) != FALSE;
        // Writing must start at the beginning, whatever happened above.
        if (!SetFilePointerEx(out.Get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN)) {
            out.Close();
            DeleteFileA(target);
            return kFailed;
        }
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

        // End of the file. A sized target ends where the copy ended, in case the source was
        // shorter than its size said. Then the copy takes all three of the source's times, the
        // last-write time above all, which is what makes it current for the install-state
        // check.
        FILETIME created{};
        FILETIME accessed{};
        FILETIME modified{};
        if ((!sized || SetEndOfFile(out.Get())) &&
            GetFileTime(in.Get(), &created, &accessed, &modified) &&
            SetFileTime(out.Get(), &created, &accessed, &modified)) {
            result = kCopied;
        }
        break;
    }

    in.Close();
    out.Close();
    // No partial or time-less copy remains after a failure or a cancel.
    if (result != kCopied) DeleteFileA(target);
    return result;
}
