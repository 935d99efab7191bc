#pragma once
// CCheckListBox: an owner-drawn list box (LBS_OWNERDRAWFIXED | LBS_HASSTRINGS) with a check
// box in front of every row. A row can be disabled: it is drawn greyed and the user cannot
// change its check. A click in the box, a double click there, or the space bar on the focused
// row toggles the check and sends the parent WM_COMMAND with CLBN_CHKCHANGE; selection and
// double-click notifications reach the parent as from any list box.
//
// The control must be subclassed (DDX_Control or SubclassDlgItem) to work: the check states
// live in the wrapper, which answers the CLBM_ messages below. These messages carry only
// numbers, so another process can read and set checks as well.

#include "framework/list_box.h"

#include <vector>

// Notification code (HIWORD of wParam of WM_COMMAND): the user toggled a row's check.
#define CLBN_CHKCHANGE 40

// Check-list messages. wParam: row index. Results: LB_ERR for a row that does not exist.
#define CLBM_GETCHECK (WM_USER + 0x180)   // returns the row's check state
#define CLBM_SETCHECK (WM_USER + 0x181)   // lParam: new state (0 or 1); returns 0
#define CLBM_ENABLE (WM_USER + 0x182)     // lParam: non-zero enables the row; returns 0
#define CLBM_ISENABLED (WM_USER + 0x183)  // returns 1 when the row is enabled, else 0

class CCheckListBox : public CListBox {
public:
    CCheckListBox() = default;

    // Row's check state (0 or 1), or LB_ERR for a row that does not exist.
    int GetCheck(int nIndex) const {
        return static_cast<int>(SendMessage(CLBM_GETCHECK, static_cast<WPARAM>(nIndex)));
    }
    // Sets the row's check state (any non-zero value checks it), also on a disabled row: only
    // the user is refused. Sends no notification.
    void SetCheck(int nIndex, int nCheck) const {
        SendMessage(CLBM_SETCHECK, static_cast<WPARAM>(nIndex), nCheck);
    }
    void Enable(int nIndex, BOOL bEnabled = TRUE) const {
        SendMessage(CLBM_ENABLE, static_cast<WPARAM>(nIndex), bEnabled);
    }
    BOOL IsEnabled(int nIndex) const {
        return SendMessage(CLBM_ISENABLED, static_cast<WPARAM>(nIndex)) == 1;
    }

    // The rectangle of row nIndex's check box in client coordinates. FALSE when the row does
    // not exist.
    BOOL GetCheckBoxRect(int nIndex, RECT* rect) const;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void PreSubclassWindow() override;
    void PostNcDestroy() override;

private:
    struct Row {
        int check;
        bool enabled;
    };
    Row* RowAt(int nIndex);
    static RECT CheckBoxInRow(const RECT& row);
    LRESULT OnButtonDown(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);
    void Toggle(int nIndex);
    void InvalidateRow(int nIndex) const;
    void DrawItem(const DRAWITEMSTRUCT& item);
    void MeasureItem(MEASUREITEMSTRUCT& item) const;
    int CheckCellWidth() const;

    std::vector<Row> m_rows;
};
