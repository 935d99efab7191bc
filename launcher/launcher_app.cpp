#include "launcher/launcher_app.h"

#include "launcher/launch_game.h"
#include "launcher/launcher_command_line_info.h"
#include "launcher/setup_dialog.h"
#include "setup/removal.h"

namespace {

constexpr const char kRemoveWithSetup[] =
    "The switches /remove and /a cannot be used together.\n\nStart the program with /remove "
    "to remove the product, or with /a to show its setup.";

// Removal instead of the install-state check: the game never starts.
void RunRemoval(int forceSetup) {
    ProductPaths paths;
    if (!DeriveProductPathsForModule(&paths, nullptr)) return;
    MessageBoxRemovalPrompts prompts(nullptr);
    if (forceSetup) {
        prompts.Tell(kRemoveWithSetup, ProductDisplayName(paths).c_str());
        return;
    }
    CopyProgressDialog progress;
    RemovalRequest request{&paths};
    RemoveProduct(request, progress, nullptr, prompts);
}

}  // namespace

BOOL LauncherApp::InitInstance() {
    RemoveCurrentFolderFromDllSearch();
    Enable3dControls();

    LauncherCommandLineInfo commandLine;
    ParseCommandLine(commandLine);
    ProcessShellCommand(commandLine);
    if (commandLine.m_remove) {
        RunRemoval(commandLine.m_forceSetup);
        return FALSE;
    }

    SetupDialog dialog;
    dialog.SetForceSetup(commandLine.m_forceSetup);
    // Windows the launcher opens without a parent, the start-up message among them, are owned
    // by the setup dialog from here on.
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
