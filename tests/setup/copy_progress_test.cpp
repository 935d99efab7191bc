// The one-file copy of the install run on real files: content, the three file times, the
// failures that must leave no partial target, and cancel and quit arriving during the message
// dispatch after a block. The window tests need a display.
#include "setup/copy_progress_dialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "resources/resource.h"
#include "tests/support/test_files.h"

namespace {

constexpr DWORD kBlock = BlockCopy::kBlockSize;

// Distinct creation, last-access and last-write times, so a time taken from the wrong slot
// shows.
struct FileTimes {
    FILETIME created = TimeAt(1000);
    FILETIME accessed = TimeAt(2000);
    FILETIME written = TimeAt(3000);
};

bool Equal(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// Writes size bytes of a pattern that differs from block to block and sets the times.
bool MakeFile(const std::string& path, DWORD size, const FileTimes& times = FileTimes()) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string data(size, '\0');
    for (DWORD i = 0; i < size; ++i) data[i] = static_cast<char>((i * 7 + i / kBlock) & 0xFF);
    DWORD written = 0;
    bool ok = WriteFile(file, data.data(), size, &written, nullptr) && written == size;
    ok = ok && SetFileTime(file, &times.created, &times.accessed, &times.written);
    CloseHandle(file);
    return ok;
}

bool ReadTimes(const std::string& path, FileTimes* times) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool ok = GetFileTime(file, &times->created, &times->accessed, &times->written);
    CloseHandle(file);
    return ok;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(CopyFileWithProgress, CopiesContentTimesAndNormalAttributes) {
    struct Case {
        const char* what;
        DWORD size;
        bool readOnlySource;  // a disc's read-only flag is not carried over
        bool existingTarget;  // an existing target is replaced
    };
    const Case cases[] = {
        {"empty file", 0, false, false},
        {"one byte", 1, true, false},
        {"exactly one block", kBlock, false, true},
        {"blocks and a tail", 3 * kBlock + 17, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder temp;
        const std::string source = temp / "SOURCE.DAT";
        const std::string target = temp / "TARGET.DAT";
        ASSERT_TRUE(MakeFile(source, c.size));
        if (c.readOnlySource) SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY);
        if (c.existingTarget) {
            ASSERT_TRUE(WriteFileAt(target, 5, "old and longer than the tail"));
        }

        CopyProgressDialog progress;
        progress.SetProgressTotal(1000000);
        ASSERT_EQ(progress.CopyFileWithProgress(source.c_str(), target.c_str(), 0),
                  CopyResult::kCopied);

        // The source's own times as they stand after the copy read it (reading may have moved
        // its access time), and its write time exactly as it was made. Read before any content
        // is read again.
        FileTimes sourceTimes;
        FileTimes times;
        ASSERT_TRUE(ReadTimes(source, &sourceTimes));
        ASSERT_TRUE(ReadTimes(target, &times));
        EXPECT_TRUE(Equal(times.created, sourceTimes.created));
        EXPECT_TRUE(Equal(times.accessed, sourceTimes.accessed));
        EXPECT_TRUE(Equal(times.written, FileTimes().written));
        EXPECT_EQ(ReadWholeFile(target), ReadWholeFile(source));
        EXPECT_EQ(progress.m_copied, c.size);
        EXPECT_EQ(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
        SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST(CopyFileWithProgress, FailureLeavesNoPartialTarget) {
    enum Setup { kMissingSource, kSourceHeldOpen, kReadOnlyTarget, kMissingTargetFolder };
    struct Case {
        const char* what;
        Setup setup;
    };
    const Case cases[] = {
        {"source missing", kMissingSource},
        {"source open elsewhere", kSourceHeldOpen},
        {"read-only file at the target", kReadOnlyTarget},
        {"target folder missing", kMissingTargetFolder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder temp;
        const std::string source = temp / "SOURCE.DAT";
        std::string target = temp / "TARGET.DAT";
        if (c.setup != kMissingSource) {
            ASSERT_TRUE(MakeFile(source, kBlock + 1));
        }
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.setup == kSourceHeldOpen) {
            held = CreateFileA(source.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }
        if (c.setup == kReadOnlyTarget) {
            ASSERT_TRUE(WriteFileAt(target, 5, "installed"));
            SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
        }
        if (c.setup == kMissingTargetFolder) target = temp / "NOFOLDER\\TARGET.DAT";

        CopyProgressDialog progress;
        EXPECT_EQ(progress.CopyFileWithProgress(source.c_str(), target.c_str(), 0),
                  CopyResult::kFailed);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        if (c.setup == kReadOnlyTarget) {
            EXPECT_EQ(ReadWholeFile(target), "installed");  // neither replaced nor deleted
            SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        } else {
            EXPECT_FALSE(Exists(target));
        }
    }
}

TEST(CopyFileWithProgress, CancelBeforeTheFileStartsIsForgotten) {
    TempFolder temp;
    ASSERT_TRUE(MakeFile(temp / "A", 10));
    CopyProgressDialog progress;
    progress.m_cancelRequested = 1;  // clicked while a question was open
    EXPECT_EQ(progress.CopyFileWithProgress((temp / "A").c_str(), (temp / "B").c_str(), 0),
              CopyResult::kCopied);
}

TEST(CopyFileWithProgress, QuitDuringTheCopyStopsItAndStaysPosted) {
    TempFolder temp;
    ASSERT_TRUE(MakeFile(temp / "A", 3 * kBlock));
    CopyProgressDialog progress;
    PostQuitMessage(7);
    EXPECT_EQ(progress.CopyFileWithProgress((temp / "A").c_str(), (temp / "B").c_str(), 0),
              CopyResult::kCancelled);
    EXPECT_FALSE(Exists(temp / "B"));
    EXPECT_EQ(progress.m_copied, kBlock);  // stopped before the second read
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST(CopyProgressPosition, PercentOfTheTotalNotClamped) {
    struct Case {
        std::uint64_t copied, total;
        int position;
    };
    const Case cases[] = {
        {0, 0, 0},
        {5, 0, 0},
        {1, 3, 33},
        {2, 3, 66},
        {3, 2, 150},                    // files grew after the count
        {6ULL << 30, 8ULL << 30, 75},   // beyond 32 bits
        {(1ULL << 40), 1, 2147483647},  // held at what the bar can take
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CopyProgressDialog::ProgressPosition(c.copied, c.total), c.position)
            << c.copied << " of " << c.total;
    }
}

// With its window: the paths shown, the bar, and the Cancel that arrives during a block's
// message dispatch.
class CopyProgressWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_progress.Create(IDD_COPY_PROGRESS)) << "needs a display";
        m_source = m_temp / "SOURCE.DAT";
        m_target = m_temp / "TARGET.DAT";
    }
    std::string Text(int id) const {
        char text[512] = "";
        GetDlgItemTextA(m_progress.m_hWnd, id, text, sizeof text);
        return text;
    }
    int Position() const {
        return static_cast<int>(
            SendDlgItemMessageA(m_progress.m_hWnd, IDC_PROGRESS, PBM_GETPOS, 0, 0));
    }

    TempFolder m_temp;
    CopyProgressDialog m_progress;
    std::string m_source, m_target;
};

TEST_F(CopyProgressWindow, ShowsPathsAndTheBarOverTheRun) {
    ASSERT_TRUE(MakeFile(m_source, 2 * kBlock));
    m_progress.SetProgressTotal(8 * kBlock);
    ASSERT_EQ(m_progress.CopyFileWithProgress(m_source.c_str(), m_target.c_str(), 0),
              CopyResult::kCopied);
    EXPECT_EQ(Text(IDC_FROM), m_source);
    EXPECT_EQ(Text(IDC_TO), m_target);
    EXPECT_EQ(Position(), 25);
    EXPECT_TRUE(IsWindow(m_progress.m_hWnd));

    // Per-file progress starts the count again at this file's size.
    ASSERT_EQ(m_progress.CopyFileWithProgress(m_source.c_str(), m_target.c_str(), 1),
              CopyResult::kCopied);
    EXPECT_EQ(m_progress.m_total, 2u * kBlock);
    EXPECT_EQ(Position(), 100);

    m_progress.SetProgressTotal(10);
    EXPECT_EQ(Position(), 0);
    EXPECT_EQ(m_progress.m_copied, 0u);
}

TEST_F(CopyProgressWindow, CancelDuringTheCopyDeletesThePartialTarget) {
    // Each way of cancelling is posted before the copy starts, so it arrives in the dispatch
    // after the first block; the window must stay and the copy stop before the next read.
    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
        bool toButton;
    };
    const Case cases[] = {
        {"Cancel command", WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), false},
        {"Escape key", WM_KEYDOWN, VK_ESCAPE, true},
    };
    ASSERT_TRUE(MakeFile(m_source, 4 * kBlock));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_progress.SetProgressTotal(4 * kBlock);
        HWND to = c.toButton ? GetDlgItem(m_progress.m_hWnd, IDCANCEL) : m_progress.m_hWnd;
        ASSERT_TRUE(PostMessageA(to, c.message, c.wParam, 0));
        EXPECT_EQ(m_progress.CopyFileWithProgress(m_source.c_str(), m_target.c_str(), 0),
                  CopyResult::kCancelled);
        EXPECT_FALSE(Exists(m_target));
        EXPECT_EQ(m_progress.m_copied, kBlock);
        EXPECT_TRUE(IsWindow(m_progress.m_hWnd));
    }
}

TEST_F(CopyProgressWindow, EnterDoesNotCloseTheWindow) {
    PostMessageA(m_progress.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(MakeFile(m_source, 2 * kBlock));
    EXPECT_EQ(m_progress.CopyFileWithProgress(m_source.c_str(), m_target.c_str(), 0),
              CopyResult::kCopied);
    EXPECT_TRUE(IsWindow(m_progress.m_hWnd));
}

}  // namespace
