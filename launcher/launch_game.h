// Starting the game executable (the launcher's folder and base name with ".a32") and waiting
// for it while the launcher's windows stay responsive.
#pragma once

#include <windows.h>

#include "base/product_paths.h"

// Writes source folder, base name and ".a32" into dest (kPathSize bytes). Returns 0 with dest
// empty when it does not fit, else 1.
int FormatGamePath(char* dest, const ProductPaths& paths);
// Takes the current folder out of the DLL search for the launcher's own loads, so that a DLL
// planted in whatever folder the launcher was started from (a graphics library, a shell
// helper) is never loaded. Looked up at run time: systems before XP SP1 lack the function and
// keep their search order. StartGame confines it to the launcher: the game starts with the
// default search.
void RemoveCurrentFolderFromDllSearch();

// Starts a process as CreateProcessA does; tests put in one that looks at the launcher's state
// when the game starts.
using CreateProcessFn = BOOL(WINAPI*)(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                                      BOOL, DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA,
                                      LPPROCESS_INFORMATION);

// Starts the game with its path as the application to run and as its whole command line, so
// that a folder with blanks can never start another program. Returns 1 with process filled in,
// or 0 when the path does not fit or the game cannot be started. A started process inherits
// the DLL search of the launcher, so the default search (current folder included) is back
// while the game is started, and the launcher's own restored after.
int StartGame(const ProductPaths& paths, PROCESS_INFORMATION* process,
              CreateProcessFn createProcess = CreateProcessA);
// Waits for the started game, dispatching the thread's messages every 500 ms. A quit message
// ends the wait early and is posted again with exit code -1; the game goes on running. Closes
// the process and thread handles in every case. Returns at once on Win32s.
void WaitForGame(const PROCESS_INFORMATION& process);
