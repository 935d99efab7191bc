#include "launcher/setup_dialog.h"

#include <memory>

#include "framework/win_app.h"
#include "setup/install_run.h"
#include "setup/install_state.h"
#include "launcher/launch_game.h"
#include "resources/resource.h"
#include "launcher/startup_message.h"

namespace {

// The controls that could start something else while files are being copied.
void EnableInstallControls(CWnd& dialog, bool moreLessInUse, BOOL enable) {
    static const int kControls[] = {IDOK, IDCANCEL, IDC_BROWSE, IDC_DESTINATION, IDC_COMPONENTS};
    for (const int id : kControls) EnableWindow(dialog.GetDlgItemHandle(id), enable);
    if (moreLessInUse) EnableWindow(dialog.GetDlgItemHandle(IDC_MORE_LESS), enable);
}

}  // namespace

SetupDialog::SetupDialog(CWnd* pParent)
    : CDialog(IDD_SETUP, pParent),
      m_hIcon(LoadIconA(FrameworkResourceHandle(), MAKEINTRESOURCEA(IDI_LAUNCHER))) {
    m_readBuffer[0] = '\0';
    // A launcher whose path, or a path derived from it, does not fit leaves every path empty;
    // OnCreate then ends the run without checking, installing or launching anything.
    DeriveProductPathsForModule(&m_paths, FrameworkResourceHandle());
}

LRESULT SetupDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<LRESULT>(OnQueryDragIcon());
        default:
            return CDialog::OnMessage(message, wParam, lParam);
    }
}

BOOL SetupDialog::OnCommand(UINT nID, UINT nCode, HWND hWndCtrl) {
    switch (nID) {
        case IDC_COMPONENTS:
            // A new selection or a double click changes the description and may have changed
            // a check; a check toggled on the selected row or with the space bar sends only
            // the check-list's own notification, and the required figure follows it too.
            if (nCode == LBN_SELCHANGE || nCode == LBN_DBLCLK) {
                UpdateRequiredSpace();
                UpdateDescription();
                return TRUE;
            }
            if (nCode == CLBN_CHKCHANGE) {
                UpdateRequiredSpace();
                return TRUE;
            }
            return FALSE;
        case IDC_DESTINATION:
            if (nCode != EN_CHANGE) return FALSE;
            UpdateAvailableSpace();
            return TRUE;
        case IDC_BROWSE:
            if (nCode != BN_CLICKED) return FALSE;
            BrowseForFolder();
            return TRUE;
        case IDC_MORE_LESS:
            if (nCode != BN_CLICKED) return FALSE;
            SetAdvancedMode(m_advanced ? 0 : 1);
            return TRUE;
        default:
            return CDialog::OnCommand(nID, nCode, hWndCtrl);
    }
}

int SetupDialog::OnCreate(LPCREATESTRUCT) {
    if (Default() == -1 || m_paths.sourceFolder[0] == '\0') {
        m_shown = 0;
        return -1;
    }
    if (AreRequiredFilesCurrent() && !m_forceSetup) {
        // Installed and current: the user never sees this dialog. Refusing the window ends
        // the modal run, and with it the launcher, once the game has ended.
        ShowStartupMessage();
        LaunchGame();
        m_shown = 0;
        return -1;
    }
    m_shown = 1;
    return 0;
}

void SetupDialog::OnOK() {
    // The copy and the game's wait dispatch messages inside this handler: an OK they bring is
    // ignored (the rule: CopyProgressDialog::DispatchPendingMessages in setup/).
    if (m_running) return;
    m_running = true;
    // A failed or declined install keeps the dialog open so the user can correct it or cancel.
    const int installed = RunInstall();
    if (installed) {
        ShowStartupMessage();
        LaunchGame();
    }
    m_running = false;
    // The dialog exchanges no data of its own: OK only ends the modal run.
    if (installed) EndDialog(IDOK);
}

void SetupDialog::OnDestroy() {
    Default();
    // Component records exist only when the window came up; a refused creation made none.
    if (m_shown == 1) FreeComponents();
}

int SetupDialog::IsFileCurrent(const char* name, const char* key) {
    return IsInstalledFileCurrent(m_paths, name, key);
}

int SetupDialog::AreRequiredFilesCurrent() { return AreRequiredInstalledFilesCurrent(m_paths); }

int SetupDialog::RunInstall() {
    const bool moreLessInUse = m_forceSetup == 0 && m_optionalCount != 0;
    EnableInstallControls(*this, moreLessInUse, FALSE);
    int success = 0;
    try {
        if (m_components.GetCount() != LB_ERR) {
            const std::vector<InstallRow> rows = GetInstallRows(m_components);
            // One character more than a path holds, so that a longer text shows by its length.
            char destination[kPathSize + 1];
            GetDlgItemText(IDC_DESTINATION, destination, static_cast<int>(sizeof destination));
            const InstallRequest request{&m_paths, destination, m_available, m_required};
            // The progress window holds its 128 KiB copy buffer; it lives on the heap rather
            // than on the stack under the copy's nested message loop.
            const auto progress = std::make_unique<CopyProgressDialog>();
            MessageBoxPrompts prompts(m_hWnd);
            success = InstallComponents(request, rows, *progress, this, prompts);
        }
    } catch (...) {
        // Out of memory for the run's lists: nothing more is done, and the dialog stays.
        success = 0;
    }
    EnableInstallControls(*this, moreLessInUse, TRUE);
    return success;
}

void SetupDialog::ShowStartupMessage() { OfferStartupMessage(m_paths); }

void SetupDialog::LaunchGame() {
    if (m_hWnd != nullptr) {
        EnableWindow(FALSE);
        ShowWindow(SW_HIDE);
    }
    PROCESS_INFORMATION process;
    if (!StartGame(m_paths, &process)) return;
    WaitForGame(process);
}
