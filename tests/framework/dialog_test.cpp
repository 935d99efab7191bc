#include "framework/framework.h"
#include "tests/framework/test_resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <vector>

namespace {

bool Seen(const std::vector<UINT>& messages, UINT message) {
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

// A dialog on the test template whose handlers are set by each test. It routes messages as a
// program's dialog does: one switch calling OnXxx handlers, the rest to the base class.
class ProbeDialog : public CDialog {
public:
    static constexpr UINT_PTR kWatchdog = 77;
    explicit ProbeDialog(CWnd* parent = nullptr) : CDialog(IDD_TEST, parent) {}

    std::function<int(ProbeDialog&)> onCreate;       // result of WM_CREATE after default processing
    std::function<void(ProbeDialog&)> onInit;        // at the end of OnInitDialog
    std::function<LRESULT(ProbeDialog&)> onPalette;  // WM_QUERYNEWPALETTE
    std::vector<UINT> messages;                      // every message the object saw, in order
    int commands = 0;                                // clicks on IDC_TEST_BUTTON
    int cancels = 0;
    int paints = 0;
    BOOL visibleAtCreate = TRUE;
    HWND okButtonAtCreate = nullptr;
    LRESULT defaultCreateResult = 1;
    HWND ownerAtInit = nullptr;

    // Data exchanged with the controls.
    CWnd edit;
    CButton check;
    CProgressCtrl progress;
    char text[8] = "abc";
    int checked = 0;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(message);
        switch (message) {
            case WM_CREATE:
                return OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));
            case WM_PAINT:
                OnPaint();
                return 0;
            case WM_TIMER:
                if (wParam == kWatchdog) {
                    ADD_FAILURE() << "modal run not ended";
                    EndDialog(-2);
                    return 0;
                }
                break;
            case WM_QUERYNEWPALETTE:
                if (onPalette) return onPalette(*this);
                break;
            default:
                break;
        }
        return CDialog::OnMessage(message, wParam, lParam);
    }

    BOOL OnCommand(UINT nID, UINT nCode, HWND hWndCtrl) override {
        switch (nID) {
            case IDC_TEST_BUTTON:
                ++commands;
                return TRUE;
            default:
                return CDialog::OnCommand(nID, nCode, hWndCtrl);
        }
    }

    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_TEST_EDIT, edit);
        DDX_Control(pDX, IDC_TEST_CHECK, check);
        DDX_Control(pDX, IDC_TEST_PROGRESS, progress);
        DDX_Text(pDX, IDC_TEST_EDIT, text, sizeof text);
        DDX_Check(pDX, IDC_TEST_CHECK, checked);
    }

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        ownerAtInit = ::GetWindow(m_hWnd, GW_OWNER);
        // A modal run that a test fails to end ends itself, so a fault fails instead of hanging.
        ::SetTimer(m_hWnd, kWatchdog, 5000, nullptr);
        if (onInit) onInit(*this);
        return TRUE;
    }

    void OnCancel() override {
        ++cancels;
        CDialog::OnCancel();
    }

private:
    int OnCreate(LPCREATESTRUCT) {
        visibleAtCreate = ::IsWindowVisible(m_hWnd);
        okButtonAtCreate = GetDlgItemHandle(IDOK);
        defaultCreateResult = Default();
        if (defaultCreateResult == -1) return -1;
        return onCreate ? onCreate(*this) : 0;
    }

    void OnPaint() {
        CPaintDC dc(this);
        ++paints;
    }
};

TEST(Dialog, CreationMessageReachesTheObjectBeforeAnythingIsVisible) {
    ProbeDialog dialog;
    dialog.onInit = [](ProbeDialog& d) { d.EndDialog(IDOK); };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    ASSERT_TRUE(Seen(dialog.messages, WM_CREATE));
    EXPECT_FALSE(dialog.visibleAtCreate);
    EXPECT_EQ(dialog.okButtonAtCreate, nullptr) << "controls are created after WM_CREATE";
    EXPECT_EQ(dialog.defaultCreateResult, 0);
    const auto create = std::find(dialog.messages.begin(), dialog.messages.end(), WM_CREATE);
    const auto init = std::find(dialog.messages.begin(), dialog.messages.end(), WM_INITDIALOG);
    EXPECT_LT(create, init);
    EXPECT_EQ(dialog.m_hWnd, nullptr) << "the window's end detaches the object";
}

TEST(Dialog, RefusedCreationEndsTheModalRunWithMinusOneAndShowsNothing) {
    ProbeDialog dialog;
    dialog.onCreate = [](ProbeDialog&) { return -1; };
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_FALSE(Seen(dialog.messages, WM_INITDIALOG));
    EXPECT_FALSE(Seen(dialog.messages, WM_SHOWWINDOW));
    EXPECT_FALSE(Seen(dialog.messages, WM_PAINT));
    // Whether WM_DESTROY comes first differs between platform versions; the last message does.
    EXPECT_EQ(dialog.messages.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(dialog.m_hWnd, nullptr);

    // The same object runs again afterwards.
    dialog.onCreate = nullptr;
    dialog.onInit = [](ProbeDialog& d) { d.EndDialog(IDOK); };
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(Dialog, ExceptionInAHandlerRefusesCreationInsteadOfCrossingTheWindowManager) {
    ProbeDialog dialog;
    dialog.onCreate = [](ProbeDialog&) -> int { throw std::runtime_error("handler failed"); };
    EXPECT_EQ(dialog.DoModal(), -1);
}

TEST(Dialog, ModalRunEndedByQuitIsNotTakenForOkAndTheQuitStaysPosted) {
    ProbeDialog dialog;
    dialog.onInit = [](ProbeDialog&) { ::PostQuitMessage(7); };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST(Dialog, OkTakesTheDataAndCancelOrEscapeDoNot) {
    {
        ProbeDialog dialog;
        dialog.onInit = [](ProbeDialog& d) {
            d.edit.SetWindowText("xyz");
            d.check.SetCheck(BST_CHECKED);
            ::PostMessageA(d.GetDlgItemHandle(IDOK), BM_CLICK, 0, 0);
        };
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_STREQ(dialog.text, "xyz");
        EXPECT_EQ(dialog.checked, 1);
    }
    {
        ProbeDialog dialog;
        dialog.onInit = [](ProbeDialog& d) {
            d.edit.SetWindowText("xyz");
            // Escape on a control: the dialog manager turns it into IDCANCEL.
            ::PostMessageA(d.edit.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
        };
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_EQ(dialog.cancels, 1);
        EXPECT_STREQ(dialog.text, "abc");
    }
}

TEST(Dialog, OkWithATextTooLongForItsBufferKeepsTheDialogOpen) {
    ProbeDialog dialog;
    int okAttempts = 0;
    dialog.onInit = [&](ProbeDialog& d) {
        d.edit.SetWindowText("12345678");  // 8 characters do not fit 8 bytes with the terminator
        d.GetDlgItem(IDOK)->SendMessage(BM_CLICK);
        ++okAttempts;
        EXPECT_NE(d.m_hWnd, nullptr);
        EXPECT_TRUE(::IsWindow(d.m_hWnd));
        EXPECT_STREQ(d.text, "abc") << "a text that does not fit is never cut short";
        EXPECT_EQ(::GetFocus(), d.edit.m_hWnd) << "the failing control gets the focus";
        d.edit.SetWindowText("1234567");
        ::PostMessageA(d.GetDlgItemHandle(IDOK), BM_CLICK, 0, 0);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(okAttempts, 1);
    EXPECT_STREQ(dialog.text, "1234567");
}

TEST(Dialog, DialogWithoutParentIsOwnedByTheMainWindowEvenDuringItsCreation) {
    CWinApp app("Framework test");
    ProbeDialog mainDialog;
    app.m_pMainWnd = &mainDialog;
    ProbeDialog inner;
    INT_PTR innerResult = 0;
    HWND mainWindow = nullptr;
    // As the launcher does: the main dialog opens a message while it is being created and then
    // refuses its own creation.
    mainDialog.onCreate = [&](ProbeDialog& d) {
        mainWindow = d.m_hWnd;
        inner.onInit = [](ProbeDialog& i) { i.EndDialog(IDOK); };
        innerResult = inner.DoModal();
        return -1;
    };
    EXPECT_EQ(mainDialog.DoModal(), -1);
    EXPECT_EQ(innerResult, IDOK);
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_EQ(inner.ownerAtInit, mainWindow);

    // An explicit parent wins over the main window.
    ProbeDialog parent;
    ASSERT_TRUE(parent.Create(IDD_TEST));
    ProbeDialog child(&parent);
    child.onInit = [](ProbeDialog& c) { c.EndDialog(IDOK); };
    EXPECT_EQ(child.DoModal(), IDOK);
    EXPECT_EQ(child.ownerAtInit, parent.m_hWnd);
    app.m_pMainWnd = nullptr;
}

// Modeless dialogs: routing of commands and results, data exchange, paint guard.
class ModelessDialog : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dialog.Create(IDD_TEST)); }
    ProbeDialog dialog;
};

TEST_F(ModelessDialog, CommandsReachTheClassSwitchAndResultsReachTheSender) {
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED),
                       reinterpret_cast<LPARAM>(dialog.GetDlgItemHandle(IDC_TEST_BUTTON)));
    EXPECT_EQ(dialog.commands, 1);

    // A handler's result comes back as it is; unhandled messages get the default processing.
    EXPECT_EQ(dialog.SendMessage(WM_QUERYNEWPALETTE), 0);
    dialog.onPalette = [](ProbeDialog&) -> LRESULT { return 1; };
    EXPECT_EQ(dialog.SendMessage(WM_QUERYNEWPALETTE), 1);
    char caption[32] = {};
    ::GetWindowTextA(dialog.m_hWnd, caption, sizeof caption);
    EXPECT_STREQ(caption, "Framework test");
}

TEST_F(ModelessDialog, DataExchangeMovesValuesBothWaysWithinTheBuffer) {
    EXPECT_EQ(dialog.edit.m_hWnd, dialog.GetDlgItemHandle(IDC_TEST_EDIT))
        << "bound at initialisation";
    EXPECT_EQ(dialog.GetDlgItem(IDC_TEST_EDIT), &dialog.edit);

    struct Case {
        const char* typed;
        BOOL ok;
        const char* stored;
    };
    const Case cases[] = {{"", TRUE, ""},
                          {"1234567", TRUE, "1234567"},
                          {"12345678", FALSE, "1234567"},
                          {"a", TRUE, "a"}};
    for (const Case& c : cases) {
        dialog.edit.SetWindowText(c.typed);
        EXPECT_EQ(dialog.UpdateData(TRUE), c.ok) << c.typed;
        EXPECT_STREQ(dialog.text, c.stored) << c.typed;
    }

    std::snprintf(dialog.text, sizeof dialog.text, "%s", "to box");
    dialog.checked = 1;
    EXPECT_TRUE(dialog.UpdateData(FALSE));
    char shown[16] = {};
    ::GetWindowTextA(dialog.edit.m_hWnd, shown, sizeof shown);
    EXPECT_STREQ(shown, "to box");
    EXPECT_EQ(dialog.check.GetCheck(), BST_CHECKED);
}

TEST_F(ModelessDialog, ProgressBarClampsToItsRange) {
    dialog.progress.SetRange(0, 100);
    dialog.progress.SetPos(40);
    EXPECT_EQ(dialog.progress.SendMessage(PBM_GETPOS), 40);
    EXPECT_EQ(dialog.progress.SetPos(150), 40);
    EXPECT_EQ(dialog.progress.SendMessage(PBM_GETPOS), 100);
}

TEST_F(ModelessDialog, PaintGuardValidatesTheUpdateRegion) {
    dialog.ShowWindow(SW_SHOWNA);
    dialog.Invalidate(FALSE);
    dialog.UpdateWindow();
    EXPECT_GE(dialog.paints, 1);
    RECT update;
    EXPECT_FALSE(::GetUpdateRect(dialog.m_hWnd, &update, FALSE));
}

TEST_F(ModelessDialog, CancelDestroysAModelessDialogAndDetachesEverything) {
    HWND window = dialog.m_hWnd;
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.edit.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);
}

TEST(Dialog, GetDlgItemKeepsOnePlainWrapperPerControl) {
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST));
    CWnd* button = dialog.GetDlgItem(IDC_TEST_BUTTON);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->m_hWnd, dialog.GetDlgItemHandle(IDC_TEST_BUTTON));
    EXPECT_EQ(dialog.GetDlgItem(IDC_TEST_BUTTON), button);
    EXPECT_EQ(dialog.GetDlgItem(999), nullptr);
    button->EnableWindow(FALSE);
    EXPECT_FALSE(::IsWindowEnabled(dialog.GetDlgItemHandle(IDC_TEST_BUTTON)));
}

TEST(Dialog, MissingTemplateFailsBothWays) {
    CDialog modal(12345);
    EXPECT_EQ(modal.DoModal(), -1);
    CDialog modeless(12345);
    EXPECT_FALSE(modeless.Create(12345));
    // The creation hook is gone: a later dialog is still created normally.
    ProbeDialog dialog;
    dialog.onInit = [](ProbeDialog& d) { d.EndDialog(IDOK); };
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

}  // namespace
