// The file layer's platform calls on Windows: the runtime's shared open, its 64-bit stream
// positioning, the debugger output and the standard-output handle.
#include <share.h>
#include <windows.h>

#include <cstdio>

#include "toolkit/toolfile_platform.h"

std::FILE* TOOLFILE_OpenShared(const char* path, const char* mode) {
    return _fsopen(path, mode, _SH_DENYNO);
}

int TOOLFILE_StreamSeek(std::FILE* stream, std::int64_t offset, int whence) {
    return _fseeki64(stream, offset, whence) == 0 ? 0 : 1;
}

std::int64_t TOOLFILE_StreamTell(std::FILE* stream) {
    const std::int64_t position = _ftelli64(stream);
    return position < 0 ? -1 : position;
}

void DEBUG_WriteDebugger(const char* text) { OutputDebugStringA(text); }

// The handle is fetched for every line, as the process's standard output may be redirected
// between lines. A GUI process without one simply writes nothing.
void DEBUG_WriteStdout(const char* text, std::size_t length) {
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == INVALID_HANDLE_VALUE || output == nullptr) return;
    DWORD written = 0;
    WriteFile(output, text, static_cast<DWORD>(length), &written, nullptr);
}
