// The file layer's platform calls on systems other than Windows: plain C library streams.
// Large-file offsets are asked for before any system header is read, so fseeko and ftello
// work in 64 bits on 32-bit builds too.
#if !defined(_FILE_OFFSET_BITS)
#define _FILE_OFFSET_BITS 64
#endif

#include <sys/types.h>

#include <cstdio>

#include "toolkit/toolfile_platform.h"

static_assert(sizeof(off_t) >= 8, "the file layer needs 64-bit file offsets");

// POSIX streams never deny other openers, so the plain open is already shared.
std::FILE* TOOLFILE_OpenShared(const char* path, const char* mode) {
    return std::fopen(path, mode);
}

int TOOLFILE_StreamSeek(std::FILE* stream, std::int64_t offset, int whence) {
    return fseeko(stream, static_cast<off_t>(offset), whence) == 0 ? 0 : 1;
}

std::int64_t TOOLFILE_StreamTell(std::FILE* stream) {
    const off_t position = ftello(stream);
    return position < 0 ? -1 : static_cast<std::int64_t>(position);
}

void DEBUG_WriteDebugger(const char* text) { std::fputs(text, stderr); }

void DEBUG_WriteStdout(const char* text, std::size_t length) {
    std::fwrite(text, 1, length, stdout);
    std::fflush(stdout);
}
