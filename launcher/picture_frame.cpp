#include "launcher/picture_frame.h"

LRESULT PictureFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            OnPaint();
            return 0;
        default:
            return CStatic::OnMessage(message, wParam, lParam);
    }
}

void PictureFrame::OnPaint() {
    // The picture is the dialog's to draw; validating keeps the control from erasing it.
    ValidateRect(nullptr);
}
