// A stand-in game for the end-to-end scenarios. Copied onto a test disc as NAME.a32, it
// records how it was started and then runs for a while without showing anything.
//
// Environment:
//   E2E_GAME_LOG     file to append the record to (Windows path); nothing is written without it
//   E2E_GAME_MS      how long to run, in milliseconds (default 1500, or 30000 with E2E_GAME_STOP)
//   E2E_GAME_STOP    a file whose appearance ends the run early
//   E2E_GAME_DIALOG  when set to 1, shows the fixture dialog instead of waiting (used to test
//                    the driver itself; the dialog still ends by itself after E2E_GAME_MS)
//
// The record is a few "key=value" lines: start (milliseconds since 1970, UTC), pid, exe,
// cmdline, cwd, then end when the run is over. The fixture dialog adds lines for what the
// user did in it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/e2e/testgame_ids.h"

namespace {

std::string g_log;

long long NowUnixMs() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    // FILETIME counts 100 ns steps since 1601; 11644473600 s separate 1601 from 1970.
    return static_cast<long long>(t.QuadPart / 10000ULL) - 11644473600000LL;
}

std::string Env(const char* name) {
    char buf[1024];
    DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf) return {};
    return std::string(buf, n);
}

// Appends one line; opened and closed each time so that a killed game still leaves what it
// wrote, and another process can read the file at any moment.
void Log(const std::string& line) {
    if (g_log.empty()) return;
    HANDLE h = CreateFileA(g_log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
}

bool StopFileExists(const std::string& stop) {
    return !stop.empty() && GetFileAttributesA(stop.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct Run {
    long long deadline;
    std::string stop;
};

bool Over(const Run& run) { return NowUnixMs() >= run.deadline || StopFileExists(run.stop); }

// Fixture dialog: a text, an owner-drawn list with strings, OK (asks Yes/No in a message
// box) and Cancel. Everything the user does is logged.
INT_PTR CALLBACK FixtureProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: {
            HWND list = GetDlgItem(dlg, IDC_FIXTURE_LIST);
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Alpha"));
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Beta (required)"));
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Gamma"));
            SetTimer(dlg, 1, 50, nullptr);
            SetWindowLongPtrA(dlg, DWLP_USER, lp);
            return TRUE;
        }
        case WM_TIMER:
            if (Over(*reinterpret_cast<const Run*>(GetWindowLongPtrA(dlg, DWLP_USER)))) {
                Log("dialog=timeout");
                EndDialog(dlg, 0);
            }
            return TRUE;
        case WM_DRAWITEM: {
            auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
            if (di->CtlID != IDC_FIXTURE_LIST || di->itemID == static_cast<UINT>(-1)) return FALSE;
            char text[256] = {};
            WPARAM item = di->itemID;
            if (SendMessageA(di->hwndItem, LB_GETTEXTLEN, item, 0) <
                static_cast<LRESULT>(sizeof text))
                SendMessageA(di->hwndItem, LB_GETTEXT, item, reinterpret_cast<LPARAM>(text));
            bool selected = (di->itemState & ODS_SELECTED) != 0;
            FillRect(di->hDC, &di->rcItem,
                     GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
            SetBkMode(di->hDC, TRANSPARENT);
            SetTextColor(di->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
            RECT r = di->rcItem;
            r.left += 4;
            DrawTextA(di->hDC, text, -1, &r, DT_SINGLELINE | DT_VCENTER);
            return TRUE;
        }
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case IDC_FIXTURE_LIST:
                    if (HIWORD(wp) == LBN_SELCHANGE) {
                        LRESULT sel =
                            SendDlgItemMessageA(dlg, IDC_FIXTURE_LIST, LB_GETCURSEL, 0, 0);
                        Log("selected=" + std::to_string(sel));
                    }
                    return TRUE;
                case IDOK:
                    if (MessageBoxA(dlg, "Really leave?", "E2E Fixture",
                                    MB_YESNO | MB_ICONQUESTION) == IDYES) {
                        char text[260] = {};
                        GetDlgItemTextA(dlg, IDC_FIXTURE_EDIT, text, sizeof text);
                        Log(std::string("edit=") + text);
                        Log("dialog=ok");
                        EndDialog(dlg, IDOK);
                    } else {
                        Log("answer=no");
                    }
                    return TRUE;
                case IDCANCEL:
                    Log("dialog=cancel");
                    EndDialog(dlg, IDCANCEL);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    long long start = NowUnixMs();
    g_log = Env("E2E_GAME_LOG");

    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    Log("start=" + std::to_string(start));
    Log("pid=" + std::to_string(GetCurrentProcessId()));
    Log(std::string("exe=") + exe);
    Log(std::string("cmdline=") + GetCommandLineA());
    Log(std::string("cwd=") + cwd);

    Run run;
    run.stop = Env("E2E_GAME_STOP");
    long long ms = run.stop.empty() ? 1500 : 30000;
    std::string msText = Env("E2E_GAME_MS");
    if (!msText.empty()) ms = std::strtoll(msText.c_str(), nullptr, 10);
    run.deadline = start + ms;

    if (Env("E2E_GAME_DIALOG") == "1") {
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_FIXTURE), nullptr, FixtureProc,
                        reinterpret_cast<LPARAM>(&run));
    } else {
        while (!Over(run)) Sleep(20);
    }
    Log("end=" + std::to_string(NowUnixMs()));
    return 0;
}
