// The setup dialog's window: initial layout per switch and optional groups, the mode switch
// and its geometry, the instruction refit, the description, the required and available
// figures, and the folder choosers.

#include "launcher/setup_window.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "setup/components.h"
#include "resources/resource.h"
#include "tests/launcher/setup_fixture.h"

using Access = SetupDialogTestAccess;

namespace {

// Two groups: a required one whose files are not installed (so the dialog comes up without
// the switch) and an optional one.
std::string Script(const std::string& basInstruct = "Basic words.",
                   const std::string& advInstruct = "Advanced words.",
                   const std::string& optional =
                       "[Optional]\r\nPC-GroupCount=1\r\nPC-Group1Name=Movies\r\n"
                       "PC-Group1Desc=Intro and ending films.\r\nPC-Group1FileCount=1\r\n"
                       "PC-Group1File1Name=MOVIES\\INTRO.AVI\r\nPC-Group1File1Key=Intro\r\n") {
    return "[General]\r\nBasDlgTitle=Basic title\r\nAdvDlgTitle=Advanced title\r\n"
           "BasInstruct=" +
           basInstruct + "\r\nAdvInstruct=" + advInstruct +
           "\r\n"
           "[Required]\r\nPC-GroupCount=1\r\nPC-Group1Name=Game files\r\n"
           "PC-Group1Desc=The game itself.\r\nPC-Group1FileCount=2\r\n"
           "PC-Group1File1Name=GAME.DAT\r\nPC-Group1File1Key=GameDat\r\n"
           "PC-Group1File2Name=MUSIC\\THEME.MID\r\nPC-Group1File2Key=Theme\r\n" +
           optional;
}

const std::string kLongText =
    "This product needs a great many words of instruction before anything can be installed, "
    "so many that they wrap over far more lines than the box of the template was drawn for, "
    "and the dialog has to make room for all of them below one another.";

const int kDetailIds[] = {IDC_FILES_LABEL, IDC_COMPONENTS, IDC_DESCRIPTION_FRAME, IDC_DESCRIPTION};
const int kAllIds[] = {IDC_INSTRUCTIONS,
                       IDC_FILES_LABEL,
                       IDC_COMPONENTS,
                       IDC_DESCRIPTION_FRAME,
                       IDC_DESCRIPTION,
                       IDC_DESTINATION_FRAME,
                       IDC_BROWSE,
                       IDC_DESTINATION,
                       IDC_REQUIRED_LABEL,
                       IDC_REQUIRED,
                       IDC_AVAILABLE_LABEL,
                       IDC_AVAILABLE,
                       IDC_MORE_LESS,
                       IDOK,
                       IDCANCEL};

// Stands in for the drive-type query: every drive is of type g_driveType.
UINT g_driveType = DRIVE_FIXED;
std::string g_askedRoot;
UINT WINAPI FakeDriveType(LPCSTR root) {
    g_askedRoot = root;
    return g_driveType;
}

int Height(const RECT& rect) { return rect.bottom - rect.top; }

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

class SetupWindow : public SetupDialogTest {
protected:
    // Every control's rectangle and then the dialog's.
    std::vector<RECT> Layout() const {
        std::vector<RECT> rects;
        for (const int id : kAllIds) rects.push_back(Rect(id));
        rects.push_back(WindowRect());
        return rects;
    }
    void ClickMoreLess() const { Notify(IDC_MORE_LESS, BN_CLICKED); }
    void Select(int row) const {
        Access::Components(Dialog()).SendMessage(LB_SETCURSEL, static_cast<WPARAM>(row));
        Notify(IDC_COMPONENTS, LBN_SELCHANGE);
    }
};

TEST_F(SetupWindow, OpensPerSwitchAndOptionalGroups) {
    struct Case {
        const char* what;
        int forceSetup;
        bool optionalGroups;
        int advanced;
        const char* caption;
        bool moreLessShown;
        const char* moreLessText;
    };
    const Case cases[] = {
        {"optional groups", 0, true, 0, "Basic title", true, "More >>"},
        {"no optional groups", 0, false, 0, "Basic title", false, nullptr},
        {"forced", 1, true, 1, "Advanced title", false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteScript(c.optionalGroups ? Script() : Script("Basic words.", "Advanced words.", ""));
        SetupDialog& dialog = Open(c.forceSetup);
        EXPECT_EQ(Access::Advanced(dialog), c.advanced);
        EXPECT_EQ(Caption(), c.caption);
        EXPECT_EQ(Text(IDC_INSTRUCTIONS), c.advanced ? "Advanced words." : "Basic words.");
        EXPECT_EQ(Text(IDC_DESTINATION), Dest());
        EXPECT_EQ(Visible(IDC_MORE_LESS), c.moreLessShown);
        EXPECT_EQ(Enabled(IDC_MORE_LESS), c.moreLessShown);
        if (c.moreLessText != nullptr) {
            EXPECT_EQ(Text(IDC_MORE_LESS), c.moreLessText);
        }
        for (const int id : kDetailIds) {
            EXPECT_EQ(Visible(id), c.advanced == 1) << id;
            EXPECT_EQ(Enabled(id), c.advanced == 1) << id;
        }
        EXPECT_EQ(Text(IDC_DESCRIPTION), "");
        // The window's icon is the program's, also while dragged minimised.
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(dialog.m_hWnd, WM_QUERYDRAGICON, 0, 0)),
                  Access::Icon(dialog));
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(dialog.m_hWnd, WM_GETICON, ICON_BIG, 0)),
                  Access::Icon(dialog));
        Close();
    }
}

// Basic mode hides the component area: the destination frame takes the place of the "Files:"
// label and the dialog is shorter by that distance. Switching twice puts everything back.
TEST_F(SetupWindow, ModeSwitchMovesTheLowerControls) {
    WriteScript(Script("Same words.", "Same words."));
    SetupDialog& dialog = Open();
    ASSERT_EQ(Access::Advanced(dialog), 0);
    ASSERT_GT(Access::LayoutDistance(dialog), 0);
    EXPECT_EQ(Rect(IDC_DESTINATION_FRAME).top, Rect(IDC_FILES_LABEL).top);
    const std::vector<RECT> basic = Layout();

    ClickMoreLess();
    EXPECT_EQ(Access::Advanced(dialog), 1);
    EXPECT_EQ(Caption(), "Advanced title");
    EXPECT_EQ(Text(IDC_MORE_LESS), "Less <<");
    for (const int id : kDetailIds) EXPECT_TRUE(Visible(id) && Enabled(id)) << id;
    EXPECT_EQ(Rect(IDC_DESTINATION_FRAME).top - Rect(IDC_FILES_LABEL).top,
              Access::LayoutDistance(dialog));
    EXPECT_EQ(Height(WindowRect()), Height(basic.back()) + Access::LayoutDistance(dialog));
    EXPECT_EQ(Rect(IDOK).top, basic[13].top + Access::LayoutDistance(dialog));
    const std::vector<RECT> advanced = Layout();

    ClickMoreLess();
    EXPECT_EQ(Text(IDC_MORE_LESS), "More >>");
    const std::vector<RECT> back = Layout();
    for (std::size_t i = 0; i < back.size(); ++i) EXPECT_TRUE(SameRect(back[i], basic[i])) << i;

    ClickMoreLess();
    const std::vector<RECT> again = Layout();
    for (std::size_t i = 0; i < again.size(); ++i)
        EXPECT_TRUE(SameRect(again[i], advanced[i])) << i;
}

// The instruction box takes the height its wrapped text needs, and everything below follows:
// the gap under the box and the controls' distances to the dialog's bottom stay as they were.
TEST_F(SetupWindow, LongInstructionGrowsTheDialog) {
    WriteScript(Script("Short.", "Short."));
    Open(1);
    const RECT shortBox = Rect(IDC_INSTRUCTIONS);
    const RECT shortWindow = WindowRect();
    const RECT shortOk = Rect(IDOK);
    const int shortGap = Rect(IDC_FILES_LABEL).top - shortBox.bottom;

    WriteScript(Script("Short.", kLongText));
    Open(1);
    const RECT longBox = Rect(IDC_INSTRUCTIONS);
    const int growth = Height(longBox) - Height(shortBox);
    EXPECT_GT(growth, 0);
    EXPECT_EQ(longBox.top, shortBox.top);
    EXPECT_EQ(Rect(IDC_FILES_LABEL).top - longBox.bottom, shortGap);
    EXPECT_EQ(Rect(IDOK).top, shortOk.top + growth);
    EXPECT_EQ(Height(WindowRect()), Height(shortWindow) + growth);
}

// Each mode reads and refits its own instruction.
TEST_F(SetupWindow, InstructionOfEachModeHasItsOwnHeight) {
    WriteScript(Script(kLongText, "Short."));
    SetupDialog& dialog = Open();
    ASSERT_EQ(Access::Advanced(dialog), 0);
    const int basicBox = Height(Rect(IDC_INSTRUCTIONS));
    const int basicWindow = Height(WindowRect());
    ClickMoreLess();
    EXPECT_EQ(Text(IDC_INSTRUCTIONS), "Short.");
    const int shrink = basicBox - Height(Rect(IDC_INSTRUCTIONS));
    EXPECT_GT(shrink, 0);
    EXPECT_EQ(Height(WindowRect()), basicWindow - shrink + Access::LayoutDistance(dialog));
    EXPECT_EQ(Rect(IDC_FILES_LABEL).top - Rect(IDC_INSTRUCTIONS).bottom,
              Rect(IDC_DESTINATION_FRAME).top - Rect(IDC_INSTRUCTIONS).bottom -
                  Access::LayoutDistance(dialog));
}

TEST_F(SetupWindow, DescriptionFollowsTheSelection) {
    WriteScript(Script());
    Open(1);
    Select(1);  // an unchecked row shows its description too
    EXPECT_EQ(Text(IDC_DESCRIPTION), "Intro and ending films.");
    Select(0);
    EXPECT_EQ(Text(IDC_DESCRIPTION), "The game itself.");
    Select(-1);
    EXPECT_EQ(Text(IDC_DESCRIPTION), "");
}

// The required figure is the exact sum of the checked groups' source files: missing files
// and names that leave the source folder count nothing, and a file listed twice counts twice.
// It follows every change of a check, by mouse, space bar or selection.
TEST_F(SetupWindow, RequiredFigureFollowsTheChecks) {
    WriteSource("GAME.DAT", 524288);
    WriteSource("MOVIES\\INTRO.AVI", 1048576);
    WriteSource("EXTRA.DAT", 100);
    ASSERT_TRUE(WriteFileAt(m_temp / "OUTSIDE.DAT", 100, "outside bytes"));
    WriteScript(
        "[Required]\r\nPC-GroupCount=1\r\nPC-Group1Name=Game\r\nPC-Group1FileCount=4\r\n"
        "PC-Group1File1Name=GAME.DAT\r\nPC-Group1File1Key=G\r\n"
        "PC-Group1File2Name=MISSING.DAT\r\nPC-Group1File2Key=M\r\n"
        "PC-Group1File3Name=..\\OUTSIDE.DAT\r\nPC-Group1File3Key=O\r\n"
        "PC-Group1File4Name=" +
        m_temp / "OUTSIDE.DAT" +
        "\r\nPC-Group1File4Key=A\r\n"
        "[Optional]\r\nPC-GroupCount=2\r\n"
        "PC-Group1Name=Movies\r\nPC-Group1FileCount=2\r\n"
        "PC-Group1File1Name=MOVIES\\INTRO.AVI\r\nPC-Group1File1Key=I\r\n"
        "PC-Group1File2Name=GAME.DAT\r\nPC-Group1File2Key=G2\r\n"
        "PC-Group2Name=Extra\r\nPC-Group2FileCount=1\r\n"
        "PC-Group2File1Name=EXTRA.DAT\r\nPC-Group2File1Key=E\r\n");
    SetupDialog& dialog = Open(1);
    CCheckListBox& list = Access::Components(dialog);
    EXPECT_EQ(Access::Required(dialog), 524288u);
    EXPECT_EQ(Text(IDC_REQUIRED), "0.5");

    // Space bar on the selected row: the check-list's own notification updates the figure.
    list.SendMessage(LB_SETCURSEL, 1);
    list.SendMessage(WM_KEYDOWN, VK_SPACE, 1);
    ASSERT_EQ(list.GetCheck(1), 1);
    EXPECT_EQ(Access::Required(dialog), 524288u + 1048576u + 524288u);
    EXPECT_EQ(Text(IDC_REQUIRED), "2.0");

    // A check set behind the list's back shows with the next selection change.
    list.SetCheck(2, 1);
    Select(2);
    EXPECT_EQ(Access::Required(dialog), 2097152u + 100u);

    // The required row cannot be unchecked by the user.
    list.SendMessage(LB_SETCURSEL, 0);
    list.SendMessage(WM_KEYDOWN, VK_SPACE, 1);
    EXPECT_EQ(list.GetCheck(0), 1);
    EXPECT_EQ(Access::Required(dialog), 2097152u + 100u);
}

TEST(SetupFigures, FreeBytesOnlyForFixedDrives) {
    struct Case {
        const char* folder;
        UINT driveType;
        bool counted;
    };
    const Case cases[] = {
        {"C:\\Games\\Puzzle\\", DRIVE_FIXED, true},
        {"c:", DRIVE_FIXED, true},
        {"C:\\Games\\", DRIVE_CDROM, false},
        {"C:\\Games\\", DRIVE_REMOVABLE, false},
        {"C:\\Games\\", DRIVE_REMOTE, false},
        {"C:\\Games\\", DRIVE_NO_ROOT_DIR, false},
        {"Games\\Puzzle\\", DRIVE_FIXED, false},
        {"\\Games\\", DRIVE_FIXED, false},
        {"\\\\server\\share\\Games\\", DRIVE_FIXED, false},
        {"", DRIVE_FIXED, false},
    };
    ULARGE_INTEGER expected{};
    ULARGE_INTEGER total{};
    ULARGE_INTEGER free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &expected, &total, &free));
    ASSERT_GT(expected.QuadPart, 0u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        g_driveType = c.driveType;
        g_askedRoot.clear();
        const ULONGLONG bytes = GetDestinationFreeBytes(c.folder, FakeDriveType);
        if (c.counted) {
            EXPECT_EQ(g_askedRoot, std::string(1, c.folder[0]) + ":\\");
            // Within what other processes may write meanwhile.
            EXPECT_NEAR(static_cast<double>(bytes), static_cast<double>(expected.QuadPart), 1e8);
        } else {
            EXPECT_EQ(bytes, 0u);
        }
    }
}

// A source file's size is read from its folder entry, high word included; a name that would
// be a pattern there counts nothing, even with a file that it would match.
TEST(SetupFigures, SourceFileBytes) {
    TempFolder temp;
    ASSERT_TRUE(WriteFileAt(temp / "GAME.DAT", 100, "twelve bytes"));
    ASSERT_TRUE(CreateDirectoryA((temp / "DATA").c_str(), nullptr));
    const std::string big = temp / "BIG.DAT";
    {
        // 5 GiB + 3 bytes, sparse where the file system allows.
        const HANDLE file = CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LONG high = 1;
        const DWORD moved = SetFilePointer(file, 0x40000003, &high, FILE_BEGIN);
        const BOOL ended = SetEndOfFile(file);
        CloseHandle(file);
        ASSERT_EQ(moved, 0x40000003u);
        ASSERT_TRUE(ended);
    }
    const struct {
        const char* name;
        ULONGLONG bytes;
    } cases[] = {
        {"GAME.DAT", 12}, {"game.dat", 12}, {"BIG.DAT", 0x140000003ull},
        {"GAME.*", 0},    {"GAME.DA?", 0},  {"*", 0},
        {"DATA", 0},      {"DATA\\", 0},    {"MISSING.DAT", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetSourceFileBytes(temp.Path().c_str(), c.name), c.bytes) << c.name;
    }
    DeleteFileA(big.c_str());
}

TEST(SetupFigures, MegabytesWithOneDecimal) {
    const struct {
        ULONGLONG bytes;
        const char* text;
    } cases[] = {
        {0, "0.0"},
        {52428, "0.0"},
        {1572864, "1.5"},
        {0xFFFFFFFFull, "4096.0"},
        {5ull << 30, "5120.0"},  // no wrap at 4 GiB
        {3ull << 40, "3145728.0"},
    };
    for (const auto& c : cases) {
        char text[32];
        FormatMegabytes(text, sizeof text, c.bytes);
        EXPECT_STREQ(text, c.text) << c.bytes;
    }
}

// The available figure follows the edit: a folder without a drive letter shows 0.0, the
// Windows drive of the test prefix shows its free space.
TEST_F(SetupWindow, AvailableFigureFollowsTheDestination) {
    WriteScript(Script());
    SetupDialog& dialog = Open(1);
    SetDlgItemTextA(dialog.m_hWnd, IDC_DESTINATION, "Games\\Puzzle\\");
    EXPECT_EQ(Access::Available(dialog), 0u);
    EXPECT_EQ(Text(IDC_AVAILABLE), "0.0");
    SetDlgItemTextA(dialog.m_hWnd, IDC_DESTINATION, "C:\\Games\\Puzzle\\");
    EXPECT_GT(Access::Available(dialog), 0u);
    char text[32];
    FormatMegabytes(text, sizeof text, Access::Available(dialog));
    EXPECT_EQ(Text(IDC_AVAILABLE), text);
}

namespace {

// Answers the folder chooser that the code under test opens modally in this thread: a timer
// finds the chooser among the thread's windows and presses g_answer (IDOK or IDCANCEL).
HWND g_setupWindow = nullptr;
WPARAM g_answer = IDOK;
int g_answered = 0;
// The folder that the shell browser was asked to select when it opened.
std::string g_requestedSelection;

LRESULT CALLBACK WatchSelection(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == BFFM_SETSELECTIONA && call->wParam == TRUE) {
        g_requestedSelection = reinterpret_cast<const char*>(call->lParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK FindChooser(HWND window, LPARAM found) {
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (window != g_setupWindow && IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK AnswerChooser(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND chooser = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindChooser, reinterpret_cast<LPARAM>(&chooser));
    if (chooser == nullptr) return;
    KillTimer(nullptr, timer);
    ++g_answered;
    PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(g_answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(chooser, static_cast<int>(g_answer))));
}

}  // namespace

// The older chooser opens at the folder in the edit and puts the chosen folder back with a
// trailing backslash, which updates the available figure; cancelling changes nothing.
TEST_F(SetupWindow, OpenFileChooserSetsTheDestination) {
    ASSERT_TRUE(CreateDirectoryA((m_temp / "exists").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((m_temp / "exists\\deeper").c_str(), nullptr));
    WriteScript(Script());
    SetupDialog& dialog = Open(1);
    g_setupWindow = dialog.m_hWnd;
    for (const WPARAM answer : {WPARAM{IDOK}, WPARAM{IDCANCEL}}) {
        SCOPED_TRACE(answer);
        const std::string typed = m_temp / (answer == IDOK ? "exists\\deeper" : "exists");
        SetDlgItemTextA(dialog.m_hWnd, IDC_DESTINATION, typed.c_str());
        Access::Available(dialog) = 0;
        g_answer = answer;
        g_answered = 0;
        SetTimer(nullptr, 0, 100, AnswerChooser);
        char current[MAX_PATH] = "";
        GetCurrentDirectoryA(MAX_PATH, current);
        Access::BrowseWithOpenFileDialog(dialog);
        // The dialog makes the chosen folder current; give it back so the folder can go.
        SetCurrentDirectoryA(current);
        EXPECT_EQ(g_answered, 1);
        if (answer == IDOK) {
            EXPECT_EQ(Text(IDC_DESTINATION), typed + "\\");
            EXPECT_GT(Access::Available(dialog), 0u);
        } else {
            EXPECT_EQ(Text(IDC_DESTINATION), typed);
            EXPECT_EQ(Access::Available(dialog), 0u);
        }
    }
}

// The shell's browser is asked to open at the deepest existing folder of what was typed, and
// the folder picked with OK comes back with a trailing backslash. (Which folder Wine's browser
// really has selected when OK is pressed varies from run to run, so the picked folder is
// checked for its form, not its name.)
TEST_F(SetupWindow, ShellBrowserSetsTheDestination) {
    ASSERT_TRUE(CreateDirectoryA((m_temp / "exists").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((m_temp / "exists\\deeper").c_str(), nullptr));
    WriteScript(Script());
    SetupDialog& dialog = Open(1);
    g_setupWindow = dialog.m_hWnd;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, WatchSelection, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    for (const WPARAM answer : {WPARAM{IDOK}, WPARAM{IDCANCEL}}) {
        SCOPED_TRACE(answer);
        const std::string typed = m_temp / "exists\\deeper\\not yet\\either";
        SetDlgItemTextA(dialog.m_hWnd, IDC_DESTINATION, typed.c_str());
        Access::Available(dialog) = 0;
        g_answer = answer;
        g_answered = 0;
        g_requestedSelection.clear();
        SetTimer(nullptr, 0, 100, AnswerChooser);
        Access::BrowseWithShell(dialog);
        EXPECT_EQ(g_answered, 1);
        EXPECT_EQ(g_requestedSelection, m_temp / "exists\\deeper");
        const std::string picked = Text(IDC_DESTINATION);
        if (answer == IDOK) {
            ASSERT_FALSE(picked.empty());
            EXPECT_NE(picked, typed);
            EXPECT_EQ(picked.back(), '\\');
            EXPECT_TRUE(PathFolderExists(picked.c_str())) << picked;
            EXPECT_GT(Access::Available(dialog), 0u);
        } else {
            EXPECT_EQ(picked, typed);
            EXPECT_EQ(Access::Available(dialog), 0u);
        }
    }
    UnhookWindowsHookEx(hook);
}

// ---- a script too large for memory -------------------------------------------------------

namespace {

// While g_failSize is not 0, an allocation of exactly that many bytes throws std::bad_alloc,
// as when the heap runs out in the middle of reading the groups (see operator new below).
std::size_t g_failSize = 0;
int g_failures = 0;

// What the user meets while the dialog runs modally, as the launcher runs it.
struct Met {
    int boxes = 0;        // message boxes answered
    std::string caption;  // of the last one
    std::string text;
    int setupShown = 0;  // times the setup window itself was seen visible
};
Met* g_met = nullptr;

BOOL CALLBACK MeetWindow(HWND window, LPARAM) {
    if (!IsWindowVisible(window) || g_met == nullptr) return TRUE;
    char text[1024] = "";
    if (GetDlgItem(window, IDC_COMPONENTS) != nullptr) {
        // A setup window came up after all: count it and close it so the run ends.
        ++g_met->setupShown;
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    } else if (HWND label = GetDlgItem(window, 0xFFFF); label != nullptr) {
        ++g_met->boxes;
        GetWindowTextA(window, text, sizeof text);
        g_met->caption = text;
        GetWindowTextA(label, text, sizeof text);
        g_met->text = text;
        PostMessageA(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
    }
    return TRUE;
}

void CALLBACK Meet(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), &MeetWindow, 0);
}

}  // namespace

void* operator new(std::size_t size) {
    if (g_failSize != 0 && size == g_failSize) {
        ++g_failures;
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size != 0 ? size : 1)) return block;
    throw std::bad_alloc();
}

// Memory runs out while the optional group is read (the required row is made already): the
// launcher's modal dialog ends with Cancel after one message naming the cause, under the
// launcher's name, and the setup window never shows half made.
TEST_F(SetupWindow, ScriptTooLargeForMemoryEndsWithOneMessage) {
    const std::string description(1500, 'd');  // its copy is the one allocation of 1501 bytes
    WriteScript(Script("Basic words.", "Advanced words.",
                       "[Optional]\r\nPC-GroupCount=1\r\nPC-Group1Name=Movies\r\nPC-Group1Desc=" +
                           description + "\r\nPC-Group1FileCount=0\r\n"));
    SetupDialog dialog;
    std::strcpy(Access::Paths(dialog).sourceFolder, Source().c_str());
    std::strcpy(Access::Paths(dialog).destFolder, Dest().c_str());
    std::strcpy(Access::Paths(dialog).sharedIniPath, Shared().c_str());
    std::strcpy(Access::Paths(dialog).scriptPath, (Source() + "PUZZLE.inf").c_str());
    std::strcpy(Access::Paths(dialog).baseName, "PUZZLE");

    Met met;
    g_met = &met;
    g_failures = 0;
    g_failSize = description.size() + 1;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &Meet);
    const INT_PTR result = dialog.DoModal();
    KillTimer(nullptr, timer);
    g_failSize = 0;
    g_met = nullptr;

    EXPECT_EQ(g_failures, 1);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(met.setupShown, 0);
    EXPECT_EQ(met.boxes, 1);
    EXPECT_EQ(met.caption, "PUZZLE");
    EXPECT_EQ(met.text,
              "The install script lists more files than this computer's memory can hold.");
}
