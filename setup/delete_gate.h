// The one gate every delete of the launcher goes through (the block copy's own unfinished
// target aside). It states once what is the launcher's own: a record is a value of the shared
// file of full-path shape (records' IsRecordPath); a recorded path is a copy of ours when it
// ends in the file's own name and is not one of the product's source files; such a copy may
// go when an install replaces it, or, for removal and an unticked row, when it is unchanged
// (its source's last-write time within the tolerance of its volume). A folder goes only when
// a run emptied it, and never when it is a link (a reparse point), a drive or share root, the
// Windows folder, the source folder or a folder above the product's folder on its volume.
// Paths are walked by character in their code page (the paths module), never by byte: on a
// double-byte code page the second byte of a character can be a backslash's byte.
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
// (rules::CoarseTimeTolerance): a copy the launcher made and nobody changed since. The times
// are read without opening the files, so a copy the running game holds open is still known as
// unchanged (its delete then fails as in use); false when either time cannot be read.
bool IsUnchangedCopy(const char* source, const char* copy, VolumeFileSystemQuery queryFileSystem);

// What became of a delete.
enum class DeleteResult {
    kDeleted,
    kInUse,       // a sharing or lock violation: the file is open elsewhere
    kNotDeleted,  // any other failure (read-only, no access), or a source file
};

// Deletes the file at path unless it is empty or names one of sources.
DeleteResult DeleteCopy(const char* path, const SourceFiles& sources,
                        DeleteFileFn deleteFile = DeleteFileA);

// The length of the root of the volume path lies on, as the path spells it: "C:\",
// "\\server\share\", "\\?\C:\", "\\?\UNC\server\share\" (also with "\\.\"); 0 when path has
// no such root.
std::size_t VolumeRootLength(const char* path, UINT codePage = CP_ACP);

// The longest run of whole folders that both folders (upper case, trailing backslash) start
// with, compared character by character in codePage.
std::string CommonFolder(const std::string& a, const std::string& b, UINT codePage = CP_ACP);

// The product's folder on each volume: the common folder of the given folders (upper case,
// trailing backslash, as the folders of the recorded copies) that lie on that volume, in the
// order the volumes first appear. Folders without a volume root are left out.
std::vector<std::string> ProductFolders(const std::vector<std::string>& folders,
                                        UINT codePage = CP_ACP);

// The folders a clean-up may try, deepest first: each of emptied (as ProductFolders takes
// them) and every folder above it up to the product's folder of its volume (productFolders),
// never the volume's root nor a folder outside the product's folder.
std::vector<std::string> FoldersToTry(const std::vector<std::string>& productFolders,
                                      const std::vector<std::string>& emptied,
                                      UINT codePage = CP_ACP);

// Removes each folder of FoldersToTry that is empty and may go: not a link, not the Windows
// folder, not the source folder (sources). A folder that holds anything stays.
void RemoveEmptiedFolders(const std::vector<std::string>& productFolders,
                          const std::vector<std::string>& emptied, const SourceFiles& sources);
