#include "framework/dialog.h"

#include "framework/common_controls.h"
#include "framework/data_exchange.h"
#include "framework/win_app.h"

#include <commctrl.h>

#include <cstring>

namespace {

// Hand-off of a dialog object to the window the dialog manager is about to create. The dialog
// manager attaches a dialog procedure only after the window exists, so it never passes on the
// creation message; a CBT hook sees the new window before its first message and subclasses it
// for the waiting object. The hook removes itself at once, so it spans exactly one creation.
thread_local HHOOK t_creationHook = nullptr;
thread_local CWnd* t_pendingWindow = nullptr;

bool IsDialogWindow(HWND hWnd) {
    char className[16] = {};
    return ::GetClassNameA(hWnd, className, static_cast<int>(sizeof className)) > 0 &&
           std::strcmp(className, "#32770") == 0;
}

LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    HHOOK hook = t_creationHook;
    if (code == HCBT_CREATEWND && t_pendingWindow != nullptr) {
        auto hWnd = reinterpret_cast<HWND>(wParam);
        if (IsDialogWindow(hWnd)) {
            CWnd* pWnd = t_pendingWindow;
            t_pendingWindow = nullptr;
            t_creationHook = nullptr;
            pWnd->SubclassWindow(hWnd);
            LRESULT result = ::CallNextHookEx(hook, code, wParam, lParam);
            ::UnhookWindowsHookEx(hook);
            return result;
        }
    }
    return ::CallNextHookEx(hook, code, wParam, lParam);
}

void BeginCreation(CWnd* pWnd) {
    t_pendingWindow = pWnd;
    if (t_creationHook == nullptr) {
        t_creationHook =
            ::SetWindowsHookExA(WH_CBT, &CreationHook, nullptr, ::GetCurrentThreadId());
    }
}

// Ends the hand-off when the window was never created (missing template and the like).
void EndCreation() {
    t_pendingWindow = nullptr;
    if (t_creationHook != nullptr) {
        ::UnhookWindowsHookEx(t_creationHook);
        t_creationHook = nullptr;
    }
}

}  // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
    // A modeless dialog whose object ends first takes its window with it.
    if (m_hWnd != nullptr && !m_bModal && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

HWND CDialog::OwnerWindow() const {
    if (m_pParentWnd != nullptr) return m_pParentWnd->m_hWnd;
    CWinApp* app = CWinApp::GetApp();
    if (app == nullptr || app->m_pMainWnd == nullptr || app->m_pMainWnd == this) return nullptr;
    return app->m_pMainWnd->m_hWnd;
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd != nullptr) return -1;
    RegisterCommonControls();
    m_bModal = true;
    m_bEnded = false;
    m_nResult = IDCANCEL;
    BeginCreation(this);
    const INT_PTR result =
        ::DialogBoxParamA(FrameworkResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), OwnerWindow(),
                          &CDialog::DialogProcedure, reinterpret_cast<LPARAM>(this));
    EndCreation();
    m_bModal = false;
    if (result == -1) return -1;
    // The dialog manager also ends its loop on a quit message, with a result of its own choosing
    // (IDOK in some versions); only EndDialog speaks for the user.
    return m_bEnded ? m_nResult : IDCANCEL;
}

void CDialog::EndDialog(int nResult) {
    m_bEnded = true;
    m_nResult = nResult;
    if (m_hWnd != nullptr) ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    if (m_hWnd != nullptr) return FALSE;
    RegisterCommonControls();
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    m_bModal = false;
    BeginCreation(this);
    HWND hWnd = ::CreateDialogParamA(FrameworkResourceHandle(), MAKEINTRESOURCEA(nIDTemplate),
                                     OwnerWindow(), &CDialog::DialogProcedure,
                                     reinterpret_cast<LPARAM>(this));
    EndCreation();
    return hWnd != nullptr;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    if (dx.Failed()) {
        if (dx.FailedControl() != nullptr) ::SetFocus(dx.FailedControl());
        return FALSE;
    }
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    if (m_bModal)
        EndDialog(IDOK);
    else
        DestroyWindow();
}

void CDialog::OnCancel() {
    if (m_bModal)
        EndDialog(IDCANCEL);
    else
        DestroyWindow();
}

BOOL CDialog::OnCommand(UINT nID, UINT nCode, HWND) {
    if (nCode != BN_CLICKED) return FALSE;
    switch (nID) {
        case IDOK:
            OnOK();
            return TRUE;
        case IDCANCEL:
            OnCancel();
            return TRUE;
        default:
            return FALSE;
    }
}

LRESULT CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
            break;
        default:
            break;
    }
    return Default();
}

// The dialog procedure of every framework dialog. Messages reach the object through its
// subclassed window procedure (CWnd::WindowProcedure); the dialog manager's own call for
// WM_INITDIALOG lands here, and its result decides the initial focus.
INT_PTR CALLBACK CDialog::DialogProcedure(HWND hWnd, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    auto* pDialog = dynamic_cast<CDialog*>(FromHandlePermanent(hWnd));
    if (pDialog == nullptr) return TRUE;
    try {
        return pDialog->OnInitDialog();
    } catch (...) {
        return TRUE;
    }
}
