#pragma once
// CClientDC: GetDC in the constructor, ReleaseDC in the destructor.

#include "framework/wnd.h"

class CClientDC {
public:
    explicit CClientDC(const CWnd* pWnd) : m_hWnd(pWnd->m_hWnd), m_hDC(::GetDC(m_hWnd)) {}
    ~CClientDC() {
        if (m_hDC) ::ReleaseDC(m_hWnd, m_hDC);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;

    // The client-area device context; null when none could be obtained.
    operator HDC() const { return m_hDC; }

private:
    HWND m_hWnd;

public:
    HDC m_hDC;
};
