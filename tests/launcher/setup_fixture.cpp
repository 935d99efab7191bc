#include "tests/launcher/setup_fixture.h"

#include <cstring>
#include <vector>

#include "resources/resource.h"

void SetupDialogTest::SetUp() { ASSERT_TRUE(CreateDirectoryA(Source().c_str(), nullptr)); }

void SetupDialogTest::WriteScript(const std::string& text) const {
    const std::string path = Source() + "PUZZLE.inf";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

void SetupDialogTest::WriteSource(const std::string& name, std::size_t size) const {
    ASSERT_TRUE(WriteFileAt(Source() + name, 100, ""));
    HANDLE file = CreateFileA((Source() + name).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const std::vector<char> bytes(size, 'x');
    DWORD written = 0;
    if (size > 0) WriteFile(file, bytes.data(), static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, size);
}

SetupDialog& SetupDialogTest::Open(int forceSetup) {
    Close();
    m_dialog = std::make_unique<SetupDialog>();
    ProductPaths& paths = SetupDialogTestAccess::Paths(*m_dialog);
    std::strcpy(paths.sourceFolder, Source().c_str());
    std::strcpy(paths.destFolder, Dest().c_str());
    std::strcpy(paths.sharedIniPath, Shared().c_str());
    std::strcpy(paths.scriptPath, (Source() + "PUZZLE.inf").c_str());
    std::strcpy(paths.baseName, "PUZZLE");
    m_dialog->SetForceSetup(forceSetup);
    EXPECT_TRUE(m_dialog->Create(IDD_SETUP));
    EXPECT_EQ(SetupDialogTestAccess::Shown(*m_dialog), 1);
    return *m_dialog;
}

void SetupDialogTest::Close() {
    if (m_dialog && m_dialog->m_hWnd != nullptr) m_dialog->DestroyWindow();
    m_dialog.reset();
}

std::string SetupDialogTest::Text(int id) const {
    char text[4096] = "";
    GetDlgItemTextA(m_dialog->m_hWnd, id, text, sizeof text);
    return text;
}

std::string SetupDialogTest::Caption() const {
    char text[4096] = "";
    GetWindowTextA(m_dialog->m_hWnd, text, sizeof text);
    return text;
}

RECT SetupDialogTest::Rect(int id) const {
    RECT rect{};
    GetWindowRect(GetDlgItem(m_dialog->m_hWnd, id), &rect);
    MapWindowPoints(nullptr, m_dialog->m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT SetupDialogTest::WindowRect() const {
    RECT rect{};
    GetWindowRect(m_dialog->m_hWnd, &rect);
    return rect;
}

bool SetupDialogTest::Visible(int id) const {
    return (GetWindowLongA(GetDlgItem(m_dialog->m_hWnd, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool SetupDialogTest::Enabled(int id) const {
    return IsWindowEnabled(GetDlgItem(m_dialog->m_hWnd, id)) != FALSE;
}

void SetupDialogTest::Notify(int id, UINT code) const {
    SendMessageA(m_dialog->m_hWnd, WM_COMMAND, MAKEWPARAM(id, code),
                 reinterpret_cast<LPARAM>(GetDlgItem(m_dialog->m_hWnd, id)));
}
