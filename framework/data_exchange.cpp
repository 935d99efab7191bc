#include "framework/data_exchange.h"

HWND CDataExchange::PrepareCtrl(int nIDC) {
    HWND hWnd = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    if (hWnd == nullptr) Fail(nullptr);
    return hWnd;
}

void CDataExchange::Fail(HWND hWndCtrl) {
    if (m_bFailed) return;
    m_bFailed = TRUE;
    m_hWndFailed = hWndCtrl;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd != nullptr) return;
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (hWnd != nullptr && !rControl.SubclassWindow(hWnd)) pDX->Fail(hWnd);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (hWnd == nullptr) return;
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(::SendMessageA(hWnd, BM_GETCHECK, 0, 0));
    } else {
        ::SendMessageA(hWnd, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, char* buffer, std::size_t size) {
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (hWnd == nullptr) return;
    if (!pDX->m_bSaveAndValidate) {
        ::SetWindowTextA(hWnd, buffer);
        return;
    }
    const int length = ::GetWindowTextLengthA(hWnd);
    if (size == 0 || length < 0 || static_cast<std::size_t>(length) >= size || size > 0x7FFFFFFF) {
        pDX->Fail(hWnd);
        return;
    }
    // The length query may overstate (double-byte code pages) but never understates, so the
    // whole text fits here.
    const int copied = ::GetWindowTextA(hWnd, buffer, static_cast<int>(size));
    if (copied < 0) pDX->Fail(hWnd);
}
