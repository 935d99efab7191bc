// PictureFrame: the area of the start-up message in which the picture is drawn. The dialog
// draws into it through the frame's own device context; the control never paints anything,
// so that nothing it draws can cover the picture.
#pragma once

#include "framework/static_ctrl.h"

class PictureFrame : public CStatic {
public:
    PictureFrame() = default;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Paint: validates the whole client area without drawing.
    void OnPaint();
};
