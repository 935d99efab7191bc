#include "launcher_app.h"

#include "launcher_command_line_info.h"
#include "setup_dialog.h"

BOOL LauncherApp::InitInstance() {
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
