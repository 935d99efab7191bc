"""Checks that a built launcher.exe is what ships and loads on the oldest Windows it is meant
for: an image of the expected machine for the Windows GUI subsystem, and every function
it imports is looked up in the table below, which gives the first Windows version whose DLL
exports it. An import missing from the table, or one newer than the floor, fails with its
name; so does a header that asks for a newer system than the floor. The floor is Windows XP
for the 32-bit build and the first 64-bit Windows (XP x64 and Server 2003 SP1) for the 64-bit
one. Reads the file only, so it runs on hosts that cannot run the image.

    check_imports.py EXE i386|x86-64

Prints the oldest Windows whose exports cover the import table. The versions are those of
the Windows NT line, on which every 32-bit and 64-bit Windows since XP stands. Where the
first version of a function is in doubt the table names the later candidate, so the oldest
system printed errs towards newer, never older. To add an import, add its function with the
first version that has it; one newer than the floor must be looked up at run time instead.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe_image import PeError, read_image  # noqa: E402

# Windows versions of the NT line in order, each with the version number an image header uses.
VERSIONS = [
    ("Windows NT 3.1", (3, 10)),
    ("Windows NT 3.5", (3, 50)),
    ("Windows NT 3.51", (3, 51)),
    ("Windows NT 4.0", (4, 0)),
    ("Windows 2000", (5, 0)),
    ("Windows XP", (5, 1)),
    ("Windows XP x64 / Server 2003 SP1", (5, 2)),
    ("Windows Vista", (6, 0)),
    ("Windows 7", (6, 1)),
    ("Windows 8", (6, 2)),
    ("Windows 8.1", (6, 3)),
    ("Windows 10", (10, 0)),
]
NT31, NT35, NT351, NT4, W2000, XP, XP64, VISTA, WIN7, WIN8, WIN81, WIN10 = range(len(VERSIONS))

# The oldest system each build must load on. x86-64 Windows begins with XP x64.
FLOORS = {"i386": XP, "x86-64": XP64}

KERNEL32 = {
    # Files, folders, profiles and processes: what the launcher itself calls.
    "CloseHandle": NT31, "CompareFileTime": NT31, "CreateDirectoryA": NT31,
    "CreateFileA": NT31, "CreateProcessA": NT31, "DeleteFileA": NT31, "FindClose": NT31,
    "FindFirstFileA": NT31, "FreeLibrary": NT31, "GetDiskFreeSpaceA": NT31,
    "GetDriveTypeA": NT31, "GetFileAttributesA": NT31, "GetFileSize": NT31,
    "GetFileInformationByHandle": NT31, "GetFileTime": NT31, "GetFullPathNameA": NT31, "GetLastError": NT31,
    "GetModuleFileNameA": NT31, "GetModuleHandleA": NT31, "GetPrivateProfileIntA": NT31,
    "GetPrivateProfileStringA": NT31, "GetProcAddress": NT31, "GetStdHandle": NT31,
    "GetVersionExA": NT35, "GetVolumeInformationA": NT31, "GetWindowsDirectoryA": NT31,
    "IsDBCSLeadByte": NT31, "LoadLibraryA": NT31, "LocalFree": NT31,
    "MultiByteToWideChar": NT31, "OutputDebugStringA": NT31, "ReadFile": NT31,
    "RemoveDirectoryA": NT31,
    "SetErrorMode": NT31, "SetFileTime": NT31, "SetLastError": NT31, "Sleep": NT31,
    "WaitForSingleObject": NT31, "WideCharToMultiByte": NT31, "WriteFile": NT31,
    "WritePrivateProfileStringA": NT31, "lstrcmpiA": NT31, "lstrcpyA": NT31,
    "lstrcpynA": NT31, "GetCommandLineW": NT31, "GetModuleHandleW": NT31,
    "LoadLibraryW": NT31,
    # Newer equivalents, each looked up at run time by the launcher where it uses one.
    "GetFileAttributesExA": NT4, "GetFileSizeEx": W2000, "GetVolumePathNameA": W2000,
    "GetDiskFreeSpaceExA": NT4, "GetTickCount64": VISTA,
    # The C runtime's start-up, locks and thread-local storage.
    "CreateSemaphoreA": NT31, "CreateSemaphoreW": NT31, "DeleteCriticalSection": NT31,
    "EnterCriticalSection": NT31, "GetCurrentThreadId": NT31, "GetStartupInfoA": NT31,
    "InitializeCriticalSection": NT31, "IsDBCSLeadByteEx": NT4, "LeaveCriticalSection": NT31,
    "ReleaseSemaphore": NT31, "SetUnhandledExceptionFilter": NT31, "TlsAlloc": NT31,
    "TlsFree": NT31, "TlsGetValue": NT31, "TlsSetValue": NT31, "VirtualProtect": NT31,
    "VirtualQuery": NT31, "GetCurrentProcess": NT31, "GetCurrentProcessId": NT31,
    "GetSystemTimeAsFileTime": NT35, "RaiseException": NT31, "TryEnterCriticalSection": NT4,
    "AddVectoredExceptionHandler": XP, "RemoveVectoredExceptionHandler": XP,
    # The thread library of the "posix" compilers.
    "CreateEventA": NT31, "DuplicateHandle": NT31, "GetCurrentThread": NT31,
    "GetHandleInformation": NT351, "GetProcessAffinityMask": NT31, "GetThreadContext": NT31,
    "GetThreadPriority": NT31, "IsDebuggerPresent": NT4, "OpenProcess": NT31,
    "ResetEvent": NT31, "ResumeThread": NT31, "SetEvent": NT31,
    "SetProcessAffinityMask": NT31, "SetThreadContext": NT31, "SetThreadPriority": NT31,
    "SuspendThread": NT31, "WaitForMultipleObjects": NT31,
    # Unwinding of the 64-bit build (x86-64 only, so there from the first 64-bit Windows).
    "RtlCaptureContext": XP64, "RtlLookupFunctionEntry": XP64, "RtlUnwindEx": XP64,
    "RtlVirtualUnwind": XP64, "__C_specific_handler": XP64,
}

USER32 = {name: NT31 for name in """
    BeginPaint CallNextHookEx CallWindowProcA CharNextA CharUpperBuffA ClientToScreen CreateDialogParamA
    DefWindowProcA DestroyWindow DialogBoxParamA DispatchMessageA DrawFocusRect DrawIcon
    DrawTextA EnableWindow EndDialog EndPaint FillRect GetClassNameA GetClientRect GetDC
    GetDlgCtrlID GetDlgItem GetDlgItemTextA GetMessageA GetParent GetQueueStatus GetSysColor
    GetSystemMetrics GetWindowLongA GetWindowRect GetWindowTextA GetWindowTextLengthA
    InvalidateRect IsDialogMessageA IsIconic IsWindow IsWindowEnabled LoadIconA MessageBoxA
    MoveWindow OffsetRect PeekMessageA PostQuitMessage ReleaseDC ScreenToClient SendMessageA
    SetDlgItemTextA SetFocus SetWindowLongA SetWindowTextA SetWindowsHookExA ShowWindow
    TranslateMessage UnhookWindowsHookEx UpdateWindow ValidateRect
    """.split()}
# GetWindowLongPtrA and SetWindowLongPtrA are exports of 64-bit Windows only; in the 32-bit
# headers they are macros for GetWindowLongA and SetWindowLongA.
USER32.update({"GetWindowLongPtrA": XP64, "SetWindowLongPtrA": XP64,
               # Came with the new shell of Windows NT 4.0.
               "DrawFrameControl": NT4, "GetSysColorBrush": NT4,
               "MsgWaitForMultipleObjectsEx": NT4})

GDI32 = {name: NT31 for name in """
    CreateCompatibleDC CreatePalette DeleteDC DeleteObject GetDeviceCaps GetStockObject
    GetSystemPaletteEntries RealizePalette SelectObject SelectPalette SetBkMode
    SetPaletteEntries SetTextColor StretchBlt
    """.split()}

# The common controls came with Windows NT 3.51; InitCommonControlsEx with version 4.70.
COMCTL32 = {"InitCommonControls": NT351, "InitCommonControlsEx": NT4}
COMDLG32 = {"GetOpenFileNameA": NT31}
SHELL32 = {"CommandLineToArgvW": NT35}

# The C runtime DLL that MinGW-w64's runtime is built on. msvcrt.dll is part of Windows from
# Windows NT 4.0 on (Windows 98 on the other line; the first Windows 95 and Win32s lack it).
MSVCRT = {name: NT4 for name in """
    __getmainargs __initenv __mb_cur_max __p__acmdln __p__commode __p__fmode __set_app_type
    __setusermatherr _amsg_exit _cexit _close _errno _filelengthi64 _fileno _fsopen _initterm
    _iob _onexit _read abort atoi calloc exit fclose feof ferror fflush fgetpos fprintf fputc
    fputs fread free fsetpos fwrite localeconv malloc memchr memcmp memcpy memmove memset
    realloc setlocale signal strchr strcmp strcpy strerror strlen strncmp strpbrk strrchr vfprintf
    wcslen _beginthreadex _endthreadex _setjmp3 _ultoa printf longjmp _strdup
    __C_specific_handler __iob_func _acmdln _commode _fmode
    """.split()}
# Added to msvcrt.dll with Windows XP.
MSVCRT.update({"___lc_codepage_func": XP, "___mb_cur_max_func": XP})

FIRST_VERSION = {
    "kernel32.dll": KERNEL32, "user32.dll": USER32, "gdi32.dll": GDI32,
    "comctl32.dll": COMCTL32, "comdlg32.dll": COMDLG32, "shell32.dll": SHELL32,
    "msvcrt.dll": MSVCRT,
}


def version_of_number(number):
    """The first version in VERSIONS whose number is at least number."""
    for index, (_, version) in enumerate(VERSIONS):
        if version >= number:
            return index
    return len(VERSIONS) - 1


def check(image, floor):
    """Returns (failures, oldest): the reasons the image would not load on the floor, and the
    index of the oldest version whose exports and header allow the image."""
    failures = []
    oldest = max(version_of_number(image.subsystem_version), version_of_number(image.os_version))
    for what, number in (("subsystem", image.subsystem_version),
                         ("operating system", image.os_version)):
        if version_of_number(number) > floor:
            failures.append("header asks for %s version %d.%d, newer than %s" % (
                (what,) + number + (VERSIONS[floor][0],)))
    if image.subsystem != "gui":
        failures.append("a %s-subsystem image, expected the Windows GUI subsystem" % image.subsystem)
    if not image.imports:
        failures.append("no imports read: not an image of the launcher")
    if image.delay_imports:
        failures.append("delay-loaded imports, which this check does not read")
    for dll, function in image.imports:
        known = FIRST_VERSION.get(dll.lower())
        if known is None or function not in known:
            failures.append("%s!%s: not in the table of first versions" % (dll, function))
            continue
        version = known[function]
        oldest = max(oldest, version)
        if version > floor:
            failures.append("%s!%s: first in %s, newer than %s" % (
                dll, function, VERSIONS[version][0], VERSIONS[floor][0]))
    return failures, oldest


def main(argv):
    if len(argv) != 3 or argv[2] not in FLOORS:
        sys.stderr.write("usage: check_imports.py EXE i386|x86-64\n")
        return 2
    path, machine = argv[1], argv[2]
    try:
        image = read_image(path)
    except (OSError, PeError) as error:
        print("FAIL: %s: %s" % (path, error))
        return 1
    if image.machine != machine:
        print("FAIL: %s is a %s image, expected %s" % (path, image.machine, machine))
        return 1
    floor = FLOORS[machine]
    # The 64-bit Windows line begins at its floor, whatever the 32-bit history of a function.
    failures, oldest = check(image, floor)
    if machine == "x86-64":
        oldest = max(oldest, XP64)
    for failure in failures:
        print("FAIL: " + failure)
    print("%s: %d imports; the oldest Windows whose exports cover them: %s (floor %s)" % (
        path, len(image.imports), VERSIONS[oldest][0], VERSIONS[floor][0]))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
