#pragma once
// CStatic: a static control (label, frame or picture area).

#include "framework/wnd.h"

class CStatic : public CWnd {
public:
    CStatic() = default;
    // Sets the icon shown by an SS_ICON static; returns the previous one.
    HICON SetIcon(HICON hIcon) const {
        return reinterpret_cast<HICON>(
            SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(hIcon), 0));
    }
};
