#pragma once
// CListBox: a list box. Index results are LB_ERR (-1) on error.

#include "framework/wnd.h"

class CListBox : public CWnd {
public:
    CListBox() = default;

    // Attributes
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    // The selected row of a single-selection list, or LB_ERR when none is selected.
    int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    // The row's item data, or static_cast<DWORD_PTR>(LB_ERR) when the row does not exist.
    DWORD_PTR GetItemData(int nIndex) const {
        return static_cast<DWORD_PTR>(SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(nIndex)));
    }
    int SetItemData(int nIndex, DWORD_PTR dwItemData) const {
        return static_cast<int>(SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(nIndex),
                                            static_cast<LPARAM>(dwItemData)));
    }
    int SetItemDataPtr(int nIndex, void* pData) const {
        return SetItemData(nIndex, reinterpret_cast<DWORD_PTR>(pData));
    }
    int GetTextLen(int nIndex) const {
        return static_cast<int>(SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(nIndex)));
    }
    int GetItemRect(int nIndex, RECT* rect) const {
        return static_cast<int>(SendMessage(LB_GETITEMRECT, static_cast<WPARAM>(nIndex),
                                            reinterpret_cast<LPARAM>(rect)));
    }
    int GetItemHeight(int nIndex) const {
        return static_cast<int>(SendMessage(LB_GETITEMHEIGHT, static_cast<WPARAM>(nIndex)));
    }
    int SetItemHeight(int nIndex, UINT cyItemHeight) const {
        return static_cast<int>(SendMessage(LB_SETITEMHEIGHT, static_cast<WPARAM>(nIndex),
                                            static_cast<LPARAM>(cyItemHeight)));
    }

    // Operations
    // Appends a row (sorted lists: inserts in order); returns its index, LB_ERR or LB_ERRSPACE.
    int AddString(const char* text) const {
        return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    // Removes a row; returns the rows left or LB_ERR.
    int DeleteString(int nIndex) const {
        return static_cast<int>(SendMessage(LB_DELETESTRING, static_cast<WPARAM>(nIndex)));
    }
    void ResetContent() const { SendMessage(LB_RESETCONTENT); }
};
