#include "launcher/launcher_app.h"

#include "launcher/launcher_command_line_info.h"
#include "launcher/setup_dialog.h"

namespace {

// Takes the current folder out of the DLL search, so that a DLL planted in whatever folder the
// launcher was started from (a graphics library, a shell helper) is never loaded. Looked up at
// run time: systems before XP SP1 lack the function and keep their search order.
void RemoveCurrentFolderFromDllSearch() {
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return;
    const auto setDllDirectory = reinterpret_cast<SetDllDirectoryFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (setDllDirectory != nullptr) setDllDirectory("");
}

}  // namespace

BOOL LauncherApp::InitInstance() {
    RemoveCurrentFolderFromDllSearch();
    Enable3dControls();

    LauncherCommandLineInfo commandLine;
    ParseCommandLine(commandLine);
    ProcessShellCommand(commandLine);

    SetupDialog dialog;
    dialog.m_forceSetup = commandLine.m_forceSetup;
    // Windows the launcher opens without a parent, the start-up message among them, are owned
    // by the setup dialog from here on.
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
