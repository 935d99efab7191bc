// SetupDialog: the one object that holds the product's paths and decides, while its window is
// being created and before anything is visible, whether setup is needed. When the product is
// installed and current and setup was not forced it offers the start-up message, runs the game
// and refuses its own window; otherwise it comes up so the user can install.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/check_list_box.h"
#include "framework/dialog.h"
#include "base/product_paths.h"
#include "rules/install_rules.h"

class SetupDialog final : public CDialog {
public:
    // Derives every path from the launcher's own location and name; reads nothing but the
    // install script's DefaultDir.
    explicit SetupDialog(CWnd* pParent = nullptr);

    // The command line's force-setup flag, copied before the modal run: 1 shows the dialog
    // even when everything is current.
    void SetForceSetup(int forceSetup) { m_forceSetup = forceSetup; }

protected:
    // The framework's overridables.
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Installs; on success offers the start-up message, runs the game and ends the dialog.
    void OnOK() override;
    // Setup window (setup_window.cpp)
    BOOL OnInitDialog() override;
    BOOL OnCommand(UINT nID, UINT nCode, HWND hWndCtrl) override;

private:
    // The tests' way in (defined by the tests, nowhere in the program).
    friend struct SetupDialogTestAccess;

    // Creation: -1 refuses the window (launched directly, or creation failed), 0 lets it come up.
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    // Releases the component records when the window had been let up.
    void OnDestroy();
    // Draws the icon when minimised, else paints as usual (setup_window.cpp).
    void OnPaint();
    HICON OnQueryDragIcon() const { return m_hIcon; }

    // Install state (the shared file's records are kept in step as a side effect)
    // 1 when the file name (relative to the source folder) is installed and current, else 0.
    int IsFileCurrent(const char* name, const char* key);
    // 1 when every required file is installed and current, else 0.
    int AreRequiredFilesCurrent();

    // Components (setup_window.cpp)
    // Reads the install script's groups into the check-list. 1 on success.
    int LoadComponents();
    // Releases the groups attached to the check-list rows. 1 on success.
    int FreeComponents();

    // Install, start-up message and game
    // Runs the install of the checked groups. 1 when it succeeded, 0 on failure or when the
    // user declined.
    int RunInstall();
    // Offers the start-up message when the install script names a picture.
    void ShowStartupMessage();
    // Hides the setup window, starts the game from the source folder and waits for it.
    void LaunchGame();

    // Setup window: layout, texts, space figures and the folder choosers (setup_window.cpp)
    // Fills the detail and lower control lists in their fixed orders.
    void BuildControlLists();
    // Caption and instruction of the current mode from the install script; the instruction
    // box is refitted to its text and everything below it follows.
    void UpdateTitle();
    void UpdateInstruction();
    void FitInstructionText();
    // The selected row's group description, or empty without a selection.
    void UpdateDescription();
    // Recomputes and shows the free megabytes of the destination's drive (fixed disks only).
    void UpdateAvailableSpace();
    // Recomputes and shows the megabytes of the checked groups' source files.
    void UpdateRequiredSpace();
    // Switches to advanced (1) or basic (0) layout; nothing happens when already there.
    void SetAdvancedMode(int advanced);
    // Lets the user pick the destination folder: the shell's folder browser, or on Win32s
    // (or without the shell's browser) the open-file dialog with the folder-only template.
    void BrowseForFolder();
    void BrowseWithShell();
    void BrowseWithOpenFileDialog();

    HICON m_hIcon;                        // big and small icon of the window
    CCheckListBox m_components;           // one row per component group
    int m_shown = 0;                      // 1 when the create-time decision let the window come up
    int m_forceSetup = 0;                 // 1: show the dialog even when everything is current
    bool m_running = false;               // while OK's install, start-up message or game runs
    int m_advanced = 1;                   // layout: 1 advanced, 0 basic
    int m_optionalCount = 0;              // optional group count as read (0 hides More/Less)
    int m_layoutDistance = 0;             // height between the basic and the advanced layout
    std::vector<CWnd*> m_detailControls;  // shown in advanced mode only
    std::vector<CWnd*> m_lowerControls;   // moved when the layout changes
    ProductPaths m_paths;                 // source, destination, shared file, script, base name
    char m_readBuffer[rules::kScriptValueSize];  // one install-script value at a time
    ULONGLONG m_available = 0;                   // free bytes on the destination drive (64-bit)
    ULONGLONG m_required = 0;                    // bytes of the checked groups (64-bit)
};
