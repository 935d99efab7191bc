#pragma once
// CButton: a push button, check box or radio button.

#include "framework/wnd.h"

class CButton : public CWnd {
public:
    CButton() = default;
    // BST_UNCHECKED (0), BST_CHECKED (1) or BST_INDETERMINATE (2).
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int nCheck) const { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }
};
