// Copy throughput of the install run's one-file copy (CopyProgressDialog::CopyFileWithProgress
// over BlockCopy: 128 KiB blocks, a bar update and a full message dispatch per block, the times
// carried over) against the platform's own CopyFileA on the same files, measured in one run.
//
//   bench_install_copy.exe [FOLDER] [ROUNDS]
//
// FOLDER (default: the temp folder) receives a scratch folder with 20 files of 16 MiB and 2,000
// files of 4 KiB, removed at the end. Each round copies every set once with each method, the
// order of the methods alternating from round to round; the best round of each counts. The
// progress window is shown when a display is there, so its per-block costs are measured too.
// Goal: CopyFileWithProgress at least 0.9 of CopyFileA's throughput on the large files.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "setup/copy_progress_dialog.h"
#include "resources/resource.h"

namespace {

struct FileSet {
    const char* name;
    int count;
    DWORD size;
};

const FileSet kSets[] = {{"20 x 16 MiB", 20, 16u << 20}, {"2000 x 4 KiB", 2000, 4u << 10}};

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string FilePath(const std::string& folder, int index) {
    char name[32];
    std::snprintf(name, sizeof name, "F%05d.DAT", index);
    return folder + name;
}

bool WriteSourceFile(const std::string& path, DWORD size, std::vector<char>& data) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    for (DWORD left = size; ok && left > 0;) {
        const DWORD chunk = left < data.size() ? left : static_cast<DWORD>(data.size());
        DWORD written = 0;
        ok = WriteFile(file, data.data(), chunk, &written, nullptr) && written == chunk;
        left -= chunk;
    }
    CloseHandle(file);
    return ok;
}

void RemoveFiles(const std::string& folder, int count) {
    for (int i = 0; i < count; ++i) DeleteFileA(FilePath(folder, i).c_str());
}

// Seconds to copy every file of the set from source to target with one method, or a negative
// value when a copy failed.
double CopySet(const FileSet& set, const std::string& source, const std::string& target,
               CopyProgressDialog* progress) {
    RemoveFiles(target, set.count);
    if (progress != nullptr) {
        progress->SetProgressTotal(static_cast<std::uint64_t>(set.count) * set.size);
    }
    const double start = Now();
    for (int i = 0; i < set.count; ++i) {
        const std::string from = FilePath(source, i);
        const std::string to = FilePath(target, i);
        const bool ok =
            progress != nullptr
                ? progress->CopyFileWithProgress(from.c_str(), to.c_str(), 0) == CopyResult::kCopied
                : CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
        if (!ok) return -1.0;
    }
    return Now() - start;
}

}  // namespace

int main(int argc, char** argv) {
    char base[MAX_PATH];
    if (argc > 1) {
        std::snprintf(base, sizeof base, "%s", argv[1]);
    } else {
        GetTempPathA(sizeof base, base);
    }
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    std::string root = base;
    if (root.empty() || root.back() != '\\') root += '\\';
    char scratch[64];
    std::snprintf(scratch, sizeof scratch, "install_copy_%lu\\", GetCurrentProcessId());
    root += scratch;
    const std::string source = root + "src\\";
    const std::string target = root + "dst\\";
    if (!CreateDirectoryA(root.c_str(), nullptr) || !CreateDirectoryA(source.c_str(), nullptr) ||
        !CreateDirectoryA(target.c_str(), nullptr)) {
        std::fprintf(stderr, "cannot create %s\n", root.c_str());
        return 1;
    }

    static CopyProgressDialog progress;
    const bool window = progress.Create(IDD_COPY_PROGRESS) != FALSE;
    std::printf("install copy: folder %s, %d rounds, progress window %s\n", root.c_str(), rounds,
                window ? "shown" : "not shown (no display)");

    int status = 0;
    std::vector<char> data(1u << 20);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 131) >> 3);
    for (const FileSet& set : kSets) {
        std::string setSource = source + (set.size > 65536 ? "L\\" : "S\\");
        std::string setTarget = target + (set.size > 65536 ? "L\\" : "S\\");
        CreateDirectoryA(setSource.c_str(), nullptr);
        CreateDirectoryA(setTarget.c_str(), nullptr);
        for (int i = 0; i < set.count && status == 0; ++i) {
            if (!WriteSourceFile(FilePath(setSource, i), set.size, data)) status = 1;
        }
        if (status != 0) {
            std::fprintf(stderr, "cannot write the source files\n");
            break;
        }
        // One unmeasured pass of each method warms the cache and the file system.
        CopySet(set, setSource, setTarget, &progress);
        CopySet(set, setSource, setTarget, nullptr);

        double best[2] = {1e30, 1e30};  // 0: CopyFileWithProgress, 1: CopyFileA
        for (int round = 0; round < rounds && status == 0; ++round) {
            for (int k = 0; k < 2; ++k) {
                const int method = (round + k) % 2;
                const double seconds =
                    CopySet(set, setSource, setTarget, method == 0 ? &progress : nullptr);
                if (seconds < 0) {
                    std::fprintf(stderr, "%s: a copy failed\n", set.name);
                    status = 1;
                    break;
                }
                if (seconds < best[method]) best[method] = seconds;
            }
        }
        if (status != 0) break;
        const double mib = static_cast<double>(set.count) * set.size / (1024.0 * 1024.0);
        const double ours = mib / best[0];
        const double platform = mib / best[1];
        std::printf(
            "%-14s CopyFileWithProgress %8.1f MiB/s %7.0f files/s | CopyFileA %8.1f MiB/s"
            " %7.0f files/s | ratio %.2f\n",
            set.name, ours, set.count / best[0], platform, set.count / best[1], ours / platform);
        if (set.size > 65536) {
            std::printf("goal: ratio >= 0.90 on the large files: %s\n",
                        ours / platform >= 0.9 ? "met" : "NOT met");
        }
        RemoveFiles(setSource, set.count);
        RemoveFiles(setTarget, set.count);
        RemoveDirectoryA(setSource.c_str());
        RemoveDirectoryA(setTarget.c_str());
    }
    RemoveDirectoryA(source.c_str());
    RemoveDirectoryA(target.c_str());
    RemoveDirectoryA(root.c_str());
    if (window) progress.DestroyWindow();
    return status;
}
