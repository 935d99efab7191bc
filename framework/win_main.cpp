// The program's entry point: it constructs nothing itself. The one static application object
// already exists; WinMain hands it the instance data and runs it.

#include "framework/win_app.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow) {
    CWinApp* app = CWinApp::GetApp();
    if (app == nullptr) return 1;
    try {
        return app->Start(hInstance, lpCmdLine, nCmdShow);
    } catch (...) {
        return 1;
    }
}
