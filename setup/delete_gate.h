// The one gate every delete of the launcher goes through (the block copy's own unfinished
// target aside). It states once what is the launcher's own: a record is a value of the shared
// file of full-path shape (records' IsRecordPath); a recorded path is a copy of ours when it
// ends in the file's own name and is not one of the product's source files; such a copy may
// go when an install replaces it, or, for removal and an unticked row, when it is unchanged
// (its source's last-write time within the tolerance of its volume). Folders go only when a
// run emptied them, and never a drive or share root, the Windows folder or the source folder.
// Paths are walked by character in the system's code page (the paths module), never by byte.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "setup/install_state.h"
#include "setup/source_files.h"

// Deletes a file; FALSE with the platform's last error when it could not. The product keeps
// DeleteFileA; tests put in one that fails as a file in use does.
using DeleteFileFn = BOOL(WINAPI*)(LPCSTR);

// Whether recorded (a record as ReadRecord gives it) is a copy of the script's file name: not
// empty, ending in the file's own name (LastComponentKey) and not one of sources.
bool IsCopyOfOurs(const char* recorded, const char* name, const SourceFiles& sources);

// Whether copy has the last-write time of source, within the tolerance of copy's volume
// (rules::CoarseTimeTolerance): a copy the launcher made and nobody changed since.
bool IsUnchangedCopy(const char* source, const char* copy, VolumeFileSystemQuery queryFileSystem);

// Deletes the file at path unless it is empty or names one of sources. FALSE, with the
// platform's last error where deleteFile set one, when nothing was deleted.
BOOL DeleteCopy(const char* path, const SourceFiles& sources,
                DeleteFileFn deleteFile = DeleteFileA);

// The longest run of whole folders that both folders (upper case, trailing backslash) start
// with.
std::string CommonFolder(const std::string& a, const std::string& b);

// Removes, deepest first, each of folders (upper case, with a trailing backslash, as the folders
// of deleted copies) and the folders above it up to their common folder, when empty. Never a
// drive or share root, the Windows folder or the source folder (sources).
void RemoveEmptiedFolders(const std::vector<std::string>& folders, const SourceFiles& sources);
