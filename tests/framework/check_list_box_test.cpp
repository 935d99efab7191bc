#include "framework/framework.h"
#include "tests/framework/test_resource.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Notification {
    UINT code;
    int checkOfRow1;  // row 1's check when the notification arrived
};

// A dialog holding the check-list and recording what the list tells it.
class ListDialog : public CDialog {
public:
    ListDialog() : CDialog(IDD_TEST) {}
    CCheckListBox list;
    std::vector<Notification> notifications;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_TEST_LIST, list); }
    BOOL OnCommand(UINT nID, UINT nCode, HWND hWndCtrl) override {
        switch (nID) {
            case IDC_TEST_LIST:
                notifications.push_back(Notification{nCode, list.GetCheck(1)});
                return TRUE;
            default:
                return CDialog::OnCommand(nID, nCode, hWndCtrl);
        }
    }
};

class CheckList : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.Create(IDD_TEST));
        dialog.ShowWindow(SW_SHOWNA);
        for (const char* text : {"Required", "Optional", "Extras"})
            ASSERT_GE(list().AddString(text), 0);
        list().SetCheck(0, 1);
        list().Enable(0, FALSE);
    }
    CCheckListBox& list() { return dialog.list; }

    LPARAM BoxCentre(int row) {
        RECT box;
        EXPECT_TRUE(list().GetCheckBoxRect(row, &box));
        return MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    }
    LPARAM TextPoint(int row) {
        RECT item;
        list().GetItemRect(row, &item);
        return MAKELPARAM(item.right - 5, (item.top + item.bottom) / 2);
    }
    void Click(LPARAM at, bool twice = false) {
        list().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        list().SendMessage(WM_LBUTTONUP, 0, at);
        if (twice) {
            list().SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            list().SendMessage(WM_LBUTTONUP, 0, at);
        }
    }
    int Count(UINT code) const {
        int n = 0;
        for (const Notification& note : dialog.notifications) n += note.code == code ? 1 : 0;
        return n;
    }

    ListDialog dialog;
};

TEST_F(CheckList, RowsKeepCheckEnabledStateAndItemDataThroughInsertAndDelete) {
    list().SetItemData(2, 0xC0FFEE);
    list().SetCheck(2, 1);
    ASSERT_EQ(list().SendMessage(LB_INSERTSTRING, 1, reinterpret_cast<LPARAM>("Inserted")), 1);
    EXPECT_EQ(list().GetCount(), 4);
    // {check, enabled, data} per row after the insertion.
    const struct {
        int check;
        BOOL enabled;
    } expected[] = {{1, FALSE}, {0, TRUE}, {0, TRUE}, {1, TRUE}};
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(list().GetCheck(row), expected[row].check) << row;
        EXPECT_EQ(list().IsEnabled(row), expected[row].enabled) << row;
    }
    EXPECT_EQ(list().GetItemData(3), 0xC0FFEEu);

    list().DeleteString(0);
    EXPECT_EQ(list().GetCheck(2), 1);
    EXPECT_TRUE(list().IsEnabled(0));
    EXPECT_EQ(list().GetItemData(2), 0xC0FFEEu);

    // Rows that do not exist answer LB_ERR.
    EXPECT_EQ(list().GetCheck(3), LB_ERR);
    EXPECT_EQ(list().GetCheck(-1), LB_ERR);
    EXPECT_FALSE(list().IsEnabled(7));
    EXPECT_EQ(list().GetItemData(9), static_cast<DWORD_PTR>(LB_ERR));

    list().ResetContent();
    EXPECT_EQ(list().GetCount(), 0);
    ASSERT_EQ(list().AddString("Fresh"), 0);
    EXPECT_EQ(list().GetCheck(0), 0);
    EXPECT_TRUE(list().IsEnabled(0));
}

TEST_F(CheckList, ClickInTheBoxTogglesAndNotifiesBeforeTheSelectionChange) {
    Click(BoxCentre(1));
    EXPECT_EQ(list().GetCheck(1), 1);
    ASSERT_EQ(Count(CLBN_CHKCHANGE), 1);
    EXPECT_EQ(dialog.notifications.front().code, static_cast<UINT>(CLBN_CHKCHANGE));
    EXPECT_EQ(list().GetCurSel(), 1);
    for (const Notification& note : dialog.notifications) {
        if (note.code == LBN_SELCHANGE) {
            EXPECT_EQ(note.checkOfRow1, 1) << "selection change sees the new check";
        }
    }

    Click(BoxCentre(1));
    EXPECT_EQ(list().GetCheck(1), 0);
    EXPECT_EQ(Count(CLBN_CHKCHANGE), 2);
}

TEST_F(CheckList, ClickOnTheTextSelectsWithoutToggling) {
    Click(TextPoint(2));
    EXPECT_EQ(list().GetCheck(2), 0);
    EXPECT_EQ(Count(CLBN_CHKCHANGE), 0);
    EXPECT_EQ(list().GetCurSel(), 2);
    EXPECT_EQ(Count(LBN_SELCHANGE), 1);
}

TEST_F(CheckList, DisabledRowRefusesEveryToggleButCanBeSelected) {
    Click(BoxCentre(0));
    Click(BoxCentre(0), true);
    list().SendMessage(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(list().GetCheck(0), 1);
    EXPECT_EQ(Count(CLBN_CHKCHANGE), 0);
    EXPECT_EQ(list().GetCurSel(), 0);

    // Code may still change a disabled row's check.
    list().SetCheck(0, 0);
    EXPECT_EQ(list().GetCheck(0), 0);
}

TEST_F(CheckList, DoubleClickInTheBoxTogglesTwiceAndReportsTheDoubleClick) {
    Click(BoxCentre(2), true);
    EXPECT_EQ(list().GetCheck(2), 0);
    EXPECT_EQ(Count(CLBN_CHKCHANGE), 2);
    EXPECT_EQ(Count(LBN_DBLCLK), 1);
}

TEST_F(CheckList, SpaceBarTogglesTheFocusedRowOncePerPress) {
    list().SendMessage(LB_SETCURSEL, 1);
    list().SendMessage(WM_KEYDOWN, VK_SPACE, 1);
    list().SendMessage(WM_CHAR, ' ', 1);
    list().SendMessage(WM_KEYDOWN, VK_SPACE, 0x40000001);  // auto-repeat
    list().SendMessage(WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0000001u));
    EXPECT_EQ(list().GetCheck(1), 1);
    EXPECT_EQ(Count(CLBN_CHKCHANGE), 1);
    EXPECT_EQ(list().GetCurSel(), 1) << "the space does not search the rows";
}

// Draws row `row` through the parent's WM_DRAWITEM into a memory bitmap and counts the pixels
// of colour `colour` in the text part and all differing pixels in the box part.
struct Drawn {
    int textPixels;
    std::vector<COLORREF> box;
};
Drawn DrawRow(ListDialog& dialog, int row, COLORREF colour) {
    CCheckListBox& list = dialog.list;
    RECT item;
    list.GetItemRect(row, &item);
    const int width = item.right - item.left, height = item.bottom - item.top;
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
    HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HFONT>(list.SendMessage(WM_GETFONT)));
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_LISTBOX;
    draw.CtlID = IDC_TEST_LIST;
    draw.itemID = static_cast<UINT>(row);
    draw.itemAction = ODA_DRAWENTIRE;
    draw.hwndItem = list.m_hWnd;
    draw.hDC = dc;
    draw.rcItem = RECT{0, 0, width, height};
    draw.itemData = list.GetItemData(row);
    EXPECT_EQ(dialog.SendMessage(WM_DRAWITEM, IDC_TEST_LIST, reinterpret_cast<LPARAM>(&draw)),
              TRUE);
    Drawn drawn{0, {}};
    RECT box;
    list.GetCheckBoxRect(row, &box);
    ::OffsetRect(&box, -item.left, -item.top);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF pixel = ::GetPixel(dc, x, y);
            if (x >= box.right + 2 && pixel == colour) ++drawn.textPixels;
            if (x >= box.left && x < box.right && y >= box.top && y < box.bottom)
                drawn.box.push_back(pixel);
        }
    }
    ::SelectObject(dc, oldFont);
    ::SelectObject(dc, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return drawn;
}

TEST_F(CheckList, DrawsItselfGreyForDisabledRowsAndShowsTheCheck) {
    const COLORREF grey = ::GetSysColor(COLOR_GRAYTEXT), black = ::GetSysColor(COLOR_WINDOWTEXT);
    ASSERT_NE(grey, black);
    EXPECT_GT(DrawRow(dialog, 0, grey).textPixels, 0) << "disabled row in grey text";
    EXPECT_EQ(DrawRow(dialog, 0, black).textPixels, 0);
    EXPECT_GT(DrawRow(dialog, 1, black).textPixels, 0) << "enabled row in window text";

    const std::vector<COLORREF> clear = DrawRow(dialog, 1, black).box;
    list().SetCheck(1, 1);
    const std::vector<COLORREF> ticked = DrawRow(dialog, 1, black).box;
    ASSERT_FALSE(clear.empty());
    EXPECT_NE(clear, ticked) << "the check mark shows";
}

}  // namespace
