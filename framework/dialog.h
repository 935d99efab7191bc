#pragma once
// CDialog: modal and modeless dialogs from resource templates. The dialog object sees its
// window from the creation message on (WM_CREATE), so a handler may refuse creation; messages
// reach the class's OnMessage switch and commands its OnCommand switch.

#include "framework/wnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    // Constructors
    // nIDTemplate: dialog template in the program's resources. pParentWnd: owner; when null, the
    // application's main window (if it has a window) owns the dialog.
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Modal run. Returns -1 when the window could not be created (missing template, or
    // creation refused by OnCreate); otherwise the value given to EndDialog. A run ended by
    // anything else (a quit message) returns IDCANCEL, never IDOK; the quit message stays
    // posted for the caller's loop.
    virtual INT_PTR DoModal();
    // Ends the modal run with nResult (a modeless dialog is only hidden).
    void EndDialog(int nResult);

    // Modeless: creates the window from nIDTemplate, owned as for DoModal. TRUE on success.
    // The window is destroyed with DestroyWindow (or by OnOK/OnCancel).
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // For a message loop of the program's own while a modeless dialog is up: gives msg to the
    // dialog manager (Tab, Enter, Escape) when it is meant for this dialog. TRUE when it was
    // processed; the loop then neither translates nor dispatches it.
    BOOL IsDialogMessage(MSG* msg) const {
        return m_hWnd != nullptr && ::IsDialogMessageA(m_hWnd, msg);
    }

    // Data exchange: TRUE takes values from the controls, FALSE puts them into the controls.
    // Returns FALSE when an exchange failed (missing control, text too long for its buffer);
    // the failing control then has the focus.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

protected:
    // Binds controls and values; the default binds nothing.
    virtual void DoDataExchange(CDataExchange* pDX);
    // WM_INITDIALOG. The default puts the data into the controls (UpdateData(FALSE)) and
    // returns TRUE, leaving the focus to the dialog manager.
    virtual BOOL OnInitDialog();
    // OK: the default takes the data (UpdateData(TRUE)) and, when that succeeds, ends the modal
    // run with IDOK (a modeless dialog is destroyed).
    virtual void OnOK();
    // Cancel, Escape and the close box: the default ends the modal run with IDCANCEL without
    // taking data (a modeless dialog is destroyed).
    virtual void OnCancel();
    // WM_COMMAND. Returns TRUE when handled. The default handles IDOK and IDCANCEL; an override
    // switches on nID and passes the rest to its base.
    virtual BOOL OnCommand(UINT nID, UINT nCode, HWND hWndCtrl);

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND OwnerWindow() const;

    bool m_bModal = false;
    bool m_bEnded = false;
    int m_nResult = IDCANCEL;
};
