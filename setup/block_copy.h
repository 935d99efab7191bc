// BlockCopy: the install run's one-file copy. It copies a file in 128 KiB blocks through one
// buffer inside the object, gives the copy its source's three times and leaves no partial
// target behind. Whoever shows the copy (CopyProgressDialog) hears of it through CopyObserver
// and, after every block, decides whether it goes on.
#pragma once

#include <windows.h>

#include <cstdint>

// Result of a one-file copy; the values are the copy's result codes.
enum class CopyResult : int { kCopied = 0, kFailed = 1, kCancelled = 2 };

// What a copy tells the one who shows it, and asks it, as it goes.
class CopyObserver {
public:
    virtual ~CopyObserver() = default;
    // Both files are open and the copy starts: a cancel asked for before this is forgotten.
    // size is the source's size in bytes, 0 when it cannot be read.
    virtual void OnFileStart(const char* source, const char* target, std::uint64_t size) = 0;
    // A block of bytes was written to the target (0 for the read that found the end).
    virtual void OnBlockWritten(DWORD bytes) = 0;
    // Takes the thread's pending messages; true when the copy has been asked to stop.
    virtual bool DispatchMessagesAndCheckCancel() = 0;
};

class BlockCopy {
public:
    // Closes a file handle; FALSE when the close failed.
    using CloseFileFn = BOOL(WINAPI*)(HANDLE);
    // Bytes read and written per block.
    static constexpr DWORD kBlockSize = 0x20000;

    // closeTarget closes each copy's target. The product keeps CloseHandle; tests give a close
    // that fails, which no real file can be made to do on demand.
    explicit BlockCopy(CloseFileFn closeTarget = CloseHandle) : m_closeTarget(closeTarget) {}
    BlockCopy(const BlockCopy&) = delete;
    BlockCopy& operator=(const BlockCopy&) = delete;

    // Copies source to target (replacing it, with normal attributes) and gives the target the
    // source's creation, last-access and last-write times, telling observer as it goes.
    // Returns kCopied, kFailed (open, read, write, times or the target's close failed) or
    // kCancelled; on kFailed and kCancelled no partial target remains.
    CopyResult Copy(const char* source, const char* target, CopyObserver& observer);

private:
    // The blocks from in to out until the end of in, then in's times on out.
    CopyResult CopyBlocks(HANDLE in, HANDLE out, CopyObserver& observer);

    CloseFileFn m_closeTarget;
    char m_buffer[kBlockSize];
};
