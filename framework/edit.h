#pragma once
// CEdit: a single-line edit control.

#include "framework/wnd.h"

class CEdit : public CWnd {
public:
    CEdit() = default;
    // Limits what the user can type to nChars characters.
    void SetLimitText(UINT nChars) const { SendMessage(EM_SETLIMITTEXT, nChars); }
    // Selects characters nStart to nEnd (-1: to the end).
    void SetSel(int nStart, int nEnd) const {
        SendMessage(EM_SETSEL, static_cast<WPARAM>(nStart), static_cast<LPARAM>(nEnd));
    }
};
