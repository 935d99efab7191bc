// The file layer's calls that differ between Windows and other systems: the shared open,
// 64-bit stream positioning, and the two places a trace line can go. toolfile_win32.cpp
// implements them with the Windows runtime, toolfile_posix.cpp with the C library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Returns a stream for path opened with the standard-library mode string without denying
// access to other openers, or null. The caller closes it with std::fclose.
std::FILE* TOOLFILE_OpenShared(const char* path, const char* mode);

// Moves the stream's position; whence is SEEK_SET, SEEK_CUR or SEEK_END. Returns 0 on
// success, non-zero on failure. The offset is 64-bit so files past 2 GiB measure correctly.
int TOOLFILE_StreamSeek(std::FILE* stream, std::int64_t offset, int whence);

// Returns the stream's position, or -1 when it cannot be told.
std::int64_t TOOLFILE_StreamTell(std::FILE* stream);

// Writes text (NUL-terminated) where a debugger sees it: the debugger output on Windows,
// standard error elsewhere.
void DEBUG_WriteDebugger(const char* text);

// Writes length bytes of text to the process's standard output at once, unbuffered.
void DEBUG_WriteStdout(const char* text, std::size_t length);
