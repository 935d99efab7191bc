// The launcher's application object. Its start-up is the whole run: it reads the command line,
// runs the setup dialog modally once and ends; the dialog's modal loop is the only message loop.
#pragma once

#include "framework/win_app.h"

class LauncherApp : public CWinApp {
public:
    LauncherApp() = default;

    // Runs the setup dialog (which may launch the game without ever showing itself) and
    // returns FALSE, so the process ends after it.
    BOOL InitInstance() override;
};
