#pragma once
// CWinApp: the application object. The program defines exactly one, as a static object; the
// framework's WinMain finds it, calls InitInstance, and ends the process when that returns
// FALSE (or after the message loop when it returns TRUE).

#include <windows.h>

class CWnd;
class CCommandLineInfo;

class CWinApp {
public:
    // Constructors
    // pszAppName: the application's name; null keeps the module's base name.
    explicit CWinApp(const char* pszAppName = nullptr);
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    // The one application object, or null when none exists. The caller does not own it.
    static CWinApp* GetApp();

    // Overridables
    // The whole start-up; FALSE ends the process without a message loop.
    virtual BOOL InitInstance();
    // Runs the message loop until WM_QUIT, then ExitInstance. Used when InitInstance returns TRUE.
    virtual int Run();
    // Returns the process exit code.
    virtual int ExitInstance();

    // Operations
    // Parses the process's command line into rCmdInfo (see ParseCommandLineText).
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    // Acts on the parsed command; there are no document types, so nothing happens: TRUE.
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
    // Three-dimensional controls are the platform's own look: nothing to do, TRUE.
    BOOL Enable3dControls() { return TRUE; }

    // Called by WinMain: stores the instance data, then InitInstance and so on. Returns the
    // process exit code.
    int Start(HINSTANCE hInstance, LPSTR lpCmdLine, int nCmdShow);

    // Attributes
    HINSTANCE m_hInstance;
    // The application's main window: owner of the dialogs opened without a parent.
    CWnd* m_pMainWnd = nullptr;
    const char* m_pszAppName;
    LPSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;

private:
    char m_appName[MAX_PATH] = {};
};

// The module whose resources (dialog templates, icons) the framework loads.
HINSTANCE FrameworkResourceHandle();
