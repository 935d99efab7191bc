// The install-state check: whether a product's files are installed and current. Installed
// copies are recorded per product in the shared file (one section named by the launcher's base
// name, one key per file key holding the copy's full path). A copy is current when it has the
// last-write time of its source in the launcher's folder; on a FAT or FAT32 volume, which keeps
// write times to two seconds, a difference of less than two seconds counts as equal, and on an
// exFAT volume one of less than ten milliseconds (rules::CoarseTimeTolerance).
#pragma once

#include <windows.h>

#include "base/product_paths.h"

// Writes the file-system name of the volume that holds path ("NTFS", "FAT32", ...) into name
// (size bytes). Returns 1, or 0 when the volume cannot be asked.
using VolumeFileSystemQuery = int (*)(const char* path, char* name, DWORD size);
int QueryVolumeFileSystem(const char* path, char* name, DWORD size);

// Writes the root of the drive or network share that holds path (made full first) into root
// (size bytes): "C:\" or "\\server\share\". Returns 1, or 0 when path has neither or the root
// does not fit. This is the volume's root where no volume is mounted on a folder, as on every
// system without GetVolumePathNameA; QueryVolumeFileSystem uses it there.
int GetPathDriveRoot(const char* path, char* root, DWORD size);

// 1 when copy has the last-write time of source within the tolerance of copy's volume
// (rules::IsCopyCurrent), else 0; 0 also when either file cannot be opened or read.
int HasSourceWriteTime(const char* source, const char* copy,
                       VolumeFileSystemQuery queryFileSystem = QueryVolumeFileSystem);

// 1 when the file name (relative to the source folder) is installed and current, else 0.
// A recorded copy that is missing or stale (also when the source is missing) loses its record;
// with no record, a current copy in the proposed destination folder is recorded and counts.
// An unsafe name (rules::IsSafeRelativeName), or a source, recorded or candidate path that does
// not fit, is not current and nothing is written for it. A key or base name the shared file
// cannot hold (IsRecordable) is current only through a current copy in the proposed
// destination, and nothing is written for it.
int IsInstalledFileCurrent(const ProductPaths& paths, const char* name, const char* key,
                           VolumeFileSystemQuery queryFileSystem = QueryVolumeFileSystem);

// 1 when every file of every group of the script's "Required" section is installed and
// current (also when there are none), else 0. The files of "Optional" are tested too, for the
// records they keep in step; they never change the result. Paths that could not be derived
// (empty source folder) give 0.
int AreRequiredInstalledFilesCurrent(const ProductPaths& paths,
                                     VolumeFileSystemQuery queryFileSystem = QueryVolumeFileSystem);
