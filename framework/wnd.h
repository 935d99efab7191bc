#pragma once
// CWnd: a window held by its handle, and the one window procedure through which the framework
// routes the messages of every window it has subclassed (dialogs and bound controls).

#include <windows.h>

#include <memory>
#include <vector>

// A window held by handle. The wrapper never owns the window: destroying a CWnd leaves the
// window alone, and the window's destruction detaches a subclassed wrapper.
class CWnd {
public:
    // Constructors
    CWnd() = default;
    // Wraps a window without subclassing it (plain handle holder).
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    HWND m_hWnd = nullptr;

    // Attributes
    operator HWND() const { return m_hWnd; }
    // The framework object whose OnMessage receives hWnd's messages, or null when the window
    // is not subclassed by the framework. The caller does not own it.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Subclassing: from here on the window's messages go through OnMessage, and Default()
    // reaches the window's previous procedure. Fails when this object already holds a window
    // or hWnd is null or already subclassed by the framework.
    BOOL SubclassWindow(HWND hWnd);
    // Subclasses the child control nID of pParent. FALSE when there is no such control.
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    // Gives the window its previous procedure back and detaches; returns the handle.
    HWND UnsubclassWindow();

    // Operations: each is one call on the window.
    BOOL EnableWindow(BOOL bEnable = TRUE) const { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL ShowWindow(int nCmdShow) const { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL DestroyWindow() const { return ::DestroyWindow(m_hWnd); }
    void SetWindowText(const char* text) const { ::SetWindowTextA(m_hWnd, text); }
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE) const {
        ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
    }
    void MoveWindow(const RECT* rect, BOOL bRepaint = TRUE) const {
        ::MoveWindow(m_hWnd, rect->left, rect->top, rect->right - rect->left,
                     rect->bottom - rect->top, bRepaint);
    }
    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    // Converts both corners of a rectangle from screen to client coordinates.
    void ScreenToClient(RECT* rect) const;
    void InvalidateRect(const RECT* rect, BOOL bErase = TRUE) const {
        ::InvalidateRect(m_hWnd, rect, bErase);
    }
    void Invalidate(BOOL bErase = TRUE) const { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void ValidateRect(const RECT* rect) const { ::ValidateRect(m_hWnd, rect); }
    void UpdateWindow() const { ::UpdateWindow(m_hWnd); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    HWND GetParentHandle() const { return ::GetParent(m_hWnd); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    // Sets the window's big (bBigIcon TRUE) or small icon; returns the previous one.
    HICON SetIcon(HICON hIcon, BOOL bBigIcon) const {
        return reinterpret_cast<HICON>(::SendMessageA(
            m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
    }
    // A device context of the window's client area; the caller releases it with ReleaseDC.
    HDC GetDC() const { return ::GetDC(m_hWnd); }
    int ReleaseDC(HDC hDC) const { return ::ReleaseDC(m_hWnd, hDC); }

    // Child controls
    // The control's handle, or null when this window has no child with that id.
    HWND GetDlgItemHandle(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    // The framework object bound to control nID, else a plain wrapper that this window keeps
    // until it is destroyed; null when there is no such control. The caller does not own it.
    CWnd* GetDlgItem(int nID);
    void SetDlgItemText(int nID, const char* text) const { ::SetDlgItemTextA(m_hWnd, nID, text); }
    // Copies at most nMaxCount - 1 characters and a terminator; returns the count copied.
    UINT GetDlgItemText(int nID, char* text, int nMaxCount) const {
        return ::GetDlgItemTextA(m_hWnd, nID, text, nMaxCount);
    }

protected:
    // The class's message routing: a switch that calls the OnXxx handlers and passes what it
    // does not handle to its base class. The base runs the default processing.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Owner-draw messages about this control, sent by the framework on behalf of its parent
    // (WM_DRAWITEM, WM_MEASUREITEM). Returns TRUE with *pResult set when the control handled it.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Called once a window has been subclassed, before any message reaches OnMessage.
    virtual void PreSubclassWindow() {}
    // Called after the window's last message (WM_NCDESTROY); the object is detached by then.
    virtual void PostNcDestroy() {}

    // Default processing of the message being routed now (the window's previous procedure).
    // Callable from any OnXxx handler, before or after its own work.
    LRESULT Default();
    // Default processing of an explicit message.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Route(UINT message, WPARAM wParam, LPARAM lParam);

    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    WNDPROC m_pfnSuper = nullptr;
    CurrentMessage m_current{};
    std::vector<std::unique_ptr<CWnd>> m_itemWrappers;
};
