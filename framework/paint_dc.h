#pragma once
// CPaintDC: BeginPaint in the constructor, EndPaint in the destructor. For WM_PAINT handlers.

#include "framework/wnd.h"

class CPaintDC {
public:
    explicit CPaintDC(const CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) {
        m_hDC = ::BeginPaint(m_hWnd, &m_ps);
    }
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    // The paint device context; null when BeginPaint failed.
    operator HDC() const { return m_hDC; }

    HDC m_hDC;
    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
};
