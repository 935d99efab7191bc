#include "setup/block_copy.h"

namespace {

// Closes a file handle, with close, when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle, BlockCopy::CloseFileFn close = CloseHandle)
        : m_handle(handle), m_close(close) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    // false when the handle was open and closing it failed (for a written file, the data
    // may not have reached the disk).
    bool Close() {
        const bool closed = !IsOpen() || m_close(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE m_handle;
    BlockCopy::CloseFileFn m_close;
};

// The size of an open file in bytes, 0 when it cannot be read. GetFileSize with its high word
// reaches back to the first 32-bit Windows, where GetFileSizeEx does not.
std::uint64_t FileSize(HANDLE file) {
    DWORD high = 0;
    const DWORD low = GetFileSize(file, &high);
    // The low word may be INVALID_FILE_SIZE in a file of that size; only the error tells.
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

}  // namespace

CopyResult BlockCopy::Copy(const char* source, const char* target, CopyObserver& observer) {
    // The source is read once from start to end: saying so lets the platform read ahead.
    FileHandle in(CreateFileA(source, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in.IsOpen()) return CopyResult::kFailed;
    // A read-only file at the target is never replaced. The platform refuses to open one for
    // writing; saying so here keeps that true for a user whom the file system would let write.
    const DWORD existing = GetFileAttributesA(target);
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
        return CopyResult::kFailed;
    }
    FileHandle out(CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr),
                   m_closeTarget);
    if (!out.IsOpen()) return CopyResult::kFailed;

    observer.OnFileStart(source, target, FileSize(in.Get()));
    CopyResult result = CopyBlocks(in.Get(), out.Get(), observer);

    in.Close();
    // A target whose close fails may not hold what was written: the copy fails.
    if (!out.Close() && result == CopyResult::kCopied) result = CopyResult::kFailed;
    // No partial or time-less copy remains after a failure or a cancel.
    if (result != CopyResult::kCopied) DeleteFileA(target);
    return result;
}

CopyResult BlockCopy::CopyBlocks(HANDLE in, HANDLE out, CopyObserver& observer) {
    // Tested before every read, the one that finds the end included; OnFileStart has just
    // forgotten any earlier cancel.
    bool cancelled = false;
    DWORD written = 0;
    do {
        if (cancelled) return CopyResult::kCancelled;
        DWORD read = 0;
        if (!ReadFile(in, m_buffer, kBlockSize, &read, nullptr)) return CopyResult::kFailed;
        if (!WriteFile(out, m_buffer, read, &written, nullptr) || written != read) {
            return CopyResult::kFailed;
        }
        observer.OnBlockWritten(written);
        // What may run inside this call: see CopyProgressDialog::DispatchPendingMessages.
        cancelled = observer.DispatchMessagesAndCheckCancel();
    } while (written != 0);

    // End of the file: the copy takes all three of the source's times, the last-write time
    // above all, which is what makes it current for the install-state check.
    FILETIME created{};
    FILETIME accessed{};
    FILETIME modified{};
    if (GetFileTime(in, &created, &accessed, &modified) &&
        SetFileTime(out, &created, &accessed, &modified)) {
        return CopyResult::kCopied;
    }
    return CopyResult::kFailed;
}
