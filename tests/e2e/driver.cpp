// driver: acts on another program's windows the way a person would, one action per run, for
// the end-to-end scenarios. Results go to standard output as UTF-8 lines; the exit code is
// 0 when the action succeeded or the condition held, 1 when it did not (not found, time-out,
// no answer), 2 on a usage error.
//
//   driver COMMAND [selector] [options]
//
// Selector of a top-level window (all given parts must match; the first match wins):
//   --hwnd H        the window handle (as printed by this program)
//   --caption TEXT  exact caption        --class NAME   window class ("#32770" for dialogs)
//   --exe NAME      process image name   --pid N        Windows process id
//   --visible       visible windows only
//   --with-id N     windows that have a control N (0xFFFF: a message box's text)
// Control of that window: --id N (decimal or 0x hex; a message box's text is 0xFFFF).
//
// Commands:
//   find                      print the handle of the first matching window
//   windows                   list matching windows: hwnd, class, visible, enabled, rect, caption
//   controls                  list the children of the window: id, class, visible, enabled, rect, text
//   wait-window [--timeout]   wait until a matching window exists; print its handle
//   wait-gone [--timeout]     wait until no matching window exists
//   text [--id]               print the text of the window or control
//   info [--id]               print visible=, enabled=, rect= (screen), client=, class=, id=
//   click --id                post BM_CLICK to a button
//   command --id [--code C]   post WM_COMMAND (id, code) to the window, as a control would
//   settext --id --text T     set a control's text (an edit tells its parent of the change)
//   rows --id                 list a list box's rows: index, selected, text
//   click-row --id --row R [--x X]  post a left click into row R at x (default: row middle)
//   tick --id --row R [--x X] click a check-list row's box (default x: half the row height)
//   key --id --vk V           post a key press (down, char when printable, up) to a control
//   ping [--timeout]          send WM_NULL; print the answer time in ms; 1 when unanswered
//   quit                      post WM_QUIT to the thread(s) of the selected process
//   procs                     list processes named by --exe or --pid: pid, name
//   wait-exit [--timeout]     wait until no process named by --exe / --pid runs
//   kill                      terminate the processes named by --exe / --pid
//   watch [--timeout] [--stop-file F]
//                             print "watching", then every visible top-level window of the
//                             process named by --exe / --pid the first time it is seen, until
//                             the process has come and gone or the file F exists; 1 when the
//                             time-out ends the watch first
// Time-outs are in milliseconds (default 5000).
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr UINT kSendTimeoutMs = 2000;

struct Options {
  std::wstring command;
  HWND hwnd = nullptr;
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
  int vk = 0;
  std::wstring stopFile;
  bool hasText = false;
  std::wstring text;
  DWORD timeoutMs = 5000;
};

// ---- output ---------------------------------------------------------------------------

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
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
  std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
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
    if (c == '\n') o += "\\n";
    else if (c == '\t') o += ' ';
    else o += c;
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
  if (!SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &len)) return false;
  std::vector<wchar_t> buf(len + 2, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(w, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_NORMAL,
                           kSendTimeoutMs, &got))
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
    } else if (!isInt) {
      Err("not a number after " + Utf8(a) + ": " + Utf8(v));
      return false;
    } else if (a == L"--hwnd") {
      o.hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(n));
    } else if (a == L"--pid") {
      o.pid = static_cast<DWORD>(n);
    } else if (a == L"--id") {
      o.hasId = true;
      o.id = static_cast<int>(n);
    } else if (a == L"--with-id") {
      o.hasWithId = true;
      o.withId = static_cast<int>(n);
    } else if (a == L"--code") {
      o.code = static_cast<int>(n);
    } else if (a == L"--row") {
      o.row = static_cast<int>(n);
    } else if (a == L"--x") {
      o.x = static_cast<int>(n);
    } else if (a == L"--vk") {
      o.vk = static_cast<int>(n);
    } else if (a == L"--timeout") {
      o.timeoutMs = static_cast<DWORD>(n);
    } else {
      Err("unknown option " + Utf8(a));
      return false;
    }
  }
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
    Out(std::to_string(GetDlgCtrlID(c) & 0xFFFF) + "\t" + Utf8(ClassOf(c)) + "\t" + (IsWindowVisible(c) ? "1" : "0") +
        "\t" + (IsWindowEnabled(c) ? "1" : "0") + "\t" + RectText(r) + "\t" + OneLine(text));
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
  if (!SendMessageTimeoutW(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(o.text.c_str()), SMTO_NORMAL, kSendTimeoutMs,
                           &r))
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
  if (!SendQuery(list, LB_GETCOUNT, 0, 0, count) || static_cast<LRESULT>(count) == LB_ERR) return 1;
  for (DWORD_PTR i = 0; i < count; ++i) {
    DWORD_PTR len = 0, sel = 0;
    std::wstring text;
    if (SendQuery(list, LB_GETTEXTLEN, i, 0, len) && static_cast<LRESULT>(len) != LB_ERR) {
      // The W call: an owner-drawn list of another process may answer an ANSI caller in UTF-16.
      std::vector<wchar_t> buf(len + 2, L'\0');
      DWORD_PTR got = 0;
      if (SendQuery(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf.data()), got)) text = buf.data();
    }
    SendQuery(list, LB_GETSEL, i, 0, sel);
    Out(std::to_string(i) + "\t" + (static_cast<LRESULT>(sel) > 0 ? "1" : "0") + "\t" + OneLine(text));
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
  if (!SendQuery(list, LB_GETITEMRECT, static_cast<WPARAM>(o.row), reinterpret_cast<LPARAM>(&item), r) ||
      static_cast<LRESULT>(r) == LB_ERR) {
    Err("no row " + std::to_string(o.row));
    return 1;
  }
  int height = item.bottom - item.top;
  int x = o.x >= 0 ? item.left + o.x : (atBox ? item.left + height / 2 : (item.left + item.right) / 2);
  int y = item.top + height / 2;
  LPARAM at = MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
  bool ok = PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at) && PostMessageW(list, WM_LBUTTONUP, 0, at);
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
    bool stop = !o.stopFile.empty() && GetFileAttributesW(o.stopFile.c_str()) != INVALID_FILE_ATTRIBUTES;
    return (came && !running) || stop;
  });
  return gone ? 0 : 1;
}

int Run(const Options& o) {
  const std::wstring& c = o.command;
  if (c == L"find") {
    HWND w = FirstWindow(o);
    if (!w) return 1;
    Out(Hex(w));
    return 0;
  }
  if (c == L"windows") return CmdWindows(o);
  if (c == L"controls") return CmdControls(o);
  if (c == L"wait-window") {
    HWND w = nullptr;
    if (!WaitFor(o.timeoutMs, [&] { return (w = FirstWindow(o)) != nullptr; })) {
      Err("no window within " + std::to_string(o.timeoutMs) + " ms");
      return 1;
    }
    Out(Hex(w));
    return 0;
  }
  if (c == L"wait-gone") {
    if (WaitFor(o.timeoutMs, [&] { return FirstWindow(o) == nullptr; })) return 0;
    Err("window still there after " + std::to_string(o.timeoutMs) + " ms");
    return 1;
  }
  if (c == L"text") return CmdText(o);
  if (c == L"info") return CmdInfo(o);
  if (c == L"click") return CmdClick(o);
  if (c == L"command") return CmdCommand(o);
  if (c == L"settext") return CmdSetText(o);
  if (c == L"rows") return CmdRows(o);
  if (c == L"click-row") return ClickRow(o, false);
  if (c == L"tick") return ClickRow(o, true);
  if (c == L"key") return CmdKey(o);
  if (c == L"ping") return CmdPing(o);
  if (c == L"quit") return CmdQuit(o);
  if (c == L"procs") return CmdProcs(o);
  if (c == L"wait-exit") {
    if (!SelectsProcess(o)) return 2;
    if (WaitFor(o.timeoutMs, [&] { return ProcessesNamed(o).empty(); })) return 0;
    Err("process still running after " + std::to_string(o.timeoutMs) + " ms");
    return 1;
  }
  if (c == L"kill") return CmdKill(o);
  if (c == L"watch") return CmdWatch(o);
  Err("unknown command " + Utf8(c));
  return 2;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  Options o;
  if (!argv || !Parse(argc, argv, o)) {
    Err("usage: driver COMMAND [--hwnd H] [--caption T] [--class C] [--exe N] [--pid P] [--visible] [--id N] ...");
    return 2;
  }
  LocalFree(argv);
  return Run(o);
}
