// The toolkit's cached file layer. A handle opened for binary reading ("rb") reads through
// one memory window of up to TOOLFILE_CacheLimit bytes; other modes read straight from the
// stream. Errors never interrupt a caller: they collect as sticky bits in the handle, which
// loaders test after a group of reads. Operations trace levelled lines when tracing is on.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>

inline constexpr std::uint32_t TOOLFILE_ERR_READ = 0x80000002u;
inline constexpr std::uint32_t TOOLFILE_ERR_SEEK = 0x80000004u;

// Longest path a handle keeps: 259 characters and the terminator. A longer path is refused
// by TOOLFILE_Open rather than cut to a name that could mean another file.
inline constexpr int TOOLFILE_MaxName = 260;

struct TOOLFILE_CACHE {
    std::uint32_t nextFill;     // file offset at which the next fill starts
    std::uint32_t fileSize;     // length of the file, measured once at open
    std::uint32_t windowStart;  // file offset of the first byte held
    std::uint32_t windowEnd;    // file offset of the last byte held (inclusive)
    std::uint32_t position;     // read position relative to windowStart
    std::uint32_t bufferSize;   // min(fileSize, TOOLFILE_CacheLimit)
    std::uint32_t ownsBuffer;   // 1 when close frees the buffer
    std::uint8_t* buffer;
};

struct TOOLFILE {
    TOOLFILE_CACHE* cache;  // null: the handle reads straight from the stream
    std::uint32_t flags;    // sticky error bits, only ever OR-ed
    char name[TOOLFILE_MaxName];
    std::FILE* stream;
};

// Process-wide settings; nothing in the system changes them.
extern int TOOLFILE_TraceEnabled;          // trace lines are written only when this is 1
extern int TOOLFILE_TraceLevel;            // a line is written when its level <= this
extern std::uint32_t TOOLFILE_CacheLimit;  // upper bound of a cache buffer (1 MiB)
extern int DEBUG_ToStdout;                 // 1: DEBUG_Print writes to standard output

// Returns a new handle, or null when the path is too long or cannot be opened. The stream
// is opened without denying other openers. Mode "rb" gets a read cache; a file of 4 GiB or
// more, which the cache's 32-bit offsets cannot describe, is then refused (null). A stream
// whose length cannot be measured, or a cache that cannot be allocated, leaves the handle
// uncached. Close with TOOLFILE_Close.
TOOLFILE* TOOLFILE_Open(const char* path, const char* mode);
// Closes the stream and frees the handle and its cache.
void TOOLFILE_Close(TOOLFILE* file);
// The handle's sticky error bits.
std::uint32_t TOOLFILE_GetFlags(const TOOLFILE* file);
// ORs code into the handle's error bits (and traces it at level 2).
void TOOLFILE_SetError(TOOLFILE* file, std::uint32_t code);
// The absolute read position. An uncached position past 32 bits gives 0xFFFFFFFF and sets
// TOOLFILE_ERR_SEEK.
std::uint32_t TOOLFILE_Tell(TOOLFILE* file);
// whence: 0 from start, 1 from current position, 2 from end. A cached handle never seeks
// past the last byte of the file. Failures go to the flags.
void TOOLFILE_Seek(TOOLFILE* file, std::int32_t offset, int whence);
// Non-zero at end of file.
int TOOLFILE_IsEOF(TOOLFILE* file);
// The file's length in bytes (measured at open on a cached handle). An uncached file of
// 4 GiB or more gives 0xFFFFFFFF and sets TOOLFILE_ERR_SEEK.
std::uint32_t TOOLFILE_GetLength(TOOLFILE* file);
// Reads count bytes into destination. On a cached handle bytes past the end of the file are
// not delivered (the destination keeps them) and no bit is set; an uncached short read sets
// TOOLFILE_ERR_READ.
void TOOLFILE_Read(void* destination, std::uint32_t count, TOOLFILE* file);
// Returns a new buffer of count bytes read from the file (TOOLMEM_Free it), or null when
// memory runs out or count is larger than what remains of the file. Bytes the read could not
// deliver are zero, never uninitialised memory; the caller tests the flags.
std::uint8_t* TOOLFILE_ReadAlloc(std::uint32_t count, TOOLFILE* file);
// One byte; 0 when none is left.
std::uint8_t TOOLFILE_ReadByte(TOOLFILE* file);
// Big-endian 16-bit value; missing bytes read as 0.
std::uint16_t TOOLFILE_ReadWord(TOOLFILE* file);
// Big-endian 32-bit value; missing bytes read as 0.
std::uint32_t TOOLFILE_ReadLong(TOOLFILE* file);
// Writes a printf-style line through DEBUG_Print when tracing is on and level is enabled.
void TOOLFILE_Trace(int level, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
// Formats one line and writes it to the debugger, or to standard output when DEBUG_ToStdout
// is 1. A line longer than the trace buffer is cut, never written past it.
void DEBUG_Print(const char* format, std::va_list arguments)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 0)))
#endif
    ;
