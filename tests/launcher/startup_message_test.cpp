// The start-up message under Wine on a real display: ShowStartupMessage's decisions with a
// real install script and shared file in a temporary folder, the choice it writes back, and
// the dialog's layout fitted to pictures larger and smaller than its frame. A thread timer
// plays the user inside the dialog's modal loop: it records what it sees, ticks the box and
// closes the message with OK or Escape.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "launcher/setup_dialog.h"
#include "tests/launcher/setup_dialog_access.h"
#include "tests/support/test_files.h"

namespace {

// ---- pictures ------------------------------------------------------------------------

void PutBE32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}
void PutLE32(std::string& out, std::uint32_t v) {
    for (int shift = 0; shift <= 24; shift += 8) out += static_cast<char>((v >> shift) & 0xFF);
}
void PutBlock(std::string& out, const char* tag, const std::string& payload) {
    out.append(tag, 4);
    PutBE32(out, static_cast<std::uint32_t>(payload.size() + 8));
    out += payload;
}

// A single-image WIZ file of width x height in one colour, every row a chain of fill runs.
std::string SolidWiz(int width, int height) {
    std::string header;
    PutLE32(header, 1);
    PutLE32(header, static_cast<std::uint32_t>(width));
    PutLE32(header, static_cast<std::uint32_t>(height));
    std::string line;
    for (int left = width; left > 0; left -= 64) {
        const int run = left < 64 ? left : 64;
        line += static_cast<char>(((run - 1) << 2) | 2);
        line += static_cast<char>(20);
    }
    std::string pixels;
    for (int y = 0; y < height; ++y) {
        pixels += static_cast<char>(line.size() & 0xFF);
        pixels += static_cast<char>(line.size() >> 8);
        pixels += line;
    }
    std::string children;
    PutBlock(children, "WIZH", header);
    PutBlock(children, "WIZD", pixels);
    std::string file;
    PutBlock(file, "WIZ ", children);
    return file;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

// ---- the user, played by a thread timer ----------------------------------------------

enum class Close { Ok, Escape };

struct Rects {
    RECT dialog;  // screen
    RECT frame;   // dialog client coordinates
    RECT check;
    RECT ok;
    SIZE frameClient;
};

struct User {
    bool tick = false;
    Close close = Close::Ok;
    // What the user saw.
    int shown = 0;
    int initialCheck = -1;
    Rects rects{};
};
User* g_user = nullptr;
int g_ticks = 0;

Rects Measure(HWND dialog) {
    Rects r{};
    GetWindowRect(dialog, &r.dialog);
    auto place = [dialog](int id, RECT* rect) {
        HWND item = GetDlgItem(dialog, id);
        GetWindowRect(item, rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(rect), 2);
    };
    place(IDC_PICTURE, &r.frame);
    place(IDC_DONT_SHOW_AGAIN, &r.check);
    place(IDOK, &r.ok);
    RECT client;
    GetClientRect(GetDlgItem(dialog, IDC_PICTURE), &client);
    r.frameClient = SIZE{client.right, client.bottom};
    return r;
}

BOOL CALLBACK FindMessage(HWND window, LPARAM found) {
    if (IsWindowVisible(window) && GetDlgItem(window, IDC_PICTURE) != nullptr) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK PlayUser(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindMessage, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr || g_user == nullptr) return;
    if (++g_ticks > 200) {  // a message that ignores the user must not hang the test
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (g_ticks > 1) return;  // acted already; the posted close is on its way
    ++g_user->shown;
    g_user->rects = Measure(dialog);
    HWND check = GetDlgItem(dialog, IDC_DONT_SHOW_AGAIN);
    g_user->initialCheck = static_cast<int>(SendMessageA(check, BM_GETCHECK, 0, 0));
    if (g_user->tick) SendMessageA(check, BM_CLICK, 0, 0);
    if (g_user->close == Close::Ok) {
        PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    } else {
        // A key press as the keyboard delivers it: to the control with the focus.
        HWND target = GetFocus();
        PostMessageA(target != nullptr ? target : dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    }
}

// ---- the product -----------------------------------------------------------------------

// The product PUZZLE with its install script in src\, the shared file in the temp folder,
// and the launcher running in cwd\.
class StartupMessage : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string src = m_temp / "src\\";
        ASSERT_TRUE(CreateDirectoryA(src.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(Cwd().c_str(), nullptr));
        GetCurrentDirectoryA(MAX_PATH, m_savedCwd);
        ASSERT_TRUE(SetCurrentDirectoryA(Cwd().c_str()));
        std::memset(&Paths(), 0, sizeof Paths());
        std::strcpy(Paths().sourceFolder, src.c_str());
        std::strcpy(Paths().scriptPath, (src + "PUZZLE.inf").c_str());
        std::strcpy(Paths().sharedIniPath, Shared().c_str());
        std::strcpy(Paths().baseName, "PUZZLE");
    }
    void TearDown() override { SetCurrentDirectoryA(m_savedCwd); }

    ProductPaths& Paths() { return SetupDialogTestAccess::Paths(m_dialog); }

    std::string Cwd() const { return m_temp / "cwd\\"; }
    std::string Shared() const { return m_temp / "tivoroo.ini"; }
    void SetBitmap(const std::string& name) {
        ASSERT_TRUE(WritePrivateProfileStringA("StartupOptions", "Bitmap", name.c_str(),
                                               Paths().scriptPath));
    }
    void SetShowAgain(const char* value) {
        ASSERT_TRUE(
            WritePrivateProfileStringA("PUZZLE", "ShowStartupAgain", value, Shared().c_str()));
    }
    std::string ShowAgain() const { return ReadProfile(Shared(), "PUZZLE", "ShowStartupAgain"); }

    // Runs ShowStartupMessage with the user playing along; returns what the user saw.
    User Run(bool tick = false, Close close = Close::Ok) {
        User user;
        user.tick = tick;
        user.close = close;
        g_user = &user;
        g_ticks = 0;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, &PlayUser);
        SetupDialogTestAccess::ShowStartupMessage(m_dialog);
        KillTimer(nullptr, timer);
        g_user = nullptr;
        return user;
    }

    TempFolder m_temp;
    char m_savedCwd[MAX_PATH] = {};
    SetupDialog m_dialog;
};

TEST_F(StartupMessage, WritesTheBoxStateWhicheverWayTheMessageIsClosed) {
    ASSERT_TRUE(WriteBytes(Cwd() + "HELLO.WIZ", SolidWiz(40, 30)));
    SetBitmap("HELLO.WIZ");
    struct Case {
        bool tick;
        Close close;
        const char* written;
    };
    const Case cases[] = {
        {true, Close::Ok, "0"},
        {false, Close::Ok, "1"},
        {true, Close::Escape, "0"},
        {false, Close::Escape, "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.tick ? "ticked, " : "clear, ") +
                     (c.close == Close::Ok ? "OK" : "Escape"));
        SetShowAgain("7");  // any non-zero value shows the message
        const User user = Run(c.tick, c.close);
        EXPECT_EQ(user.shown, 1);
        EXPECT_EQ(user.initialCheck, BST_UNCHECKED);
        EXPECT_EQ(ShowAgain(), c.written);
    }
    // Ticked once, the message stays away.
    Run(true, Close::Ok);
    EXPECT_EQ(Run().shown, 0);
    EXPECT_EQ(ShowAgain(), "0");
}

TEST_F(StartupMessage, NoPictureNameShowsNothingAndWritesNothing) {
    ASSERT_TRUE(WriteBytes(Cwd() + "HELLO.WIZ", SolidWiz(40, 30)));
    for (const char* script : {"missing", "empty"}) {
        SCOPED_TRACE(script);
        if (std::strcmp(script, "empty") == 0) SetBitmap("");
        EXPECT_EQ(Run().shown, 0);
        EXPECT_EQ(ReadWholeFile(Shared()), "<missing>");
    }
    // A missing shared file reads as "show": the first start shows the message and creates it.
    SetBitmap("HELLO.WIZ");
    EXPECT_EQ(Run().shown, 1);
    EXPECT_EQ(ShowAgain(), "1");
}

TEST_F(StartupMessage, ShowStartupAgainZeroShowsNothing) {
    ASSERT_TRUE(WriteBytes(Cwd() + "HELLO.WIZ", SolidWiz(40, 30)));
    SetBitmap("HELLO.WIZ");
    SetShowAgain("0");
    const std::string before = ReadWholeFile(Shared());
    EXPECT_EQ(Run().shown, 0);
    EXPECT_EQ(ReadWholeFile(Shared()), before);
}

TEST_F(StartupMessage, UnloadablePictureShowsNothingAndLeavesTheSetting) {
    ASSERT_TRUE(WriteBytes(Cwd() + "HELLO.BMP", SolidWiz(40, 30)));
    ASSERT_TRUE(WriteBytes(Cwd() + "BROKEN.WIZ", SolidWiz(40, 30).substr(0, 12)));
    // The script lies in src\, but a relative name means the launcher's current folder.
    ASSERT_TRUE(WriteBytes(m_temp / "src\\ONDISC.WIZ", SolidWiz(40, 30)));
    for (const char* name : {"NOSUCH.WIZ", "HELLO.BMP", "BROKEN.WIZ", "ONDISC.WIZ"}) {
        SCOPED_TRACE(name);
        SetBitmap(name);
        SetShowAgain("5");
        EXPECT_EQ(Run().shown, 0);
        EXPECT_EQ(ShowAgain(), "5");
    }
}

// A name of 260 characters or more is no picture at all, even when its first 259 characters
// name one: cut short, it would show another file.
TEST_F(StartupMessage, OverlongPictureNameIsNotCutToAnotherFile) {
    // A full path of 259 characters: the longest that fits.
    std::string name = m_temp.Path();
    while (name.size() < 190) {
        name += std::string(50, 'd') + "\\";
        ASSERT_TRUE(CreateDirectoryA(name.c_str(), nullptr));
    }
    name += std::string(259 - name.size() - 4, 'p') + ".WIZ";
    ASSERT_EQ(name.size(), 259u);
    ASSERT_TRUE(WriteBytes(name, SolidWiz(40, 30)));

    SetBitmap(name);
    EXPECT_EQ(Run().shown, 1);
    EXPECT_EQ(ShowAgain(), "1");

    for (const std::string& longer : {name + "X", name + "XXXXXXXXXX"}) {
        SetBitmap(longer);
        SetShowAgain("9");
        EXPECT_EQ(Run().shown, 0);
        EXPECT_EQ(ShowAgain(), "9");
    }
}

INT_PTR CALLBACK PlainDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The message's template as the dialog manager lays it out, before any picture.
Rects TemplateLayout() {
    HWND dialog = CreateDialogParamA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_STARTUP_MESSAGE), nullptr, &PlainDialog, 0);
    Rects r{};
    if (dialog != nullptr) {
        r = Measure(dialog);
        DestroyWindow(dialog);
    }
    return r;
}

SIZE SizeOf(const RECT& r) { return SIZE{r.right - r.left, r.bottom - r.top}; }

::testing::AssertionResult SameRect(const RECT& got, const RECT& want) {
    if (EqualRect(&got, &want)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got (" << got.left << "," << got.top << ")-(" << got.right << "," << got.bottom
           << "), expected (" << want.left << "," << want.top << ")-(" << want.right << ","
           << want.bottom << ")";
}

TEST_F(StartupMessage, FitsTheFrameToThePictureAndCentresTheDialog) {
    const Rects before = TemplateLayout();
    ASSERT_GT(before.frameClient.cx, 20);
    ASSERT_GT(before.frameClient.cy, 20);
    struct Case {
        int dx, dy;
        int shift;  // expected sideways move of the check box and OK
    };
    const Case cases[] = {{41, 30, 20}, {-7, -10, -3}, {-8, 3, -4}};
    for (const Case& c : cases) {
        SCOPED_TRACE("dx " + std::to_string(c.dx) + ", dy " + std::to_string(c.dy));
        const int width = before.frameClient.cx + c.dx;
        const int height = before.frameClient.cy + c.dy;
        ASSERT_TRUE(WriteBytes(Cwd() + "PIC.WIZ", SolidWiz(width, height)));
        SetBitmap("PIC.WIZ");
        const User user = Run();
        ASSERT_EQ(user.shown, 1);
        const Rects& after = user.rects;

        EXPECT_EQ(after.frameClient.cx, width);
        EXPECT_EQ(after.frameClient.cy, height);
        const SIZE dialog = SizeOf(after.dialog);
        EXPECT_EQ(dialog.cx, SizeOf(before.dialog).cx + c.dx);
        EXPECT_EQ(dialog.cy, SizeOf(before.dialog).cy + c.dy);
        EXPECT_EQ(after.dialog.left, (GetSystemMetrics(SM_CXSCREEN) - dialog.cx) / 2);
        EXPECT_EQ(after.dialog.top, (GetSystemMetrics(SM_CYSCREEN) - dialog.cy) / 2);

        RECT frame = before.frame;
        frame.right += c.dx;
        frame.bottom += c.dy;
        EXPECT_TRUE(SameRect(after.frame, frame));
        RECT check = before.check, ok = before.ok;
        OffsetRect(&check, c.shift, c.dy);
        OffsetRect(&ok, c.shift, c.dy);
        EXPECT_TRUE(SameRect(after.check, check));
        EXPECT_TRUE(SameRect(after.ok, ok));
    }
}

// A picture far narrower than the frame: moving the controls by half the change would put the
// check box left of the dialog and OK right of it, so they stop at the left edge and the
// dialog keeps the width they need.
TEST_F(StartupMessage, NarrowPictureKeepsTheControlsInsideTheDialog) {
    const Rects before = TemplateLayout();
    ASSERT_TRUE(WriteBytes(Cwd() + "PIC.WIZ", SolidWiz(24, 20)));
    SetBitmap("PIC.WIZ");
    const User user = Run();
    ASSERT_EQ(user.shown, 1);
    const Rects& after = user.rects;
    EXPECT_EQ(after.frameClient.cx, 24);
    EXPECT_EQ(after.frameClient.cy, 20);
    EXPECT_EQ(after.check.left, 0);
    // Side by side as in the template, and inside the dialog's client area.
    EXPECT_EQ(after.ok.left - after.check.left, before.ok.left - before.check.left);
    EXPECT_EQ(SizeOf(after.ok).cx, SizeOf(before.ok).cx);
    const SIZE dialog = SizeOf(after.dialog);
    const int frameWidth = GetSystemMetrics(SM_CXDLGFRAME);
    EXPECT_LE(after.ok.right, dialog.cx - 2 * frameWidth);
    EXPECT_EQ(after.dialog.left, (GetSystemMetrics(SM_CXSCREEN) - dialog.cx) / 2);
}

}  // namespace
