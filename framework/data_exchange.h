#pragma once
// Dialog data exchange: binding control wrappers and values to the controls of a dialog.

#include "framework/wnd.h"

#include <cstddef>

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    // The handle of control nIDC of the dialog; null, and the exchange marked failed, when the
    // dialog has no such control.
    HWND PrepareCtrl(int nIDC);
    // Marks the exchange failed at control hWndCtrl (the first failure is kept).
    void Fail(HWND hWndCtrl);
    BOOL Failed() const { return m_bFailed; }
    HWND FailedControl() const { return m_hWndFailed; }

    BOOL m_bSaveAndValidate;  // TRUE: controls to values; FALSE: values to controls
    CWnd* m_pDlgWnd;

private:
    BOOL m_bFailed = FALSE;
    HWND m_hWndFailed = nullptr;
};

// Binds rControl to control nIDC (subclassing it) the first time; later calls do nothing.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// Exchanges value with the check state of button nIDC (0 clear, 1 checked, 2 indeterminate).
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// Exchanges the text of control nIDC with buffer (size bytes with the terminator). Taking a
// text that does not fit fails and leaves buffer unchanged; it is never cut short.
void DDX_Text(CDataExchange* pDX, int nIDC, char* buffer, std::size_t size);
