// Helpers of the setup window that stand on their own: the free space of a destination's
// drive and the byte count of one source file. The window itself is SetupDialog's
// (setup_dialog.h); its setup-window operations live in setup_window.cpp.
#pragma once

#include <windows.h>

#include <cstddef>

// The drive type of a root folder such as "C:\" (the platform's GetDriveTypeA).
using DriveTypeQuery = UINT(WINAPI*)(LPCSTR root);

// Bytes free to the caller on the drive of folder: 0 when folder has no drive letter, when
// the drive is not a fixed disk (by query) or when the free space cannot be read. 64-bit, so
// drives of 4 GiB and more are counted whole.
ULONGLONG GetDestinationFreeBytes(const char* folder, DriveTypeQuery query = ::GetDriveTypeA);

// Size in bytes of the file name (relative) in sourceFolder; 0 when the file is missing, the
// path does not fit, or the name is absolute or climbs out with "..", which is never looked at.
ULONGLONG GetSourceFileBytes(const char* sourceFolder, const char* name);

// bytes as megabytes with one decimal ("%.1f") into text (size bytes).
void FormatMegabytes(char* text, std::size_t size, ULONGLONG bytes);
