// Ctrl-C and termination while disctool writes: the temporary files it has made beside its
// outputs (StagedFile) are removed and the program it runs (xorriso) is stopped, then disctool
// ends by the signal as it would have without the handler.
#pragma once

#include <sys/types.h>

namespace disctool {

// Installs the handlers for SIGINT, SIGTERM and SIGHUP (once; later calls do nothing).
void WatchInterrupts();

// Lists path (kept alive by the caller until Forget) among the files removed on an interrupt;
// false when the list is full.
bool RemoveOnInterrupt(const char* path);
void ForgetOnInterrupt(const char* path);

// The child process stopped on an interrupt (0: none).
void StopOnInterrupt(pid_t child);

}  // namespace disctool
