#include "framework/win_app.h"

#include "framework/command_line_info.h"
#include "framework/common_controls.h"

#include <commctrl.h>

#include <cstring>

namespace {
CWinApp* g_app = nullptr;
}  // namespace

CWinApp::CWinApp(const char* pszAppName)
    : m_hInstance(::GetModuleHandleA(nullptr)), m_pszAppName(pszAppName) {
    g_app = this;
    if (m_pszAppName == nullptr) {
        // The module's base name, the file name without folder and extension.
        char path[MAX_PATH] = {};
        const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            const char* name = path;
            // By character: the second byte of a double-byte character can be 0x5C.
            for (const char* p = path; *p != '\0'; p = ::CharNextA(p)) {
                if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
            }
            std::memcpy(m_appName, name, std::strlen(name) + 1);  // shorter than path, so it fits
            char* dot = nullptr;
            for (char* p = m_appName; *p != '\0'; p = ::CharNextA(p)) {
                if (*p == '.') dot = p;
            }
            if (dot != nullptr) *dot = '\0';
        }
        m_pszAppName = m_appName;
    }
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

CWinApp* CWinApp::GetApp() { return g_app; }

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return ExitInstance();
}

int CWinApp::ExitInstance() { return 0; }

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) {
    ParseCommandLineText(::GetCommandLineW(), rCmdInfo);
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo&) { return TRUE; }

int CWinApp::Start(HINSTANCE hInstance, LPSTR lpCmdLine, int nCmdShow) {
    m_hInstance = hInstance;
    m_lpCmdLine = lpCmdLine;
    m_nCmdShow = nCmdShow;
    RegisterCommonControls();
    if (!InitInstance()) return ExitInstance();
    return Run();
}

HINSTANCE FrameworkResourceHandle() {
    CWinApp* app = CWinApp::GetApp();
    return app != nullptr ? app->m_hInstance : ::GetModuleHandleA(nullptr);
}
