#include "framework/check_list_box.h"

#include <string>

namespace {

// The check box's side in pixels: the platform's menu check size, at most the row height
// less a pixel above and below.
int CheckBoxSide(int rowHeight) {
    const int side = ::GetSystemMetrics(SM_CYMENUCHECK);
    const int fit = rowHeight - 2;
    return side < fit ? side : (fit > 0 ? fit : 1);
}

}  // namespace

CCheckListBox::Row* CCheckListBox::RowAt(int nIndex) {
    const int count = GetCount();
    if (nIndex < 0 || nIndex >= count) return nullptr;
    // Rows added behind the wrapper's back (before it was bound) start clear and enabled.
    if (m_rows.size() < static_cast<std::size_t>(count))
        m_rows.resize(static_cast<std::size_t>(count), Row{0, true});
    return &m_rows[static_cast<std::size_t>(nIndex)];
}

int CCheckListBox::CheckCellWidth() const {
    // The check box sits in a square cell at the left of the row.
    const int height = GetItemHeight(0);
    return height > 0 ? height : ::GetSystemMetrics(SM_CYMENUCHECK) + 2;
}

RECT CCheckListBox::CheckBoxInRow(const RECT& row) {
    const int height = row.bottom - row.top;
    const int side = CheckBoxSide(height);
    RECT box;
    box.left = row.left + (height - side) / 2;
    box.top = row.top + (height - side) / 2;
    box.right = box.left + side;
    box.bottom = box.top + side;
    return box;
}

BOOL CCheckListBox::GetCheckBoxRect(int nIndex, RECT* rect) const {
    RECT row;
    if (GetItemRect(nIndex, &row) == LB_ERR) return FALSE;
    *rect = CheckBoxInRow(row);
    return TRUE;
}

void CCheckListBox::PreSubclassWindow() {
    m_rows.assign(static_cast<std::size_t>(GetCount() > 0 ? GetCount() : 0), Row{0, true});
    // The row height was measured when the list was created, before it was bound: make room for
    // the check box.
    const int minimum = ::GetSystemMetrics(SM_CYMENUCHECK) + 2;
    if (GetItemHeight(0) < minimum) SetItemHeight(0, static_cast<UINT>(minimum));
}

void CCheckListBox::PostNcDestroy() { m_rows.clear(); }

void CCheckListBox::InvalidateRow(int nIndex) const {
    RECT rect;
    if (GetItemRect(nIndex, &rect) != LB_ERR) InvalidateRect(&rect, FALSE);
}

void CCheckListBox::Toggle(int nIndex) {
    Row* row = RowAt(nIndex);
    if (row == nullptr || !row->enabled || !IsWindowEnabled()) return;
    row->check = row->check ? 0 : 1;
    InvalidateRow(nIndex);
    ::SendMessageA(GetParentHandle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), CLBN_CHKCHANGE),
                   reinterpret_cast<LPARAM>(m_hWnd));
}

LRESULT CCheckListBox::OnButtonDown(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT hit = SendMessage(LB_ITEMFROMPOINT, 0, lParam);
    if (HIWORD(hit) == 0) {
        const int index = LOWORD(hit);
        RECT row;
        const int x = static_cast<short>(LOWORD(lParam));
        if (GetItemRect(index, &row) != LB_ERR && x >= row.left &&
            x < row.left + CheckCellWidth()) {
            // Toggle before the list's own handling, so the selection-change notification that may
            // follow already sees the new check.
            Toggle(index);
        }
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CCheckListBox::OnKeyDown(WPARAM wParam, LPARAM lParam) {
    if (wParam != VK_SPACE) return Default();
    // One toggle per press: auto-repeat (bit 30 set: the key was already down) changes nothing.
    if ((static_cast<unsigned long>(lParam) & 0x40000000UL) == 0) {
        Toggle(static_cast<int>(SendMessage(LB_GETCARETINDEX)));
    }
    return 0;
}

LRESULT CCheckListBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            return OnButtonDown(message, wParam, lParam);
        case WM_KEYDOWN:
            return OnKeyDown(wParam, lParam);
        case WM_CHAR:
            if (wParam == ' ') return 0;  // the space bar toggles; it does not search the rows
            return Default();
        case LB_ADDSTRING:
        case LB_INSERTSTRING: {
            const LRESULT index = Default();
            if (index >= 0 && RowAt(static_cast<int>(index)) != nullptr) {
                // RowAt has grown the rows to the list's count; put the new row at its own place.
                const auto at = static_cast<std::size_t>(index);
                if (m_rows.size() > at) {
                    m_rows.pop_back();
                    m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(at), Row{0, true});
                }
            }
            return index;
        }
        case LB_DELETESTRING: {
            const LRESULT left = Default();
            if (left != LB_ERR && wParam < m_rows.size())
                m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(wParam));
            return left;
        }
        case LB_RESETCONTENT:
            m_rows.clear();
            return Default();
        case CLBM_GETCHECK: {
            const Row* row = RowAt(static_cast<int>(wParam));
            return row != nullptr ? row->check : LB_ERR;
        }
        case CLBM_SETCHECK: {
            Row* row = RowAt(static_cast<int>(wParam));
            if (row == nullptr) return LB_ERR;
            row->check = lParam != 0 ? 1 : 0;
            InvalidateRow(static_cast<int>(wParam));
            return 0;
        }
        case CLBM_ENABLE: {
            Row* row = RowAt(static_cast<int>(wParam));
            if (row == nullptr) return LB_ERR;
            row->enabled = lParam != 0;
            InvalidateRow(static_cast<int>(wParam));
            return 0;
        }
        case CLBM_ISENABLED: {
            const Row* row = RowAt(static_cast<int>(wParam));
            if (row == nullptr) return LB_ERR;
            return row->enabled ? 1 : 0;
        }
        default:
            return Default();
    }
}

BOOL CCheckListBox::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* pResult) {
    switch (message) {
        case WM_DRAWITEM:
            DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            *pResult = TRUE;
            return TRUE;
        case WM_MEASUREITEM:
            MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            *pResult = TRUE;
            return TRUE;
        default:
            return FALSE;
    }
}

void CCheckListBox::MeasureItem(MEASUREITEMSTRUCT& item) const {
    const UINT minimum = static_cast<UINT>(::GetSystemMetrics(SM_CYMENUCHECK) + 2);
    if (item.itemHeight < minimum) item.itemHeight = minimum;
}

void CCheckListBox::DrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    if (item.itemID == static_cast<UINT>(-1)) {
        // An empty list with the focus shows the focus rectangle only.
        if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &rect);
        return;
    }
    const int index = static_cast<int>(item.itemID);
    const Row* row = RowAt(index);
    const bool enabled = row != nullptr && row->enabled && IsWindowEnabled();
    const bool checked = row != nullptr && row->check != 0;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;

    // Check box cell on the window colour, the text on the selection colour when selected.
    RECT cell = rect;
    cell.right = cell.left + CheckCellWidth();
    ::FillRect(dc, &cell, ::GetSysColorBrush(COLOR_WINDOW));
    RECT box = CheckBoxInRow(rect);
    UINT state = DFCS_BUTTONCHECK;
    if (checked) state |= DFCS_CHECKED;
    if (!enabled) state |= DFCS_INACTIVE;
    ::DrawFrameControl(dc, &box, DFC_BUTTON, state);

    RECT textRect = rect;
    textRect.left = cell.right;
    ::FillRect(dc, &textRect, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const int length = GetTextLen(index);
    if (length > 0) {
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        const int got = static_cast<int>(SendMessage(LB_GETTEXT, static_cast<WPARAM>(index),
                                                     reinterpret_cast<LPARAM>(text.data())));
        if (got > 0 && got <= length) {
            const COLORREF oldColor =
                ::SetTextColor(dc, ::GetSysColor(!enabled   ? COLOR_GRAYTEXT
                                                 : selected ? COLOR_HIGHLIGHTTEXT
                                                            : COLOR_WINDOWTEXT));
            const int oldMode = ::SetBkMode(dc, TRANSPARENT);
            RECT inner = textRect;
            inner.left += 2;
            ::DrawTextA(dc, text.c_str(), got, &inner,
                        DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
            ::SetBkMode(dc, oldMode);
            ::SetTextColor(dc, oldColor);
        }
    }
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &textRect);
}
