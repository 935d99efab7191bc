#pragma once
// CProgressCtrl: the common controls' progress bar ("msctls_progress32").

#include "framework/wnd.h"

#include <commctrl.h>

class CProgressCtrl : public CWnd {
public:
    CProgressCtrl() = default;
    // Range of positions; the control's default is 0..100.
    void SetRange(short nLower, short nUpper) const {
        SendMessage(PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper));
    }
    // Moves the bar to nPos (the control clamps it to its range); returns the previous position.
    int SetPos(int nPos) const {
        return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(nPos)));
    }
};
