#include "framework/wnd.h"

CWnd::~CWnd() {
    // A wrapper that goes away before its window gives the window its procedure back, so no
    // later message reaches a dead object.
    if (m_pfnSuper != nullptr && m_hWnd != nullptr && ::IsWindow(m_hWnd)) UnsubclassWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (hWnd == nullptr) return nullptr;
    auto proc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC));
    if (proc != &CWnd::WindowProcedure) return nullptr;
    return reinterpret_cast<CWnd*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (m_hWnd != nullptr || hWnd == nullptr || FromHandlePermanent(hWnd) != nullptr) return FALSE;
    m_hWnd = hWnd;
    ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_pfnSuper = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
        hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WindowProcedure)));
    if (m_pfnSuper == nullptr) {
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        m_hWnd = nullptr;
        return FALSE;
    }
    PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (pParent == nullptr) return FALSE;
    return SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)));
}

HWND CWnd::UnsubclassWindow() {
    HWND hWnd = m_hWnd;
    if (hWnd != nullptr && m_pfnSuper != nullptr) {
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
    }
    m_pfnSuper = nullptr;
    m_hWnd = nullptr;
    return hWnd;
}

void CWnd::ScreenToClient(RECT* rect) const {
    auto* corners = reinterpret_cast<POINT*>(rect);
    ::ScreenToClient(m_hWnd, &corners[0]);
    ::ScreenToClient(m_hWnd, &corners[1]);
}

CWnd* CWnd::GetDlgItem(int nID) {
    HWND hItem = ::GetDlgItem(m_hWnd, nID);
    if (hItem == nullptr) return nullptr;
    if (CWnd* bound = FromHandlePermanent(hItem)) return bound;
    for (const auto& wrapper : m_itemWrappers) {
        if (wrapper->m_hWnd == hItem) return wrapper.get();
    }
    m_itemWrappers.push_back(std::make_unique<CWnd>(hItem));
    return m_itemWrappers.back().get();
}

LRESULT CWnd::OnMessage(UINT, WPARAM, LPARAM) { return Default(); }

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

LRESULT CWnd::Default() {
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

namespace {

// The control that an owner-draw message of a parent is about, or null.
HWND OwnerDrawTarget(HWND hParent, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DRAWITEM:
            return reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
        case WM_MEASUREITEM:
            if (wParam == 0) return nullptr;  // a menu
            return ::GetDlgItem(
                hParent,
                static_cast<int>(reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlID));
        case WM_DELETEITEM:
            return reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->hwndItem;
        case WM_COMPAREITEM:
            return reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->hwndItem;
        default:
            return nullptr;
    }
}

}  // namespace

LRESULT CWnd::Route(UINT message, WPARAM wParam, LPARAM lParam) {
    // Owner-draw messages go to the control's own object first, so a control draws itself.
    if (CWnd* child = FromHandlePermanent(OwnerDrawTarget(m_hWnd, message, wParam, lParam))) {
        LRESULT result = 0;
        if (child->OnChildNotify(message, wParam, lParam, &result)) return result;
    }
    return OnMessage(message, wParam, lParam);
}

LRESULT CALLBACK CWnd::WindowProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* pWnd = reinterpret_cast<CWnd*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (pWnd == nullptr || pWnd->m_hWnd != hWnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);

    const CurrentMessage saved = pWnd->m_current;
    pWnd->m_current = CurrentMessage{message, wParam, lParam};
    LRESULT result = 0;
    try {
        result = pWnd->Route(message, wParam, lParam);
    } catch (...) {
        // No exception crosses into the window manager: creation fails, anything else is
        // answered as not handled.
        result = message == WM_CREATE ? -1 : 0;  // WM_NCCREATE: 0 (FALSE) refuses too
    }
    pWnd->m_current = saved;

    if (message == WM_NCDESTROY) {
        // The window is gone: detach so the object can be reused or destroyed.
        pWnd->UnsubclassWindow();
        pWnd->m_itemWrappers.clear();
        pWnd->PostNcDestroy();
    }
    return result;
}
