// StartupMessageDialog: the start-up message, a caption-less modal dialog that shows one
// picture at its natural size with a "don't show again" box and OK below it. The picture is
// loaded when the window is created (no picture, no window), the dialog and its controls are
// fitted to it and centred on the screen, and the picture's palette is kept realised while
// the system palette changes.
#pragma once

#include <windows.h>

#include "framework/button.h"
#include "framework/dialog.h"
#include "launcher/picture_frame.h"
#include "toolkit/dispsurf.h"

class StartupMessageDialog : public CDialog {
public:
    // Constructors
    // Copies pictureName (a path as written in the install script); loads nothing. A name that
    // does not fit the 260-byte buffer is kept empty, so it never names another file.
    explicit StartupMessageDialog(const char* pictureName, CWnd* pParent = nullptr);

    // Attributes
    // 1 when the user left the don't-show-again box clear, 0 when the box was ticked.
    int GetShowAgain() const { return m_dontShowAgain == 0 ? 1 : 0; }

    CButton m_okButton;                   // item 1
    CButton m_checkBox;                   // item 1018
    PictureFrame m_pictureFrame;          // item 1019: where the picture is drawn
    int m_dontShowAgain = 0;              // check state of item 1018: 0 clear, 1 ticked
    char m_pictureName[260];              // the picture's path
    DisplaySurface* m_picture = nullptr;  // owned; set from creation to destruction

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // Exchanges data (the box starts clear) and fits the layout to the picture.
    BOOL OnInitDialog() override;
    BOOL OnCommand(UINT nID, UINT nCode, HWND hWndCtrl) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Draws the picture into the frame with the picture's palette in the foreground.
    void OnPaint();
    void OnShowWindow();
    // Creation: loads the picture; -1 refuses the window when that fails.
    int OnCreate();
    // Frees the picture.
    void OnDestroy();
    // The box was clicked: the flag follows it at once.
    void OnDontShowAgainClicked();
    void OnActivate();
    void OnPaletteChanged(HWND hWndChanger);
    BOOL OnQueryNewPalette();

    // Grows or shrinks the dialog and the frame so that the frame's client area has the
    // picture's size, moves the check box and OK along, and centres the dialog on the screen.
    void LayoutToPicture();
    // Realises the picture's palette on the frame and repaints the dialog without erasing.
    void RealizePicturePalette();
};
