// driver: acts on another program's windows the way a person would, one action per run, for
// the end-to-end scenarios. Results go to standard output as UTF-8 lines; the exit code is
// 0 when the action succeeded or the condition held, 1 when it did not (not found, time-out,
// no answer), 2 on a usage error.
//
//   driver COMMAND [selector] [options]
//   driver serve    the same commands read from standard input, one a line (see Serve)
//
// Selector of a top-level window (all given parts must match; the first match wins):
//   --hwnd H        the window handle (as printed by this program)
//   --caption TEXT  exact caption        --class NAME   window class ("#32770" for dialogs)
//   --exe NAME      process image name   --pid N        Windows process id
//   --visible       visible windows only
//   --with-id ID    windows that have a control ID (IDC_STATIC: a message box's text)
// Control of that window: --id ID.
// A control id is a number (decimal or 0x hex) or a name: IDOK, IDCANCEL, IDYES, IDNO and the
// other standard ids of windows.h, or an IDC_ name of resources/resource.h or of the test
// game's testgame_ids.h (IDC_COMPONENTS, IDC_FIXTURE_LIST, ...). A message box's text is a
// static without an id of its own, IDC_STATIC. --click takes a control id too; --vk a number
// or a key's name (VK_ESCAPE, VK_RETURN, VK_SPACE, VK_TAB).
//
// Commands: the table kCommands at the end of this file, which the usage lists too.
// Time-outs are in milliseconds (default 5000).
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include "framework/check_list_box.h"
#include "resources/resource.h"
#include "tests/e2e/testgame_ids.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr UINT kSendTimeoutMs = 2000;

struct Options {
    std::wstring command;
    HWND hwnd = nullptr;
    HWND thenHwnd = nullptr;
    bool hasCaption = false;
    std::wstring caption;
    std::wstring className;
    std::wstring exe;
    DWORD pid = 0;
    bool visibleOnly = false;
    bool hasWithId = false;
    int withId = 0;
    bool hasId = false;
    int id = 0;
    int code = 0;
    int row = -1;
    int x = -1;
    int y = -1;
    int vk = 0;
    int click = -1;
    std::wstring stopFile;
    bool hasText = false;
    std::wstring text;
    DWORD timeoutMs = 5000;
};

// ---- output ---------------------------------------------------------------------------

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

void Out(const std::string& line) {
    std::string s = line + "\n";
    std::fwrite(s.data(), 1, s.size(), stdout);
    std::fflush(stdout);
}

void Err(const std::string& line) {
    std::string s = "driver: " + line + "\n";
    std::fwrite(s.data(), 1, s.size(), stderr);
    std::fflush(stderr);
}

std::string Hex(const void* p) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
    return buf;
}

std::string RectText(const RECT& r) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "%ld,%ld,%ld,%ld", r.left, r.top, r.right, r.bottom);
    return buf;
}

// Texts in lists are one line each: line breaks inside a text become "\n".
std::string OneLine(const std::wstring& w) {
    std::string s = Utf8(w), o;
    for (char c : s) {
        if (c == '\r') continue;
        if (c == '\n')
            o += "\\n";
        else if (c == '\t')
            o += ' ';
        else
            o += c;
    }
    return o;
}

// ---- windows and processes ------------------------------------------------------------

std::wstring ClassOf(HWND w) {
    wchar_t buf[256] = {};
    GetClassNameW(w, buf, 256);
    return buf;
}

// The text of a window of any process: WM_GETTEXT is marshalled across processes, and a
// hung target ends in a time-out instead of blocking the driver.
bool TextOf(HWND w, std::wstring& text) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &len))
        return false;
    std::vector<wchar_t> buf(len + 2, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(w, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                             SMTO_NORMAL, kSendTimeoutMs, &got))
        return false;
    text.assign(buf.data(), got < buf.size() ? got : buf.size() - 1);
    return true;
}

// A caption is stored by the window manager, so reading it never waits for the owner.
std::wstring CaptionOf(HWND w) {
    int len = GetWindowTextLengthW(w);
    std::vector<wchar_t> buf(static_cast<size_t>(len) + 2, L'\0');
    GetWindowTextW(w, buf.data(), len + 1);
    return buf.data();
}

std::wstring BaseName(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::set<DWORD> ProcessesNamed(const Options& o) {
    std::set<DWORD> pids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return pids;
    PROCESSENTRY32W pe;
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe)) {
        bool nameOk = o.exe.empty() || _wcsicmp(BaseName(pe.szExeFile).c_str(), o.exe.c_str()) == 0;
        bool pidOk = o.pid == 0 || pe.th32ProcessID == o.pid;
        if (nameOk && pidOk) pids.insert(pe.th32ProcessID);
    }
    CloseHandle(snap);
    return pids;
}

bool SelectsProcess(const Options& o) { return !o.exe.empty() || o.pid != 0; }

struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindChildById(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<ChildSearch*>(lp);
    if ((GetDlgCtrlID(w) & 0xFFFF) == (s->id & 0xFFFF)) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

// The control with the given id; ids compare on their low 16 bits, since a dialog template
// stores 0xFFFF where a control was given -1.
HWND Control(HWND top, int id) {
    if (HWND c = GetDlgItem(top, id)) return c;
    ChildSearch s{id, nullptr};
    EnumChildWindows(top, FindChildById, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

struct Enum {
    const Options* o;
    std::set<DWORD> pids;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND w, LPARAM lp) {
    auto* e = reinterpret_cast<Enum*>(lp);
    const Options& o = *e->o;
    if (o.visibleOnly && !IsWindowVisible(w)) return TRUE;
    if (SelectsProcess(o)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (!e->pids.count(pid)) return TRUE;
    }
    if (!o.className.empty() && _wcsicmp(ClassOf(w).c_str(), o.className.c_str()) != 0) return TRUE;
    if (o.hasCaption && CaptionOf(w) != o.caption) return TRUE;
    if (o.hasWithId && !Control(w, o.withId)) return TRUE;
    e->found.push_back(w);
    return TRUE;
}

std::vector<HWND> MatchingWindows(const Options& o) {
    if (o.hwnd) return IsWindow(o.hwnd) ? std::vector<HWND>{o.hwnd} : std::vector<HWND>{};
    Enum e{&o, {}, {}};
    if (SelectsProcess(o)) {
        e.pids = ProcessesNamed(o);
        if (e.pids.empty()) return {};
    }
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&e));
    return e.found;
}

HWND FirstWindow(const Options& o) {
    std::vector<HWND> all = MatchingWindows(o);
    return all.empty() ? nullptr : all.front();
}

// ---- argument parsing -----------------------------------------------------------------

bool ParseInt(const std::wstring& s, long long& v) {
    if (s.empty()) return false;
    wchar_t* end = nullptr;
    v = std::wcstoll(s.c_str(), &end, 0);
    return end && *end == L'\0';
}

// A name that stands for a number on the command line, with the value its header gives it.
struct NamedValue {
    const char* name;
    int value;
};

// Dialog templates keep a control's id in 16 bits: IDC_STATIC (-1) is the 0xFFFF of a
// message box's text.
#define NAMED_ID(name) \
    { #name, (name)&0xFFFF }

// Control ids by name: the standard ids of windows.h, then every IDC_ name of
// resources/resource.h and testgame_ids.h, which the build lists from the headers themselves
// (control_ids.inc); the values are the headers' own, as both are included above.
constexpr NamedValue kControlIds[] = {
    NAMED_ID(IDOK),     NAMED_ID(IDCANCEL),   NAMED_ID(IDABORT),    NAMED_ID(IDRETRY),
    NAMED_ID(IDIGNORE), NAMED_ID(IDYES),      NAMED_ID(IDNO),       NAMED_ID(IDCLOSE),
    NAMED_ID(IDHELP),   NAMED_ID(IDTRYAGAIN), NAMED_ID(IDCONTINUE),
#include "control_ids.inc"
};

#define NAMED_KEY(name) \
    { #name, name }

// The keys a person presses in a dialog, by their windows.h names.
constexpr NamedValue kKeys[] = {NAMED_KEY(VK_ESCAPE), NAMED_KEY(VK_RETURN), NAMED_KEY(VK_SPACE),
                                NAMED_KEY(VK_TAB)};

// The options that take an int; --id and --with-id also record that they were given. Those
// with names accept one of them in place of a number.
struct IntOption {
    const wchar_t* name;
    int Options::*value;
    bool Options::*given;
    std::span<const NamedValue> names;
};
constexpr IntOption kIntOptions[] = {
    {L"--id", &Options::id, &Options::hasId, kControlIds},
    {L"--with-id", &Options::withId, &Options::hasWithId, kControlIds},
    {L"--code", &Options::code, nullptr, {}},
    {L"--row", &Options::row, nullptr, {}},
    {L"--x", &Options::x, nullptr, {}},
    {L"--y", &Options::y, nullptr, {}},
    {L"--click", &Options::click, nullptr, kControlIds},
    {L"--vk", &Options::vk, nullptr, kKeys},
};

const IntOption* FindIntOption(const std::wstring& name) {
    for (const IntOption& opt : kIntOptions)
        if (name == opt.name) return &opt;
    return nullptr;
}

// The option's value: a number, or one of the option's names.
bool IntValue(const IntOption& opt, const std::wstring& text, int& value) {
    long long n = 0;
    if (ParseInt(text, n)) {
        value = static_cast<int>(n);
        return true;
    }
    const std::string name = Utf8(text);
    for (const NamedValue& named : opt.names) {
        if (name != named.name) continue;
        value = named.value;
        return true;
    }
    return false;
}

// The machine's slowdown factor: TEST_SLOWDOWN, a whole number from 1 to 100 set where the
// suite runs under emulation; 1 when unset or not such a number. Every time limit of a
// command is multiplied by it, so native runs keep their limits exactly.
DWORD Slowdown() {
    wchar_t buf[8];
    DWORD n = GetEnvironmentVariableW(L"TEST_SLOWDOWN", buf, 8);
    if (n == 0 || n >= 8) return 1;
    long long v = 0;
    if (!ParseInt(buf, v) || v < 1 || v > 100) return 1;
    return static_cast<DWORD>(v);
}

bool Parse(int argc, wchar_t** argv, Options& o) {
    if (argc < 2) return false;
    o.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"--visible") {
            o.visibleOnly = true;
            continue;
        }
        if (i + 1 >= argc) {
            Err("missing value after " + Utf8(a));
            return false;
        }
        std::wstring v = argv[++i];
        long long n = 0;
        bool isInt = ParseInt(v, n);
        if (a == L"--caption") {
            o.hasCaption = true;
            o.caption = v;
        } else if (a == L"--class") {
            o.className = v;
        } else if (a == L"--exe") {
            o.exe = v;
        } else if (a == L"--stop-file") {
            o.stopFile = v;
        } else if (a == L"--text") {
            o.hasText = true;
            o.text = v;
        } else if (const IntOption* opt = FindIntOption(a)) {
            if (!IntValue(*opt, v, o.*opt->value)) {
                Err(std::string(opt->names.empty() ? "not a number"
                                                   : "not a number or a known name") +
                    " after " + Utf8(a) + ": " + Utf8(v));
                return false;
            }
            if (opt->given) o.*opt->given = true;
        } else if (!isInt) {
            Err("not a number after " + Utf8(a) + ": " + Utf8(v));
            return false;
        } else if (a == L"--hwnd") {
            o.hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(n));
        } else if (a == L"--then-hwnd") {
            o.thenHwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(n));
        } else if (a == L"--pid") {
            o.pid = static_cast<DWORD>(n);
        } else if (a == L"--timeout") {
            if (n < 0 || n > 3600 * 1000) {
                Err("time-out out of range: " + Utf8(v));
                return false;
            }
            o.timeoutMs = static_cast<DWORD>(n);
        } else {
            Err("unknown option " + Utf8(a));
            return false;
        }
    }
    o.timeoutMs *= Slowdown();
    return true;
}

// ---- commands -------------------------------------------------------------------------

// Polls every 20 ms until done() holds or the time-out passes; true when done() held.
template <class F>
bool WaitFor(DWORD timeoutMs, F done) {
    DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
}

// The window (or its control when --id is given) the command acts on, or null after
// reporting why there is none.
HWND Target(const Options& o) {
    HWND top = FirstWindow(o);
    if (!top) {
        Err("no such window");
        return nullptr;
    }
    if (!o.hasId) return top;
    HWND c = Control(top, o.id);
    if (!c) Err("no control " + std::to_string(o.id));
    return c;
}

HWND TargetControl(const Options& o) {
    if (!o.hasId) {
        Err("--id is needed");
        return nullptr;
    }
    return Target(o);
}

std::string WindowLine(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return Hex(w) + "\t" + Utf8(ClassOf(w)) + "\t" + (IsWindowVisible(w) ? "1" : "0") + "\t" +
           (IsWindowEnabled(w) ? "1" : "0") + "\t" + RectText(r) + "\t" + OneLine(CaptionOf(w));
}

int CmdWindows(const Options& o) {
    std::vector<HWND> all = MatchingWindows(o);
    for (HWND w : all) Out(WindowLine(w));
    return all.empty() ? 1 : 0;
}

BOOL CALLBACK CollectChild(HWND w, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
    return TRUE;
}

int CmdControls(const Options& o) {
    HWND top = Target(o);
    if (!top) return 1;
    std::vector<HWND> kids;
    EnumChildWindows(top, CollectChild, reinterpret_cast<LPARAM>(&kids));
    for (HWND c : kids) {
        if (GetParent(c) != top) continue;
        std::wstring text;
        TextOf(c, text);
        RECT r{};
        GetWindowRect(c, &r);
        Out(std::to_string(GetDlgCtrlID(c) & 0xFFFF) + "\t" + Utf8(ClassOf(c)) + "\t" +
            (IsWindowVisible(c) ? "1" : "0") + "\t" + (IsWindowEnabled(c) ? "1" : "0") + "\t" +
            RectText(r) + "\t" + OneLine(text));
    }
    return 0;
}

int CmdText(const Options& o) {
    HWND w = Target(o);
    if (!w) return 1;
    std::wstring text;
    if (!TextOf(w, text)) {
        Err("no answer to WM_GETTEXT");
        return 1;
    }
    Out(Utf8(text));
    return 0;
}

int CmdInfo(const Options& o) {
    HWND w = Target(o);
    if (!w) return 1;
    RECT r{}, c{};
    GetWindowRect(w, &r);
    GetClientRect(w, &c);
    Out("hwnd=" + Hex(w));
    Out("class=" + Utf8(ClassOf(w)));
    Out("id=" + std::to_string(GetDlgCtrlID(w) & 0xFFFF));
    Out(std::string("visible=") + (IsWindowVisible(w) ? "1" : "0"));
    Out(std::string("enabled=") + (IsWindowEnabled(w) ? "1" : "0"));
    Out("rect=" + RectText(r));
    Out("client=" + std::to_string(c.right - c.left) + "," + std::to_string(c.bottom - c.top));
    return 0;
}

int CmdClick(const Options& o) {
    HWND c = TargetControl(o);
    if (!c) return 1;
    // Posted: the button's handler may open a modal box, which would block a sent click.
    return PostMessageW(c, BM_CLICK, 0, 0) ? 0 : 1;
}

// Two clicks queued in order while the windows' thread is held still, so that the program
// meets them in one known state whatever the machine's speed: the first ends a modal box,
// whose loop stops at once, and the second waits in the queue for the next dispatch.
int CmdClickThen(const Options& o) {
    HWND first = TargetControl(o);
    if (!first || !IsWindow(o.thenHwnd) || o.click < 0) {
        Err("click-then needs --hwnd, --id, --then-hwnd and --click");
        return 1;
    }
    HWND second = Control(o.thenHwnd, o.click);
    if (!second) return 1;
    const DWORD threadId = GetWindowThreadProcessId(first, nullptr);
    if (threadId != GetWindowThreadProcessId(second, nullptr)) {
        Err("the two windows belong to different threads");
        return 1;
    }
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, threadId);
    if (!thread || SuspendThread(thread) == static_cast<DWORD>(-1)) {
        Err("cannot hold the windows' thread");
        if (thread) CloseHandle(thread);
        return 1;
    }
    const bool ok = PostMessageW(first, BM_CLICK, 0, 0) && PostMessageW(second, BM_CLICK, 0, 0);
    ResumeThread(thread);
    CloseHandle(thread);
    return ok ? 0 : 1;
}

int CmdCommand(const Options& o) {
    Options window = o;
    window.hasId = false;
    HWND top = Target(window);
    if (!top) return 1;
    HWND ctl = o.hasId ? Control(top, o.id) : nullptr;
    WPARAM wp = MAKEWPARAM(static_cast<WORD>(o.id), static_cast<WORD>(o.code));
    return PostMessageW(top, WM_COMMAND, wp, reinterpret_cast<LPARAM>(ctl)) ? 0 : 1;
}

int CmdSetText(const Options& o) {
    if (!o.hasText) {
        Err("--text is needed");
        return 1;
    }
    HWND c = TargetControl(o);
    if (!c) return 1;
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(o.text.c_str()),
                             SMTO_NORMAL, kSendTimeoutMs, &r))
        return 1;
    return r ? 0 : 1;
}

bool SendQuery(HWND w, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR& result) {
    return SendMessageTimeoutW(w, msg, wp, lp, SMTO_NORMAL, kSendTimeoutMs, &result) != 0;
}

int CmdRows(const Options& o) {
    HWND list = TargetControl(o);
    if (!list) return 1;
    DWORD_PTR count = 0;
    if (!SendQuery(list, LB_GETCOUNT, 0, 0, count) || static_cast<LRESULT>(count) == LB_ERR)
        return 1;
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR len = 0, sel = 0;
        std::wstring text;
        if (SendQuery(list, LB_GETTEXTLEN, i, 0, len) && static_cast<LRESULT>(len) != LB_ERR) {
            // The W call: an owner-drawn list of another process may answer an ANSI caller in UTF-16.
            std::vector<wchar_t> buf(len + 2, L'\0');
            DWORD_PTR got = 0;
            if (SendQuery(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf.data()), got))
                text = buf.data();
        }
        SendQuery(list, LB_GETSEL, i, 0, sel);
        Out(std::to_string(i) + "\t" + (static_cast<LRESULT>(sel) > 0 ? "1" : "0") + "\t" +
            OneLine(text));
    }
    return 0;
}

// Posts a left click at (x, middle of row) in the list's client area; x < 0 takes xDefault.
int ClickRow(const Options& o, bool atBox) {
    if (o.row < 0) {
        Err("--row is needed");
        return 1;
    }
    HWND list = TargetControl(o);
    if (!list) return 1;
    RECT item{};
    DWORD_PTR r = 0;
    if (!SendQuery(list, LB_GETITEMRECT, static_cast<WPARAM>(o.row),
                   reinterpret_cast<LPARAM>(&item), r) ||
        static_cast<LRESULT>(r) == LB_ERR) {
        Err("no row " + std::to_string(o.row));
        return 1;
    }
    int height = item.bottom - item.top;
    int x = o.x >= 0 ? item.left + o.x
                     : (atBox ? item.left + height / 2 : (item.left + item.right) / 2);
    int y = item.top + height / 2;
    LPARAM at = MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
    bool ok = PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at) &&
              PostMessageW(list, WM_LBUTTONUP, 0, at);
    return ok ? 0 : 1;
}

int CmdKey(const Options& o) {
    HWND c = TargetControl(o);
    if (!c) return 1;
    UINT scan = MapVirtualKeyW(static_cast<UINT>(o.vk), MAPVK_VK_TO_VSC);
    LPARAM down = static_cast<LPARAM>(1u | (scan << 16));
    LPARAM up = static_cast<LPARAM>(1u | (scan << 16) | (1u << 30) | (1u << 31));
    bool ok = PostMessageW(c, WM_KEYDOWN, static_cast<WPARAM>(o.vk), down) != 0;
    UINT ch = MapVirtualKeyW(static_cast<UINT>(o.vk), MAPVK_VK_TO_CHAR);
    if (ok && ch >= 0x20 && ch < 0x7F) ok = PostMessageW(c, WM_CHAR, ch, down) != 0;
    if (ok) ok = PostMessageW(c, WM_KEYUP, static_cast<WPARAM>(o.vk), up) != 0;
    return ok ? 0 : 1;
}

int CmdPing(const Options& o) {
    HWND w = Target(o);
    if (!w) return 1;
    DWORD start = GetTickCount();
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, o.timeoutMs, &r)) {
        Err("no answer within " + std::to_string(o.timeoutMs) + " ms");
        return 1;
    }
    Out(std::to_string(GetTickCount() - start));
    return 0;
}

int CmdQuit(const Options& o) {
    if (!SelectsProcess(o)) {
        Err("quit needs --exe or --pid");
        return 1;
    }
    std::set<DWORD> pids = ProcessesNamed(o);
    if (pids.empty()) {
        Err("no such process");
        return 1;
    }
    // The threads that own windows first; they have a queue for certain.
    std::set<DWORD> threads;
    Options all = o;
    all.visibleOnly = false;
    all.hasCaption = false;
    all.className.clear();
    for (HWND w : MatchingWindows(all)) threads.insert(GetWindowThreadProcessId(w, nullptr));
    if (threads.empty()) {
        HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        if (snap != INVALID_HANDLE_VALUE) {
            THREADENTRY32 te;
            te.dwSize = sizeof te;
            for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
                if (pids.count(te.th32OwnerProcessID)) threads.insert(te.th32ThreadID);
            CloseHandle(snap);
        }
    }
    bool posted = false;
    for (DWORD t : threads) {
        if (PostThreadMessageW(t, WM_QUIT, 0, 0)) {
            Out(std::to_string(t));
            posted = true;
        }
    }
    return posted ? 0 : 1;
}

int CmdProcs(const Options& o) {
    if (!SelectsProcess(o)) {
        Err("procs needs --exe or --pid");
        return 2;
    }
    std::set<DWORD> pids = ProcessesNamed(o);
    for (DWORD p : pids) Out(std::to_string(p));
    return pids.empty() ? 1 : 0;
}

int CmdKill(const Options& o) {
    if (!SelectsProcess(o)) {
        Err("kill needs --exe or --pid");
        return 2;
    }
    int failures = 0;
    for (DWORD p : ProcessesNamed(o)) {
        HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, p);
        if (!h || !TerminateProcess(h, 1)) ++failures;
        if (h) CloseHandle(h);
    }
    return failures ? 1 : 0;
}

int CmdWatch(const Options& o) {
    if (!SelectsProcess(o)) {
        Err("watch needs --exe or --pid");
        return 2;
    }
    Options visible = o;
    visible.visibleOnly = true;
    std::set<HWND> seen;
    bool came = false;
    Out("watching");
    bool gone = WaitFor(o.timeoutMs, [&] {
        bool running = !ProcessesNamed(o).empty();
        came = came || running;
        for (HWND w : MatchingWindows(visible))
            if (seen.insert(w).second) Out(WindowLine(w));
        bool stop = !o.stopFile.empty() &&
                    GetFileAttributesW(o.stopFile.c_str()) != INVALID_FILE_ATTRIBUTES;
        return (came && !running) || stop;
    });
    return gone ? 0 : 1;
}

// ---- check-list rows, texts, icons, positions ------------------------------------------

int CmdCheck(const Options& o) {
    if (o.row < 0) {
        Err("--row is needed");
        return 1;
    }
    HWND list = TargetControl(o);
    if (!list) return 1;
    DWORD_PTR checked = 0, enabled = 0;
    // The check-list's messages carry no pointers, so they work across processes.
    if (!SendQuery(list, CLBM_GETCHECK, static_cast<WPARAM>(o.row), 0, checked) ||
        !SendQuery(list, CLBM_ISENABLED, static_cast<WPARAM>(o.row), 0, enabled)) {
        Err("no answer from the check-list");
        return 1;
    }
    Out("checked=" + std::to_string(static_cast<LRESULT>(checked)) +
        " enabled=" + std::to_string(static_cast<LRESULT>(enabled)));
    return 0;
}

int CmdWaitText(const Options& o) {
    if (!o.hasText) {
        Err("--text is needed");
        return 1;
    }
    Options window = o;
    window.hasId = false;
    HWND top = Target(window);
    if (!top) return 1;
    HWND c = o.hasId ? Control(top, o.id) : top;
    if (!c) {
        Err("no control " + std::to_string(o.id));
        return 1;
    }
    std::wstring text;
    if (!WaitFor(o.timeoutMs,
                 [&] { return TextOf(c, text) && text.find(o.text) != std::wstring::npos; })) {
        Err("text still '" + Utf8(text) + "' after " + std::to_string(o.timeoutMs) + " ms");
        return 1;
    }
    if (o.click >= 0) {
        HWND button = Control(top, o.click);
        if (!button || !PostMessageW(button, BM_CLICK, 0, 0)) {
            Err("could not click " + std::to_string(o.click));
            return 1;
        }
    }
    Out(Utf8(text));
    return 0;
}

BOOL CALLBACK FindIconStatic(HWND w, LPARAM lp) {
    if (_wcsicmp(ClassOf(w).c_str(), L"Static") == 0 &&
        (static_cast<DWORD>(GetWindowLongW(w, GWL_STYLE)) & SS_TYPEMASK) == SS_ICON &&
        IsWindowVisible(w)) {
        *reinterpret_cast<HWND*>(lp) = w;
        return FALSE;
    }
    return TRUE;
}

// 32-bit pixels of a w x h memory bitmap selected into dc.
struct Pixels {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    const DWORD* bits = nullptr;
    Pixels(int w, int h) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* p = nullptr;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<const DWORD*>(p);
        if (bitmap) old = SelectObject(dc, bitmap);
    }
    ~Pixels() {
        if (old) SelectObject(dc, old);
        if (bitmap) DeleteObject(bitmap);
        if (dc) DeleteDC(dc);
    }
    Pixels(const Pixels&) = delete;
    Pixels& operator=(const Pixels&) = delete;
};

int Channel(DWORD p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }

// Compares the icon control's pixels on the screen with each system icon drawn on the same
// background; the closest one names the icon.
int CmdIcon(const Options& o) {
    HWND box = Target(o);
    if (!box) return 1;
    HWND icon = nullptr;
    EnumChildWindows(box, FindIconStatic, reinterpret_cast<LPARAM>(&icon));
    if (!icon) {
        Out("none");
        return 0;
    }
    const int size = GetSystemMetrics(SM_CXICON);
    Pixels shown(size, size);
    if (!shown.bits) return 1;
    // The screen's pixels where the icon control lies (the box is on top while it waits).
    RECT at{};
    GetWindowRect(icon, &at);
    HDC screen = GetDC(nullptr);
    BitBlt(shown.dc, 0, 0, size, size, screen, at.left, at.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    GdiFlush();
    const DWORD background = shown.bits[0];
    struct Candidate {
        const char* name;
        LPCTSTR id;
    };
    const Candidate candidates[] = {{"hand", IDI_HAND},
                                    {"question", IDI_QUESTION},
                                    {"exclamation", IDI_EXCLAMATION},
                                    {"asterisk", IDI_ASTERISK}};
    const char* best = "unknown";
    long long bestScore = -1;
    for (const Candidate& c : candidates) {
        Pixels drawn(size, size);
        if (!drawn.bits) return 1;
        HBRUSH brush = CreateSolidBrush(
            RGB(Channel(background, 16), Channel(background, 8), Channel(background, 0)));
        RECT all{0, 0, size, size};
        FillRect(drawn.dc, &all, brush);
        DeleteObject(brush);
        DrawIconEx(drawn.dc, 0, 0, LoadIcon(nullptr, c.id), size, size, 0, nullptr, DI_NORMAL);
        GdiFlush();
        long long score = 0;
        for (int i = 0; i < size * size; ++i)
            for (int shift : {0, 8, 16})
                score += std::abs(Channel(shown.bits[i], shift) - Channel(drawn.bits[i], shift));
        if (bestScore < 0 || score < bestScore) {
            bestScore = score;
            best = c.name;
        }
    }
    Out(std::string(best) + " " + std::to_string(bestScore));
    return 0;
}

int CmdRedraw(const Options& o) {
    HWND w = Target(o);
    if (!w) return 1;
    return RedrawWindow(w, nullptr, nullptr,
                        RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN)
               ? 0
               : 1;
}

int CmdMove(const Options& o) {
    HWND w = Target(o);
    if (!w) return 1;
    return SetWindowPos(w, nullptr, o.x, o.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) ? 0
                                                                                                : 1;
}

int CmdTimes(const Options& o) {
    if (!o.hasText) {
        Err("--text is needed");
        return 1;
    }
    HANDLE f = CreateFileW(o.text.c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        Err("cannot open " + Utf8(o.text));
        return 1;
    }
    FILETIME t[3]{};
    BOOL ok = GetFileTime(f, &t[0], &t[1], &t[2]);
    CloseHandle(f);
    if (!ok) return 1;
    const char* names[] = {"creation", "access", "write"};
    for (int i = 0; i < 3; ++i) {
        unsigned long long v =
            (static_cast<unsigned long long>(t[i].dwHighDateTime) << 32) | t[i].dwLowDateTime;
        Out(std::string(names[i]) + "=" + std::to_string(v));
    }
    return 0;
}

// ---- tree views of another process -----------------------------------------------------

BOOL CALLBACK FindTree(HWND w, LPARAM lp) {
    if (_wcsicmp(ClassOf(w).c_str(), WC_TREEVIEWW) == 0) {
        *reinterpret_cast<HWND*>(lp) = w;
        return FALSE;
    }
    return TRUE;
}

HWND TreeOf(const Options& o) {
    HWND top = Target(o);
    if (!top) return nullptr;
    HWND tree = nullptr;
    EnumChildWindows(top, FindTree, reinterpret_cast<LPARAM>(&tree));
    if (!tree) Err("no tree view");
    return tree;
}

// An item's text: TVM_GETITEMW carries pointers, so the record and the text buffer live in
// the tree's own process.
bool TreeItemText(HWND tree, HTREEITEM item, std::wstring& text) {
    DWORD pid = 0;
    GetWindowThreadProcessId(tree, &pid);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return false;
    constexpr int kChars = 260;
    const SIZE_T bytes = sizeof(TVITEMW) + kChars * sizeof(wchar_t);
    auto* remote =
        static_cast<char*>(VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE));
    bool ok = false;
    if (remote) {
        TVITEMW tv{};
        tv.mask = TVIF_TEXT | TVIF_HANDLE;
        tv.hItem = item;
        tv.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(TVITEMW));
        tv.cchTextMax = kChars;
        std::vector<wchar_t> buf(kChars + 1, L'\0');
        DWORD_PTR r = 0;
        ok = WriteProcessMemory(process, remote, &tv, sizeof tv, nullptr) &&
             SendQuery(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote), r) && r &&
             ReadProcessMemory(process, remote + sizeof(TVITEMW), buf.data(),
                               kChars * sizeof(wchar_t), nullptr);
        if (ok) text = buf.data();
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return ok;
}

HTREEITEM TreeNext(HWND tree, HTREEITEM item, WPARAM how) {
    DWORD_PTR r = 0;
    if (!SendQuery(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item), r)) return nullptr;
    return reinterpret_cast<HTREEITEM>(r);
}

int CmdTree(const Options& o) {
    HWND tree = TreeOf(o);
    if (!tree) return 1;
    std::vector<std::wstring> path;
    for (HTREEITEM item = TreeNext(tree, nullptr, TVGN_CARET); item;
         item = TreeNext(tree, item, TVGN_PARENT)) {
        std::wstring text;
        if (!TreeItemText(tree, item, text)) {
            Err("cannot read a tree item");
            return 1;
        }
        path.insert(path.begin(), text);
        if (path.size() > 64) break;
    }
    for (const std::wstring& t : path) Out(Utf8(t));
    return path.empty() ? 1 : 0;
}

int CmdTreeParent(const Options& o) {
    HWND tree = TreeOf(o);
    if (!tree) return 1;
    HTREEITEM selected = TreeNext(tree, nullptr, TVGN_CARET);
    HTREEITEM parent = selected ? TreeNext(tree, selected, TVGN_PARENT) : nullptr;
    if (!parent) {
        Err("no parent to select");
        return 1;
    }
    DWORD_PTR r = 0;
    return SendQuery(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(parent), r) && r
               ? 0
               : 1;
}

// The first item at or after item (its children first, then its later siblings) whose text
// contains text; null when none. Depth is bounded, as the tree of another process could be
// anything.
HTREEITEM FindTreeItem(HWND tree, HTREEITEM item, const std::wstring& text, int depth) {
    for (int n = 0; item && n < 10000; ++n, item = TreeNext(tree, item, TVGN_NEXT)) {
        std::wstring t;
        if (TreeItemText(tree, item, t) && t.find(text) != std::wstring::npos) return item;
        if (depth < 32)
            if (HTREEITEM found =
                    FindTreeItem(tree, TreeNext(tree, item, TVGN_CHILD), text, depth + 1))
                return found;
    }
    return nullptr;
}

// Selects (TVM_SELECTITEM) or expands (TVM_EXPAND) the first item whose text contains --text.
int CmdTreeItem(const Options& o, UINT message, WPARAM how) {
    if (!o.hasText) {
        Err("--text is needed");
        return 1;
    }
    HWND tree = TreeOf(o);
    if (!tree) return 1;
    HTREEITEM item = FindTreeItem(tree, TreeNext(tree, nullptr, TVGN_ROOT), o.text, 0);
    if (!item) {
        Err("no item with " + Utf8(o.text));
        return 1;
    }
    DWORD_PTR r = 0;
    return SendQuery(tree, message, how, reinterpret_cast<LPARAM>(item), r) && r ? 0 : 1;
}

int CmdFind(const Options& o) {
    HWND w = FirstWindow(o);
    if (!w) return 1;
    Out(Hex(w));
    return 0;
}

int CmdWaitWindow(const Options& o) {
    HWND w = nullptr;
    if (!WaitFor(o.timeoutMs, [&] { return (w = FirstWindow(o)) != nullptr; })) {
        Err("no window within " + std::to_string(o.timeoutMs) + " ms");
        return 1;
    }
    Out(Hex(w));
    return 0;
}

int CmdWaitGone(const Options& o) {
    if (WaitFor(o.timeoutMs, [&] { return FirstWindow(o) == nullptr; })) return 0;
    Err("window still there after " + std::to_string(o.timeoutMs) + " ms");
    return 1;
}

int CmdWaitExit(const Options& o) {
    if (!SelectsProcess(o)) return 2;
    if (WaitFor(o.timeoutMs, [&] { return ProcessesNamed(o).empty(); })) return 0;
    Err("process still running after " + std::to_string(o.timeoutMs) + " ms");
    return 1;
}

int CmdClickRow(const Options& o) { return ClickRow(o, false); }
int CmdTick(const Options& o) { return ClickRow(o, true); }
int CmdTreeSelect(const Options& o) { return CmdTreeItem(o, TVM_SELECTITEM, TVGN_CARET); }
int CmdTreeExpand(const Options& o) { return CmdTreeItem(o, TVM_EXPAND, TVE_EXPAND); }

struct Command {
    const wchar_t* name;
    const char* synopsis;  // the command with its options, for the usage
    const char* summary;   // what it does; a line break continues the summary on the next line
    int (*run)(const Options& o);
};

constexpr Command kCommands[] = {
    {L"find", "find", "print the handle of the first matching window", CmdFind},
    {L"windows", "windows", "list matching windows: hwnd, class, visible, enabled, rect, caption",
     CmdWindows},
    {L"controls", "controls",
     "list the children of the window: id, class, visible, enabled, rect, text", CmdControls},
    {L"wait-window", "wait-window [--timeout]",
     "wait until a matching window exists; print its handle", CmdWaitWindow},
    {L"wait-gone", "wait-gone [--timeout]", "wait until no matching window exists", CmdWaitGone},
    {L"text", "text [--id]", "print the text of the window or control", CmdText},
    {L"info", "info [--id]",
     "print visible=, enabled=, rect= (screen), client=, class=, id=", CmdInfo},
    {L"click", "click --id", "post BM_CLICK to a button", CmdClick},
    {L"click-then", "click-then --id --then-hwnd H --click C",
     "with the windows' thread suspended, post BM_CLICK to the button, then\n"
     "BM_CLICK to H's control C, so both wait in the queue in that order",
     CmdClickThen},
    {L"command", "command --id [--code C]",
     "post WM_COMMAND (id, code) to the window, as a control would", CmdCommand},
    {L"settext", "settext --id --text T",
     "set a control's text (an edit tells its parent of the change)", CmdSetText},
    {L"rows", "rows --id", "list a list box's rows: index, selected, text", CmdRows},
    {L"click-row", "click-row --id --row R [--x X]",
     "post a left click into row R at x (default: row middle)", CmdClickRow},
    {L"tick", "tick --id --row R [--x X]",
     "click a check-list row's box (default x: half the row height)", CmdTick},
    {L"check", "check --id --row R", "print a check-list row's state: checked=0|1 enabled=0|1",
     CmdCheck},
    {L"wait-text", "wait-text --id --text T [--click C]",
     "wait until the control's text contains T and print it; then\n"
     "post BM_CLICK to the window's control C at once",
     CmdWaitText},
    {L"icon", "icon",
     "print which system icon a message box shows: hand, question,\n"
     "exclamation, asterisk (best match of its pixels) or none",
     CmdIcon},
    {L"redraw", "redraw", "have the window and its children repainted", CmdRedraw},
    {L"move", "move --x X --y Y", "move the window to screen position X, Y (keeping its size)",
     CmdMove},
    {L"times", "times --text PATH",
     "print a file's creation, last-access and last-write times as\n"
     "Windows sees them (100 ns steps since 1601), one a line",
     CmdTimes},
    {L"tree", "tree",
     "print the path of the selected item of the window's tree view:\n"
     "the item texts from the root down, one a line",
     CmdTree},
    {L"tree-parent", "tree-parent", "select the parent of the tree view's selected item",
     CmdTreeParent},
    {L"tree-select", "tree-select --text T",
     "select the first loaded item (depth first) whose text contains T", CmdTreeSelect},
    {L"tree-expand", "tree-expand --text T", "expand that item, as a click on its [+] would",
     CmdTreeExpand},
    {L"key", "key --id --vk V", "post a key press (down, char when printable, up) to a control",
     CmdKey},
    {L"ping", "ping [--timeout]", "send WM_NULL; print the answer time in ms; 1 when unanswered",
     CmdPing},
    {L"quit", "quit", "post WM_QUIT to the thread(s) of the selected process", CmdQuit},
    {L"procs", "procs", "list processes named by --exe or --pid: pid, name", CmdProcs},
    {L"wait-exit", "wait-exit [--timeout]", "wait until no process named by --exe / --pid runs",
     CmdWaitExit},
    {L"kill", "kill", "terminate the processes named by --exe / --pid", CmdKill},
    {L"watch", "watch [--timeout] [--stop-file F]",
     "print \"watching\", then every visible top-level window of the\n"
     "process named by --exe / --pid the first time it is seen, until\n"
     "the process has come and gone or the file F exists; 1 when the\n"
     "time-out ends the watch first",
     CmdWatch},
};

// The usage on standard error: the selector and every command of kCommands with its summary.
void Usage() {
    Err("usage: driver COMMAND [--hwnd H] [--caption T] [--class C] [--exe N] [--pid P] [--visible] [--id ID] ...");
    std::string list = "commands:\n";
    for (const Command& c : kCommands) {
        std::string line = "  " + std::string(c.synopsis);
        line.resize(line.size() < 40 ? 40 : line.size() + 1, ' ');
        for (const char* p = c.summary; *p; ++p)
            line += *p == '\n' ? "\n" + std::string(42, ' ') : std::string(1, *p);
        list += line + "\n";
    }
    std::fwrite(list.data(), 1, list.size(), stderr);
}

int Run(const Options& o) {
    for (const Command& c : kCommands)
        if (o.command == c.name) return c.run(o);
    Err("unknown command " + Utf8(o.command));
    return 2;
}

std::wstring Wide(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// Serves one command a line from standard input until it ends: the command and its options
// in UTF-8, separated by the unit separator (0x1F); the answer is the command's output, then
// a line of the record separator (0x1E) and the command's exit code. One process serves a
// whole scenario, which saves a Wine process start per action (seconds each where the
// machine is emulated). Each command parses its own options, so nothing carries over.
int Serve() {
    std::string line;
    for (int c; (c = std::getchar()) != EOF;) {
        if (c != '\n') {
            if (c != '\r') line += static_cast<char>(c);
            continue;
        }
        std::vector<std::wstring> words = {L"driver"};
        for (size_t start = 0;;) {
            size_t end = line.find('\x1f', start);
            words.push_back(Wide(line.substr(start, end - start)));
            if (end == std::string::npos) break;
            start = end + 1;
        }
        line.clear();
        std::vector<wchar_t*> argv;
        for (std::wstring& w : words) argv.push_back(w.data());
        Options o;
        int rc = 2;
        if (Parse(static_cast<int>(argv.size()), argv.data(), o))
            rc = Run(o);
        else
            Usage();
        Out("\x1e" + std::to_string(rc));
    }
    return 0;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv && argc == 2 && std::wstring(argv[1]) == L"serve") {
        LocalFree(argv);
        return Serve();
    }
    Options o;
    if (!argv || !Parse(argc, argv, o)) {
        Usage();
        return 2;
    }
    LocalFree(argv);
    return Run(o);
}
