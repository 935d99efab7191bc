// Path and file utilities shared by the launcher and the setup dialog. Every path is a
// NUL-terminated ANSI string in a caller-owned buffer of kPathSize bytes; a folder path carries
// a trailing backslash wherever these functions produce one. A result that would not fit its
// buffer is a failure, never a cut path that could name another file. No function keeps state.
#pragma once

#include <windows.h>

#include "rules/install_rules.h"

// Size of every path buffer: the platform's path limit, 259 characters and the terminator.
inline constexpr int kPathSize = rules::kPathSize;

// A path cut into its parts: drive ("C:" or empty), folder (after the drive, up to and
// including the last backslash or slash), file name without extension, and extension (from
// the last dot of the file name on, dot included, or empty).
struct PathParts {
    char drive[3];
    char folder[kPathSize];
    char name[kPathSize];
    char extension[kPathSize];
};

// Every search for a backslash, a slash or a dot in a path steps through it by character in
// the ANSI code page the path is written in: on a double-byte code page (932, 936, 949, 950)
// the second byte of a character can be 0x5C, a backslash's byte, and is never one. The
// functions below take the code page where tests hand in another one; everything else uses
// the system's (CP_ACP).

// The character after the one at p: two bytes on for a lead byte of codePage followed by
// another byte, else one. p must not point at the terminator.
const char* NextPathChar(const char* p, UINT codePage = CP_ACP);
// The last character of path, or null when path is empty.
const char* LastPathChar(const char* path, UINT codePage = CP_ACP);

// Cuts path into parts. The second byte of a double-byte character is never taken for a
// separator or a dot. Returns 1; a path of kPathSize bytes or more gives 0 and empty parts.
int SplitPath(PathParts* parts, const char* path, UINT codePage = CP_ACP);
// Writes drive, folder (with a backslash after a folder that lacks one), then name and, when
// extension is not empty, a dot unless it has one and the extension, into dest (kPathSize
// bytes). name and extension may be null. Returns 1, or 0 with dest empty when it does not fit.
int JoinPath(char* dest, const char* drive, const char* folder, const char* name,
             const char* extension, UINT codePage = CP_ACP);
// Formats into dest (kPathSize bytes) as snprintf does. Returns 1, or 0 with dest empty when
// the result does not fit: a cut path could name another file.
int FormatPath(char* dest, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Reads the profile value of key in section of file into dest (kPathSize bytes). Returns 1 (dest
// empty when there is no value), or 0 with dest empty when the value is kPathSize characters or
// more: a value cut to fit could name another file.
int ReadProfilePath(char* dest, const char* section, const char* key, const char* file);

// 1 when a file or folder exists at path (its attributes can be read), else 0.
int PathExists(const char* path);
// 1 when the drive-and-folder part of path exists, else 0. C:\A\B\ tests C:\A\B\, while C:\A\B
// tests C:\A\ because a last component without a separator is a file name.
int PathFolderExists(const char* path);
// Creates every missing folder along the folder path. Returns 1 when all exist afterwards, 0 at
// the first folder that can neither be found nor made (the folders made so far stay). A drive,
// a leading backslash and a \\server\share\ root are kept as the chain's start, never created.
int CreateFolderChain(const char* path, UINT codePage = CP_ACP);
// Opens both files for reading without sharing and compares their last-write times: -1, 0 or
// 1 as the first is earlier than, equal to or later than the second; -2 when either file cannot
// be opened or its time cannot be read. Both handles are closed whatever the result.
int CompareFileWriteTimes(const char* first, const char* second);
// Reads the last-write times of both files, opened for reading without sharing, and their
// creation times where firstCreation and secondCreation are not null. Returns 1, or 0 when
// either file cannot be opened or read.
int ReadFileWriteTimes(const char* first, const char* second, FILETIME* firstTime,
                       FILETIME* secondTime, FILETIME* firstCreation = nullptr,
                       FILETIME* secondCreation = nullptr);
// 1 when name is a relative path that stays below its folder and that Windows holds as given
// (rules::IsSafeRelativeName, with
// the double-byte characters of the system's code page), else 0.
int IsSafeRelativeName(const char* name);
// Whether c starts a double-byte character in the system's code page (rules::LeadByteTest).
bool IsCodePageLeadByte(unsigned char c);
// Replaces every slash of a script's file name by a backslash (rules::NormalizeSeparators, with
// the double-byte characters of the system's code page).
void NormalizeSeparators(char* name);
// Appends a backslash to path (a kPathSize buffer) unless it ends in one. Returns 0 and leaves
// path unchanged when it is empty or has no room for the backslash, else 1.
int AddTrailingBackslash(char* path);
int AddTrailingBackslash(char* path, UINT codePage);
// Removes one trailing backslash. Returns 0 for an empty path, else 1.
int RemoveTrailingBackslash(char* path);
int RemoveTrailingBackslash(char* path, UINT codePage);
// Writes the drive-and-folder part of path into dest (kPathSize bytes; may be path itself). A
// bare file name gives an empty string. Returns 1.
int GetPathFolder(char* dest, const char* path, UINT codePage = CP_ACP);
// Writes into dest (kPathSize bytes; may be path itself) the longest leading run of path's
// folders that exist, with a trailing backslash, or an empty string. Returns 1.
int GetExistingFolderPrefix(char* dest, const char* path, UINT codePage = CP_ACP);
// Writes windowsDir, a backslash when missing and "tivoroo.ini" into dest (kPathSize bytes).
// Returns 0 with dest empty when windowsDir is empty or the result does not fit, else 1.
int FormatSharedIniPath(char* dest, const char* windowsDir);
// Writes the drive of windowsDir, "\Tivoroo\" and, when name is not null, name and a backslash
// into dest (kPathSize bytes). Returns 0 with dest empty when it does not fit, else 1.
int FormatDefaultInstallDir(char* dest, const char* windowsDir, const char* name);
// FormatSharedIniPath with the Windows directory. Returns 0 when it cannot be read.
int GetSharedIniPath(char* dest);
// FormatDefaultInstallDir with the Windows directory. Returns 0 when it cannot be read.
int GetDefaultInstallDir(char* dest, const char* name);
