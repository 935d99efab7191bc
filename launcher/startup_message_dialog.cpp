#include "launcher/startup_message_dialog.h"

#include <cstring>

#include "framework/data_exchange.h"
#include "framework/paint_dc.h"
#include "resources/resource.h"

StartupMessageDialog::StartupMessageDialog(const char* pictureName, CWnd* pParent)
    : CDialog(IDD_STARTUP_MESSAGE, pParent) {
    m_pictureName[0] = '\0';
    // A name cut to the buffer could name another file: a name that does not fit stays empty,
    // and the picture then fails to load like any missing one.
    if (pictureName != nullptr && std::strlen(pictureName) < sizeof m_pictureName) {
        std::strcpy(m_pictureName, pictureName);
    }
}

void StartupMessageDialog::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDOK, m_okButton);
    DDX_Control(pDX, IDC_DONT_SHOW_AGAIN, m_checkBox);
    DDX_Control(pDX, IDC_PICTURE, m_pictureFrame);
    DDX_Check(pDX, IDC_DONT_SHOW_AGAIN, m_dontShowAgain);
}

BOOL StartupMessageDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    LayoutToPicture();
    // TRUE: the dialog manager gives the focus to the first tab stop, the OK button.
    return TRUE;
}

BOOL StartupMessageDialog::OnCommand(UINT nID, UINT nCode, HWND hWndCtrl) {
    switch (nID) {
        case IDC_DONT_SHOW_AGAIN:
            if (nCode != BN_CLICKED) return FALSE;
            OnDontShowAgainClicked();
            return TRUE;
        default:
            return CDialog::OnCommand(nID, nCode, hWndCtrl);
    }
}

LRESULT StartupMessageDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_SHOWWINDOW:
            OnShowWindow();
            return 0;
        case WM_CREATE:
            return OnCreate();
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_ACTIVATE:
            OnActivate();
            return 0;
        case WM_PALETTECHANGED:
            OnPaletteChanged(reinterpret_cast<HWND>(wParam));
            return 0;
        case WM_QUERYNEWPALETTE:
            return OnQueryNewPalette();
        default:
            return CDialog::OnMessage(message, wParam, lParam);
    }
}

int StartupMessageDialog::OnCreate() {
    if (Default() == -1) return -1;
    m_picture = SURFACE_LoadPicture(m_pictureName, 0);
    // No picture, no message: refusing the window ends the modal run with -1.
    return m_picture != nullptr ? 0 : -1;
}

void StartupMessageDialog::OnDestroy() {
    Default();
    if (m_picture != nullptr) {
        SURFACE_Free(m_picture);
        m_picture = nullptr;
    }
}

void StartupMessageDialog::OnDontShowAgainClicked() { UpdateData(TRUE); }

void StartupMessageDialog::LayoutToPicture() {
    if (m_picture == nullptr) return;
    RECT dialog, frame, check, ok, client;
    GetWindowRect(&dialog);
    m_pictureFrame.GetWindowRect(&frame);
    m_checkBox.GetWindowRect(&check);
    m_okButton.GetWindowRect(&ok);
    m_pictureFrame.GetClientRect(&client);

    const int dx = m_picture->width - (client.right - client.left);
    const int dy = m_picture->height - (client.bottom - client.top);
    dialog.right += dx;
    dialog.bottom += dy;
    frame.right += dx;
    frame.bottom += dy;
    // The controls keep their distance from the bottom edge and follow half the change of
    // width (integer division truncates toward zero, also for a shrinking picture).
    OffsetRect(&check, dx / 2, dy);
    OffsetRect(&ok, dx / 2, dy);

    ScreenToClient(&frame);
    ScreenToClient(&check);
    ScreenToClient(&ok);

    // A picture much narrower than the frame would move the check box past the dialog's left
    // edge and the OK button past its right one. The two then keep the smallest shift that
    // leaves them inside, and the dialog stays as wide as they need.
    if (check.left < 0) {
        const int back = -check.left;
        OffsetRect(&check, back, 0);
        OffsetRect(&ok, back, 0);
    }
    RECT dialogClient;
    GetClientRect(&dialogClient);
    const int clientWidth = dialogClient.right + dx;
    if (ok.right > clientWidth) dialog.right += ok.right - clientWidth;

    const int width = dialog.right - dialog.left;
    const int height = dialog.bottom - dialog.top;
    MoveWindow((GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, TRUE);
    m_pictureFrame.MoveWindow(&frame, TRUE);
    m_checkBox.MoveWindow(&check, TRUE);
    m_okButton.MoveWindow(&ok, TRUE);
}

void StartupMessageDialog::OnPaint() {
    CPaintDC paint(this);  // validates the dialog; nothing is drawn into it
    if (m_picture == nullptr) return;
    HDC dc = m_pictureFrame.GetDC();
    if (dc == nullptr) return;
    HPALETTE previous = SelectPalette(dc, m_picture->palette, FALSE);
    RealizePalette(dc);
    SURFACE_Draw(dc, 0, 0, m_picture);
    SelectPalette(dc, previous, FALSE);
    m_pictureFrame.ReleaseDC(dc);
}

void StartupMessageDialog::RealizePicturePalette() {
    if (m_picture == nullptr) return;
    HDC dc = m_pictureFrame.GetDC();
    if (dc == nullptr) return;
    HPALETTE previous = SelectPalette(dc, m_picture->palette, FALSE);
    RealizePalette(dc);
    SelectPalette(dc, previous, FALSE);
    m_pictureFrame.ReleaseDC(dc);
    InvalidateRect(nullptr, FALSE);
    UpdateWindow();
}

BOOL StartupMessageDialog::OnQueryNewPalette() {
    RealizePicturePalette();
    return TRUE;
}

void StartupMessageDialog::OnPaletteChanged(HWND hWndChanger) {
    // A change that this dialog's own realisation caused must not start another one.
    if (hWndChanger == m_hWnd || hWndChanger == m_pictureFrame.m_hWnd) return;
    RealizePicturePalette();
}

void StartupMessageDialog::OnActivate() {
    // No default processing: the dialog repaints itself with its palette realised.
    RealizePicturePalette();
    Invalidate(TRUE);
    UpdateWindow();
}

void StartupMessageDialog::OnShowWindow() {
    Default();
    OnActivate();
}
