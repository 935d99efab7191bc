// The setup dialog's window: initialisation, the basic and advanced layouts, the caption and
// instruction of each layout, the description of the selected group, the megabytes required
// and available, the choice of the destination folder, and the loading and release of the
// component rows. The one file of setup/ that knows SetupDialog; the work it forwards to
// lives in the modules beside it.
#include "launcher/setup_window.h"

#include <shlobj.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "setup/components.h"
#include "framework/paint_dc.h"
#include "framework/win_app.h"
#include "base/install_script.h"
#include "setup/install_state.h"
#include "resources/resource.h"
#include "launcher/setup_dialog.h"

namespace {

constexpr const char kBrowseTitle[] = "Choose Destination Folder";
constexpr const char kPlaceholderFile[] = "tempfile.000";
constexpr const char kScriptTooLarge[] =
    "The install script lists more files than this computer's memory can hold.";
// Captions and instructions: 255 characters and the terminator.
constexpr int kTextSize = rules::kScriptTextSize;

// The control's rectangle in the dialog's client coordinates.
RECT ControlRect(const CWnd& dialog, HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    dialog.ScreenToClient(&rect);
    return rect;
}

// Moves the control dy pixels down (up when negative), keeping its size; it repaints.
void MoveControlBy(const CWnd& dialog, const CWnd* control, int dy) {
    if (control == nullptr) return;
    const RECT rect = ControlRect(dialog, control->m_hWnd);
    control->MoveWindow(rect.left, rect.top + dy, rect.right - rect.left, rect.bottom - rect.top);
}

// Makes the window dy pixels taller (shorter when negative), keeping its left, top and width.
void GrowWindowBy(const CWnd& window, int dy) {
    RECT rect{};
    window.GetWindowRect(&rect);
    window.MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top + dy);
}

int ScreenTop(const CWnd& dialog, int id) {
    RECT rect{};
    ::GetWindowRect(dialog.GetDlgItemHandle(id), &rect);
    return rect.top;
}

// Free bytes of a drive root: the caller's share from GetDiskFreeSpaceExA where the platform
// has it (looked up, since the first 32-bit platforms lack it), else clusters × sectors ×
// bytes from GetDiskFreeSpaceA, multiplied in 64 bits. 0 when the query fails.
ULONGLONG QueryFreeBytes(const char* root) {
    using FreeSpaceEx = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto freeSpaceEx = kernel == nullptr
                                 ? nullptr
                                 : reinterpret_cast<FreeSpaceEx>(reinterpret_cast<void (*)()>(
                                       GetProcAddress(kernel, "GetDiskFreeSpaceExA")));
    if (freeSpaceEx != nullptr) {
        ULARGE_INTEGER available{};
        ULARGE_INTEGER total{};
        ULARGE_INTEGER free{};
        return freeSpaceEx(root, &available, &total, &free) ? available.QuadPart : 0;
    }
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD clusters = 0;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
        return 0;
    }
    return static_cast<ULONGLONG>(freeClusters) * bytesPerSector * sectorsPerCluster;
}

// The shell's folder browser, looked up at run time: the platforms without it (Win32s, the
// first NT) must still load the launcher, and they use the open-file dialog instead.
struct ShellBrowser {
    using BrowseFn = LPITEMIDLIST(WINAPI*)(LPBROWSEINFOA);
    using PathFn = BOOL(WINAPI*)(LPCITEMIDLIST, LPSTR);
    using MallocFn = HRESULT(WINAPI*)(IMalloc**);
    BrowseFn browse = nullptr;
    PathFn getPath = nullptr;
    MallocFn getMalloc = nullptr;

    // Loads the shell once; false when it or one of its entry points is missing.
    bool Load() {
        static HMODULE shell = LoadLibraryA("shell32.dll");
        if (shell == nullptr) return false;
        browse = LookUp<BrowseFn>(shell, "SHBrowseForFolderA");
        getPath = LookUp<PathFn>(shell, "SHGetPathFromIDListA");
        getMalloc = LookUp<MallocFn>(shell, "SHGetMalloc");
        return browse != nullptr && getPath != nullptr && getMalloc != nullptr;
    }

    template <typename Fn>
    static Fn LookUp(HMODULE module, const char* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    }
};

// Opens the shell's browser at the deepest existing folder of what the destination edit
// holds. data is the setup dialog's window.
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
    if (message != BFFM_INITIALIZED) return 0;
    char path[kPathSize];
    GetDlgItemTextA(reinterpret_cast<HWND>(data), IDC_DESTINATION, path, kPathSize);
    AddTrailingBackslash(path);
    GetExistingFolderPrefix(path, path);
    RemoveTrailingBackslash(path);
    SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path));
    return 0;
}

}  // namespace

ULONGLONG GetDestinationFreeBytes(const char* folder, DriveTypeQuery query) {
    PathParts parts;
    if (!SplitPath(&parts, folder) || parts.drive[0] == '\0') return 0;
    const char root[] = {parts.drive[0], ':', '\\', '\0'};
    if (query(root) != DRIVE_FIXED) return 0;
    return QueryFreeBytes(root);
}

ULONGLONG GetSourceFileBytes(const char* sourceFolder, const char* name) {
    if (!IsSafeRelativeName(name)) return 0;
    // The size comes from the folder entry, without opening the file. FindFirstFileA reaches
    // back to the first 32-bit Windows, where GetFileAttributesExA does not; it would take
    // "*" and "?" as a pattern, and a file name holds neither.
    if (std::strpbrk(name, "*?") != nullptr) return 0;
    char path[kPathSize];
    if (!FormatPath(path, "%s%s", sourceFolder, name)) return 0;
    WIN32_FIND_DATAA data{};
    const HANDLE find = FindFirstFileA(path, &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    FindClose(find);
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void FormatMegabytes(char* text, std::size_t size, ULONGLONG bytes) {
    std::snprintf(text, size, "%.1f", static_cast<double>(bytes) / 1048576.0);
}

BOOL SetupDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    m_components.SubclassDlgItem(IDC_COMPONENTS, this);
    // How far the lower controls move up when the component area is hidden: the destination
    // frame then takes the place of the "Files:" label.
    m_layoutDistance = ScreenTop(*this, IDC_DESTINATION_FRAME) - ScreenTop(*this, IDC_FILES_LABEL);
    BuildControlLists();
    try {
        LoadComponents();
    } catch (const std::bad_alloc&) {
        // A script too large to hold: one clear message and the launcher ends, never a dialog
        // without its groups or its destination.
        FreeComponents();
        MessageBoxA(m_hWnd, kScriptTooLarge, m_paths.baseName, MB_OK | MB_ICONHAND);
        EndDialog(IDCANCEL);
        return TRUE;
    }
    SetDlgItemText(IDC_DESTINATION, m_paths.destFolder);
    UpdateTitle();
    UpdateInstruction();
    UpdateDescription();
    UpdateAvailableSpace();
    UpdateRequiredSpace();
    SetAdvancedMode(m_forceSetup ? 1 : 0);
    // More/Less is of no use when setup was forced (advanced stays) or nothing is optional.
    if (m_forceSetup == 1 || m_optionalCount == 0) {
        if (CWnd* moreLess = GetDlgItem(IDC_MORE_LESS)) {
            moreLess->ShowWindow(SW_HIDE);
            moreLess->EnableWindow(FALSE);
        }
    }
    return TRUE;
}

void SetupDialog::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC));
    RECT client{};
    GetClientRect(&client);
    const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
}

void SetupDialog::BuildControlLists() {
    static const int kDetail[] = {IDC_FILES_LABEL, IDC_COMPONENTS, IDC_DESCRIPTION_FRAME,
                                  IDC_DESCRIPTION};
    static const int kLower[] = {IDC_DESTINATION_FRAME,
                                 IDC_BROWSE,
                                 IDC_DESTINATION,
                                 IDC_REQUIRED_LABEL,
                                 IDC_REQUIRED,
                                 IDC_AVAILABLE_LABEL,
                                 IDC_AVAILABLE,
                                 IDC_MORE_LESS,
                                 IDOK,
                                 IDCANCEL};
    m_detailControls.clear();
    m_lowerControls.clear();
    for (const int id : kDetail) {
        if (CWnd* control = GetDlgItem(id)) m_detailControls.push_back(control);
    }
    for (const int id : kLower) {
        if (CWnd* control = GetDlgItem(id)) m_lowerControls.push_back(control);
    }
}

void SetupDialog::UpdateTitle() {
    char title[kTextSize];
    ReadDialogTitle(title, m_advanced, m_paths.scriptPath);
    SetWindowText(title);
}

void SetupDialog::UpdateInstruction() {
    char text[kTextSize];
    ReadDialogInstruction(text, m_advanced, m_paths.scriptPath);
    SetDlgItemText(IDC_INSTRUCTIONS, text);
    FitInstructionText();
}

void SetupDialog::FitInstructionText() {
    HWND box = GetDlgItemHandle(IDC_INSTRUCTIONS);
    if (box == nullptr) return;
    HDC dc = ::GetDC(box);
    if (dc == nullptr) return;
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    char text[kTextSize];
    ::GetWindowTextA(box, text, kTextSize);
    RECT client{};
    ::GetClientRect(box, &client);
    RECT measured = client;
    DrawTextA(dc, text, -1, &measured, DT_CALCRECT | DT_WORDBREAK);
    const int delta = measured.bottom - client.bottom;
    const RECT rect = ControlRect(*this, box);
    ::MoveWindow(box, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top + delta,
                 TRUE);
    SelectObject(dc, oldFont);
    ::ReleaseDC(box, dc);

    for (const CWnd* control : m_detailControls) MoveControlBy(*this, control, delta);
    for (const CWnd* control : m_lowerControls) MoveControlBy(*this, control, delta);
    GrowWindowBy(*this, delta);
}

void SetupDialog::SetAdvancedMode(int advanced) {
    advanced = advanced ? 1 : 0;
    if (advanced == m_advanced) return;
    const int d = advanced ? m_layoutDistance : -m_layoutDistance;
    m_advanced = advanced;
    UpdateTitle();
    UpdateInstruction();
    SetDlgItemText(IDC_MORE_LESS, advanced ? "Less <<" : "More >>");
    for (const CWnd* control : m_detailControls) {
        control->ShowWindow(advanced ? SW_SHOW : SW_HIDE);
        control->EnableWindow(advanced);
    }
    for (const CWnd* control : m_lowerControls) MoveControlBy(*this, control, d);
    GrowWindowBy(*this, d);
}

void SetupDialog::UpdateDescription() {
    const int selected = m_components.GetCurSel();
    const ComponentGroup* group =
        selected == LB_ERR ? nullptr : GetRowGroup(m_components, selected);
    SetDlgItemText(IDC_DESCRIPTION, group != nullptr ? group->description.c_str() : "");
}

void SetupDialog::UpdateAvailableSpace() {
    char folder[kPathSize];
    GetDlgItemText(IDC_DESTINATION, folder, kPathSize);
    m_available = GetDestinationFreeBytes(folder);
    char text[32];
    FormatMegabytes(text, sizeof text, m_available);
    SetDlgItemText(IDC_AVAILABLE, text);
}

void SetupDialog::UpdateRequiredSpace() {
    m_required = 0;
    const int rows = m_components.GetCount();
    for (int row = 0; row < rows; ++row) {
        if (m_components.GetCheck(row) != 1) continue;
        const ComponentGroup* group = GetRowGroup(m_components, row);
        if (group == nullptr) continue;
        for (const ComponentFile& file : group->files) {
            m_required += GetSourceFileBytes(m_paths.sourceFolder, file.name.c_str());
        }
    }
    char text[32];
    FormatMegabytes(text, sizeof text, m_required);
    SetDlgItemText(IDC_REQUIRED, text);
}

void SetupDialog::BrowseForFolder() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return;
    if (version.dwPlatformId == VER_PLATFORM_WIN32s) {
        BrowseWithOpenFileDialog();
    } else {
        BrowseWithShell();
    }
}

void SetupDialog::BrowseWithShell() {
    ShellBrowser shell;
    if (!shell.Load()) {
        BrowseWithOpenFileDialog();
        return;
    }
    char displayName[kPathSize];
    BROWSEINFOA info{};
    info.hwndOwner = m_hWnd;
    info.pidlRoot = nullptr;  // the desktop
    info.pszDisplayName = displayName;
    info.lpszTitle = kBrowseTitle;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = &BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(m_hWnd);
    LPITEMIDLIST item = shell.browse(&info);
    if (item == nullptr) return;  // cancelled

    // SHGetPathFromIDListA writes at most MAX_PATH bytes.
    char path[MAX_PATH];
    const BOOL gotPath = shell.getPath(item, path);
    // The item is released whether or not it named a file-system folder.
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(shell.getMalloc(&allocator)) && allocator != nullptr) {
        allocator->Free(item);
        allocator->Release();
    }
    // A folder whose path has no room for the trailing backslash is not taken.
    if (!gotPath || !AddTrailingBackslash(path)) return;
    SetDlgItemText(IDC_DESTINATION, path);
}

void SetupDialog::BrowseWithOpenFileDialog() {
    char folder[kPathSize];
    GetDlgItemText(IDC_DESTINATION, folder, kPathSize);
    AddTrailingBackslash(folder);
    char file[kPathSize];
    lstrcpynA(file, kPlaceholderFile, kPathSize);

    OPENFILENAMEA dialog{};
    // The size of the record that every platform knows, the first 32-bit ones included.
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = m_hWnd;
    dialog.hInstance = FrameworkResourceHandle();
    dialog.lpstrFilter = nullptr;
    dialog.lpstrFile = file;
    dialog.nMaxFile = kPathSize;
    dialog.lpstrInitialDir = folder;
    dialog.lpstrTitle = kBrowseTitle;
    dialog.Flags = OFN_HIDEREADONLY | OFN_ENABLETEMPLATE | OFN_NOTESTFILECREATE | OFN_NOCHANGEDIR;
    dialog.lpTemplateName = MAKEINTRESOURCEA(IDD_BROWSE_FOLDER);
    if (!GetOpenFileNameA(&dialog)) return;
    // The placeholder file name is dropped; the folder keeps its trailing backslash.
    char chosen[kPathSize];
    GetPathFolder(chosen, file);
    SetDlgItemText(IDC_DESTINATION, chosen);
}

int SetupDialog::LoadComponents() {
    return LoadComponentList(m_paths, m_components, m_readBuffer, &m_optionalCount);
}

int SetupDialog::FreeComponents() { return FreeComponentList(m_components); }
