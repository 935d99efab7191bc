// The cached file layer. A handle opened with "rb" keeps one window of the file in memory,
// at most TOOLFILE_CacheLimit bytes long, so loaders that parse byte by byte cost a memory
// copy per read instead of a stream call. All cache offsets are absolute and 32-bit; files
// whose length does not fit in 32 bits are refused by the cached open.
#include "toolkit/toolfile.h"

#include <charconv>
#include <cstdint>
#include <cstring>

#include "toolkit/toolfile_platform.h"
#include "toolkit/toolmem.h"

int TOOLFILE_TraceEnabled = 0;
int TOOLFILE_TraceLevel = 5;
std::uint32_t TOOLFILE_CacheLimit = 0x100000u;
int DEBUG_ToStdout = 0;

namespace {

// Holds the longest trace line: a 259-character name in "CACHE:(%s) Trying to read %d bytes
// past end\n" needs 304 bytes with the terminator. Longer lines (only a caller's own format)
// are cut by vsnprintf.
constexpr std::size_t kTraceBufferSize = 512;
char traceBuffer[kTraceBufferSize];

// "rb" in any case: only that mode gets a cache.
bool IsCachedMode(const char* mode) {
    return (mode[0] == 'r' || mode[0] == 'R') && (mode[1] == 'b' || mode[1] == 'B') &&
           mode[2] == '\0';
}

// Number of bytes the window holds. bufferSize is 0 only for an empty file, whose window
// holds nothing even though windowEnd - windowStart + 1 would say one byte.
std::uint32_t WindowLength(const TOOLFILE_CACHE* cache) {
    if (cache->bufferSize == 0) return 0;
    return cache->windowEnd - cache->windowStart + 1;
}

// Seeks an uncached handle's stream in 64 bits, tracing the request. Failure sets the seek bit.
void SeekStream(TOOLFILE* file, std::int64_t offset, int whence) {
    char text[24] = {};
    std::to_chars(text, text + sizeof text - 1, offset);
    TOOLFILE_Trace(1, "Seek(%s,%s,%d)\n", file->name, text, whence);
    if (TOOLFILE_StreamSeek(file->stream, offset, whence) != 0) {
        TOOLFILE_SetError(file, TOOLFILE_ERR_SEEK);
    }
}

// Measures the stream's length by seeking to its end and back. Returns -1 when the stream
// cannot be positioned (the seek bit is then set).
std::int64_t MeasureStreamLength(TOOLFILE* file) {
    const std::int64_t position = TOOLFILE_StreamTell(file->stream);
    if (position < 0) {
        TOOLFILE_SetError(file, TOOLFILE_ERR_SEEK);
        return -1;
    }
    SeekStream(file, 0, SEEK_END);
    const std::int64_t length = TOOLFILE_StreamTell(file->stream);
    SeekStream(file, position, SEEK_SET);
    if (length < 0) {
        TOOLFILE_SetError(file, TOOLFILE_ERR_SEEK);
        return -1;
    }
    return length;
}

// Loads the window that starts at nextFill. At the end of the file the window stays as it
// is. Bytes the stream fails to deliver (the file shrank since open, or a read error) are
// zeroed, so the window never holds uninitialised memory and reads keep making progress.
void FillCache(TOOLFILE* file) {
    TOOLFILE_CACHE* cache = file->cache;
    if (cache == nullptr) return;
    const std::uint32_t left =
        cache->nextFill < cache->fileSize ? cache->fileSize - cache->nextFill : 0;
    const std::uint32_t n = left < cache->bufferSize ? left : cache->bufferSize;
    if (n == 0) {
        // The shortfall: how far nextFill lies past the end (0 when it stands at the end).
        const std::uint32_t shortfall =
            cache->nextFill > cache->fileSize ? cache->nextFill - cache->fileSize : 0;
        TOOLFILE_Trace(5, "CACHE:(%s) Trying to read %d bytes past end\n", file->name,
                       static_cast<int>(shortfall));
        return;
    }
    if (TOOLFILE_StreamSeek(file->stream, cache->nextFill, SEEK_SET) != 0) {
        TOOLFILE_SetError(file, TOOLFILE_ERR_SEEK);
    }
    cache->position = 0;
    cache->windowStart = cache->nextFill;
    cache->windowEnd = cache->nextFill + n - 1;
    cache->nextFill += n;
    TOOLFILE_Trace(5, "CACHE:READ(%s)[0x%08x to 0x%08x]\n", file->name, cache->windowStart,
                   cache->windowEnd);
    const std::size_t got = std::fread(cache->buffer, 1, n, file->stream);
    if (got < n) {
        if (std::ferror(file->stream) != 0) TOOLFILE_SetError(file, TOOLFILE_ERR_READ);
        std::memset(cache->buffer + got, 0, n - got);
    }
}

// Reads count bytes into destination and returns how many were delivered. The undelivered
// rest of the destination is left as it was.
std::uint32_t ReadInto(std::uint8_t* destination, std::uint32_t count, TOOLFILE* file) {
    if (TOOLFILE_TraceEnabled == 1) {  // spares the byte-at-a-time readers a call per byte
        TOOLFILE_Trace(5, "Read(%s,%p,%d)\n", file->name, static_cast<void*>(destination),
                       static_cast<int>(count));
    }
    TOOLFILE_CACHE* cache = file->cache;
    if (cache == nullptr) {
        const std::size_t got = std::fread(destination, 1, count, file->stream);
        if (got < count) TOOLFILE_SetError(file, TOOLFILE_ERR_READ);
        return static_cast<std::uint32_t>(got);
    }
    if (cache->bufferSize == 0) return 0;  // an empty file delivers nothing

    // Each pass empties what is left of the window and refills it when the buffer is used up;
    // the pass limit, 2 * (count / bufferSize) but at least 32, bounds the loop whatever the
    // window fields say. The limit stays 32 while count is below 17 buffers, which spares
    // small reads the division.
    std::uint64_t maxPasses = 32;
    if (count / 17 >= cache->bufferSize) {
        maxPasses = 2u * static_cast<std::uint64_t>(count / cache->bufferSize);
    }
    std::uint32_t remaining = count;
    std::uint32_t delivered = 0;
    for (std::uint64_t passes = 0; remaining > 0 && passes < maxPasses; ++passes) {
        const std::uint32_t held = WindowLength(cache);
        const std::uint32_t available = cache->position < held ? held - cache->position : 0;
        const std::uint32_t take = available < remaining ? available : remaining;
        // An empty window here means the end of the file: whenever a pass uses the buffer up
        // it refills at once, so a refill now would find nothing, as would every later pass.
        if (take == 0) break;
        if (take == 1) {
            destination[delivered] = cache->buffer[cache->position];  // the typed reads' case
        } else {
            std::memcpy(destination + delivered, cache->buffer + cache->position, take);
        }
        cache->position += take;
        if (cache->position >= cache->bufferSize) {
            cache->nextFill = cache->windowEnd + 1;
            FillCache(file);
        }
        remaining -= take;
        delivered += take;
    }
    return delivered;
}

// The absolute position of an uncached stream, or 0xFFFFFFFF (with the seek bit) when it
// cannot be told or does not fit in 32 bits.
std::uint32_t TellStream(TOOLFILE* file) {
    const std::int64_t position = TOOLFILE_StreamTell(file->stream);
    if (position < 0 || position > static_cast<std::int64_t>(UINT32_MAX)) {
        TOOLFILE_SetError(file, TOOLFILE_ERR_SEEK);
        return UINT32_MAX;
    }
    return static_cast<std::uint32_t>(position);
}

// The bytes between the read position and the end of the file.
std::uint64_t Remaining(TOOLFILE* file) {
    if (file->cache != nullptr) {
        const std::uint32_t position = TOOLFILE_Tell(file);
        return position < file->cache->fileSize ? file->cache->fileSize - position : 0;
    }
    const std::int64_t position = TOOLFILE_StreamTell(file->stream);
    if (position < 0) return 0;
    if (TOOLFILE_StreamSeek(file->stream, 0, SEEK_END) != 0) return 0;
    const std::int64_t length = TOOLFILE_StreamTell(file->stream);
    if (TOOLFILE_StreamSeek(file->stream, position, SEEK_SET) != 0) {
        TOOLFILE_SetError(file, TOOLFILE_ERR_SEEK);
        return 0;
    }
    return length > position ? static_cast<std::uint64_t>(length - position) : 0;
}

// Frees a handle whose stream is closed or was never opened.
void FreeHandle(TOOLFILE* file) {
    if (file->cache != nullptr) {
        if (file->cache->buffer != nullptr && file->cache->ownsBuffer != 0) {
            TOOLMEM_Free(file->cache->buffer);
        }
        TOOLMEM_Free(file->cache);
        file->cache = nullptr;
    }
    TOOLMEM_Free(file);
}

}  // namespace

TOOLFILE* TOOLFILE_Open(const char* path, const char* mode) {
    if (path == nullptr || mode == nullptr) return nullptr;
    TOOLFILE_Trace(0, "Open(%s,%s)\n", path, mode);
    const std::size_t length = std::strlen(path);
    if (length >= static_cast<std::size_t>(TOOLFILE_MaxName)) return nullptr;

    auto* file = static_cast<TOOLFILE*>(TOOLMEM_Alloc(1, sizeof(TOOLFILE)));
    if (file == nullptr) return nullptr;
    std::memcpy(file->name, path, length + 1);
    file->stream = TOOLFILE_OpenShared(path, mode);
    if (file->stream == nullptr) {
        FreeHandle(file);
        return nullptr;
    }
    if (!IsCachedMode(mode)) return file;

    auto* cache = static_cast<TOOLFILE_CACHE*>(TOOLMEM_Alloc(1, sizeof(TOOLFILE_CACHE)));
    if (cache == nullptr) return file;
    const std::int64_t fileSize = MeasureStreamLength(file);
    if (fileSize < 0) {
        // A stream that cannot be positioned (a device, a pipe) is read without a cache.
        TOOLMEM_Free(cache);
        return file;
    }
    if (fileSize > static_cast<std::int64_t>(UINT32_MAX)) {
        // Offsets in the cache are 32-bit; a longer file would be misread, so it is refused.
        TOOLMEM_Free(cache);
        std::fclose(file->stream);
        FreeHandle(file);
        return nullptr;
    }
    cache->fileSize = static_cast<std::uint32_t>(fileSize);
    cache->bufferSize =
        cache->fileSize < TOOLFILE_CacheLimit ? cache->fileSize : TOOLFILE_CacheLimit;
    cache->ownsBuffer = 1;
    cache->buffer = static_cast<std::uint8_t*>(TOOLMEM_AllocRaw(cache->bufferSize));
    if (cache->buffer == nullptr) {
        TOOLMEM_Free(cache);
        return file;
    }
    file->cache = cache;
    FillCache(file);
    return file;
}

void TOOLFILE_Close(TOOLFILE* file) {
    if (file == nullptr) return;
    TOOLFILE_Trace(0, "Close(%s)\n", file->name);
    if (file->stream != nullptr) {
        std::fclose(file->stream);
        file->stream = nullptr;
    }
    FreeHandle(file);
}

std::uint32_t TOOLFILE_GetFlags(const TOOLFILE* file) { return file->flags; }

void TOOLFILE_SetError(TOOLFILE* file, std::uint32_t code) {
    TOOLFILE_Trace(2, "TOOLFILE_SetError(%s,0x%08x)\n", file->name, code);
    file->flags |= code;
}

std::uint32_t TOOLFILE_Tell(TOOLFILE* file) {
    if (file->cache != nullptr) return file->cache->windowStart + file->cache->position;
    return TellStream(file);
}

void TOOLFILE_Seek(TOOLFILE* file, std::int32_t offset, int whence) {
    TOOLFILE_CACHE* cache = file->cache;
    if (cache == nullptr) {
        SeekStream(file, offset, whence);
        return;
    }
    TOOLFILE_Trace(1, "Seek(%s,%d,%d)\n", file->name, offset, whence);
    // Unsigned 32-bit arithmetic: a negative base wraps to a large value and, like any
    // position at or past the end, lands on the last byte of the file.
    const auto delta = static_cast<std::uint32_t>(offset);
    std::uint32_t base;
    if (whence == 0) {
        base = delta;
    } else if (whence == 1) {
        base = delta + cache->windowStart + cache->position;
    } else {
        base = delta + cache->fileSize;
    }
    if (cache->fileSize == 0) {
        cache->position = 0;  // an empty file has no last byte to land on
        return;
    }
    const std::uint32_t last = cache->fileSize - 1;
    const std::uint32_t target = base < last ? base : last;
    if (target < cache->windowStart || target > cache->windowEnd) {
        cache->nextFill = target;
        FillCache(file);
    }
    cache->position = target - cache->windowStart;
}

int TOOLFILE_IsEOF(TOOLFILE* file) {
    if (file->cache != nullptr) {
        return file->cache->windowStart + file->cache->position >= file->cache->fileSize ? 1 : 0;
    }
    return std::feof(file->stream) != 0 ? 1 : 0;
}

std::uint32_t TOOLFILE_GetLength(TOOLFILE* file) {
    if (file->cache != nullptr) return file->cache->fileSize;
    const std::int64_t length = MeasureStreamLength(file);
    if (length < 0) return 0;
    if (length > static_cast<std::int64_t>(UINT32_MAX)) {
        TOOLFILE_SetError(file, TOOLFILE_ERR_SEEK);
        return UINT32_MAX;
    }
    return static_cast<std::uint32_t>(length);
}

void TOOLFILE_Read(void* destination, std::uint32_t count, TOOLFILE* file) {
    ReadInto(static_cast<std::uint8_t*>(destination), count, file);
}

std::uint8_t* TOOLFILE_ReadAlloc(std::uint32_t count, TOOLFILE* file) {
    if (count > Remaining(file)) return nullptr;
    auto* data = static_cast<std::uint8_t*>(TOOLMEM_AllocRaw(count));
    if (data == nullptr) return nullptr;
    const std::uint32_t delivered = ReadInto(data, count, file);
    std::memset(data + delivered, 0, count - delivered);
    return data;
}

std::uint8_t TOOLFILE_ReadByte(TOOLFILE* file) {
    std::uint8_t byte = 0;
    ReadInto(&byte, 1, file);
    return byte;
}

std::uint16_t TOOLFILE_ReadWord(TOOLFILE* file) {
    const std::uint32_t high = TOOLFILE_ReadByte(file);
    const std::uint32_t low = TOOLFILE_ReadByte(file);
    return static_cast<std::uint16_t>((high << 8) | low);
}

std::uint32_t TOOLFILE_ReadLong(TOOLFILE* file) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | TOOLFILE_ReadByte(file);
    return value;
}

void TOOLFILE_Trace(int level, const char* format, ...) {
    if (TOOLFILE_TraceEnabled != 1 || level > TOOLFILE_TraceLevel) return;
    std::va_list arguments;
    va_start(arguments, format);
    DEBUG_Print(format, arguments);
    va_end(arguments);
}

void DEBUG_Print(const char* format, std::va_list arguments) {
    const int written = std::vsnprintf(traceBuffer, kTraceBufferSize, format, arguments);
    if (written < 0) return;
    if (DEBUG_ToStdout == 1) {
        DEBUG_WriteStdout(traceBuffer, std::strlen(traceBuffer));
    } else {
        DEBUG_WriteDebugger(traceBuffer);
    }
}
