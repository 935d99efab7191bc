#include "setup/install_state.h"

#include <cstring>

#include "base/install_script.h"
#include "base/records.h"

namespace {

// How far apart write times may lie on the volume that holds path (rules::CoarseTimeTolerance
// of its file system; 0 when it cannot be told).
std::uint64_t VolumeTimeTolerance(const char* path, VolumeFileSystemQuery queryFileSystem) {
    char name[MAX_PATH + 1] = "";
    if (!queryFileSystem(path, name, sizeof name)) return 0;
    return rules::CoarseTimeTolerance(name);
}

std::uint64_t ToTicks(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Tests every file of one component section as the walk hands it over.
class SectionCheck final : public ComponentSectionVisitor {
public:
    SectionCheck(const ProductPaths& paths, VolumeFileSystemQuery queryFileSystem)
        : m_paths(paths), m_queryFileSystem(queryFileSystem) {}

    // false when any file is not current.
    bool AllCurrent() const { return m_allCurrent; }

    void OnFileName(const char* name) override {
        lstrcpynA(m_name, name, static_cast<int>(sizeof m_name));
    }
    void OnFileKey(const char* key) override {
        if (!IsInstalledFileCurrent(m_paths, m_name, key, m_queryFileSystem)) m_allCurrent = false;
    }

private:
    const ProductPaths& m_paths;
    VolumeFileSystemQuery m_queryFileSystem;
    bool m_allCurrent = true;
    char m_name[rules::kScriptValueSize] = "";
};

bool AreSectionFilesCurrent(const ProductPaths& paths, const char* section,
                            VolumeFileSystemQuery queryFileSystem) {
    char buffer[rules::kScriptValueSize];
    SectionCheck check(paths, queryFileSystem);
    WalkComponentSection(paths.scriptPath, section, false, buffer, check);
    return check.AllCurrent();
}

}  // namespace

int HasSourceWriteTime(const char* source, const char* copy,
                       VolumeFileSystemQuery queryFileSystem) {
    FILETIME sourceWrite{};
    FILETIME copyWrite{};
    FILETIME sourceCreation{};
    FILETIME copyCreation{};
    if (!ReadFileWriteTimes(source, copy, &sourceWrite, &copyWrite, &sourceCreation,
                            &copyCreation)) {
        return 0;
    }
    const rules::FileTimes sourceTimes{ToTicks(sourceCreation), ToTicks(sourceWrite)};
    const rules::FileTimes copyTimes{ToTicks(copyCreation), ToTicks(copyWrite)};
    return rules::IsCopyCurrent(sourceTimes, copyTimes, VolumeTimeTolerance(copy, queryFileSystem))
               ? 1
               : 0;
}

int GetPathDriveRoot(const char* path, char* root, DWORD size) {
    char full[kPathSize];
    const DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) return 0;
    const char* end = nullptr;
    if (full[0] != '\0' && full[1] == ':') {
        end = full + 2;
    } else if (full[0] == '\\' && full[1] == '\\') {
        // The server and the share: two names after the leading backslashes.
        const char* p = full + 2;
        for (int part = 0; part < 2; ++part) {
            const char* start = p;
            while (*p != '\0' && *p != '\\') p = NextPathChar(p);
            if (p == start) return 0;
            if (part == 0) {
                if (*p == '\0') return 0;
                ++p;
            }
        }
        end = p;
    } else {
        return 0;
    }
    const std::size_t rootLength = static_cast<std::size_t>(end - full);
    if (rootLength + 2 > size) return 0;
    std::memcpy(root, full, rootLength);
    root[rootLength] = '\\';
    root[rootLength + 1] = '\0';
    return 1;
}

int QueryVolumeFileSystem(const char* path, char* name, DWORD size) {
    // GetVolumePathNameA also knows folders on which another volume is mounted. It is looked
    // up, since systems before Windows 2000 lack it; they mount no volume on a folder either,
    // so there the drive or share root is the volume's root.
    using VolumePathName = BOOL(WINAPI*)(LPCSTR, LPSTR, DWORD);
    static const auto volumePathName = [] {
        const HMODULE kernel = GetModuleHandleA("kernel32.dll");
        return kernel == nullptr ? nullptr
                                 : reinterpret_cast<VolumePathName>(reinterpret_cast<void (*)()>(
                                       GetProcAddress(kernel, "GetVolumePathNameA")));
    }();
    char root[MAX_PATH + 1];
    const BOOL found = volumePathName != nullptr ? volumePathName(path, root, sizeof root)
                                                 : GetPathDriveRoot(path, root, sizeof root);
    if (!found) return 0;
    return GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, name, size) ? 1 : 0;
}

int IsInstalledFileCurrent(const ProductPaths& paths, const char* name, const char* key,
                           VolumeFileSystemQuery queryFileSystem) {
    char source[kPathSize];
    if (!IsSafeRelativeName(name) || !FormatPath(source, "%s%s", paths.sourceFolder, name)) {
        return 0;
    }

    // A key (or base name) the shared file cannot hold has no record: only a current copy in
    // the proposed destination counts, and nothing is written.
    const bool recordable = IsRecordable(paths, key) != 0;
    char recorded[kPathSize] = "";
    switch (recordable ? ReadRecord(paths, key, recorded) : kRecordRead) {
        case kRecordRefused:
            return 0;
        case kRecordNoCopy:
            // A value that is no full path names no copy: forgotten like a missing one.
            EraseRecord(paths, key);
            return 0;
        default:
            break;
    }

    if (recorded[0] != '\0') {
        if (PathExists(recorded) && HasSourceWriteTime(source, recorded, queryFileSystem)) {
            return 1;
        }
        EraseRecord(paths, key);
        return 0;
    }

    // Nothing recorded: adopt a current copy already present in the proposed destination.
    char candidate[kPathSize];
    if (paths.destFolder[0] == '\0' || !FormatPath(candidate, "%s%s", paths.destFolder, name) ||
        !PathExists(candidate) || !HasSourceWriteTime(source, candidate, queryFileSystem)) {
        return 0;
    }
    if (recordable) WriteRecord(paths, key, candidate);
    return 1;
}

int AreRequiredInstalledFilesCurrent(const ProductPaths& paths,
                                     VolumeFileSystemQuery queryFileSystem) {
    if (paths.sourceFolder[0] == '\0') return 0;
    const bool required = AreSectionFilesCurrent(paths, rules::kRequiredSection, queryFileSystem);
    AreSectionFilesCurrent(paths, rules::kOptionalSection, queryFileSystem);
    return required ? 1 : 0;
}
