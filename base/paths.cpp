#include "base/paths.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Copies src into dest (kPathSize bytes). Returns false with dest empty when it does not fit.
bool CopyPath(char* dest, const char* src) {
    const std::size_t length = std::strlen(src);
    if (length >= static_cast<std::size_t>(kPathSize)) {
        dest[0] = '\0';
        return false;
    }
    std::memmove(dest, src, length + 1);
    return true;
}

// Appends text and a backslash to path (kPathSize bytes). Returns false, path unchanged, when
// the result would not fit.
bool AppendFolder(char* path, const char* text, std::size_t textLength) {
    const std::size_t length = std::strlen(path);
    if (length + textLength + 2 > static_cast<std::size_t>(kPathSize)) return false;
    std::memcpy(path + length, text, textLength);
    path[length + textLength] = '\\';
    path[length + textLength + 1] = '\0';
    return true;
}

// Walks a folder chain: its root first (a drive token, a leading backslash, or the
// \\server\share\ of a network name), then each backslash-separated token. Runs of backslashes
// count as one separator and produce no empty token.
class FolderChain {
public:
    FolderChain(const char* path, UINT codePage) : m_next(path), m_codePage(codePage) {}

    // Writes the chain's root into prefix: "\" for a rooted path, "\\server\share\" for a
    // network name, empty otherwise (the drive then comes as the first token). Returns false
    // when the network root does not fit.
    bool TakeRoot(char* prefix) {
        prefix[0] = '\0';
        if (m_next[0] != '\\') return true;
        if (m_next[1] != '\\') {
            while (*m_next == '\\') ++m_next;
            std::strcpy(prefix, "\\");
            return true;
        }
        // A network name: its server and share are the root that exists or does not.
        std::strcpy(prefix, "\\\\");
        m_next += 2;
        for (int part = 0; part < 2; ++part) {
            const char* token = nullptr;
            std::size_t length = 0;
            if (!Next(&token, &length)) break;
            if (!AppendFolder(prefix, token, length)) return false;
        }
        return true;
    }

    // Finds the next token. Returns false when none is left.
    bool Next(const char** token, std::size_t* length) {
        while (*m_next == '\\') ++m_next;
        if (*m_next == '\0') return false;
        const char* start = m_next;
        while (*m_next != '\0' && *m_next != '\\') m_next = NextPathChar(m_next, m_codePage);
        *token = start;
        *length = static_cast<std::size_t>(m_next - start);
        return true;
    }

private:
    const char* m_next;
    UINT m_codePage;
};

// Returns the Windows directory in windowsDir (kPathSize bytes), or false when it cannot be
// read or does not fit.
bool ReadWindowsDirectory(char* windowsDir) {
    const UINT length = GetWindowsDirectoryA(windowsDir, static_cast<UINT>(kPathSize));
    if (length == 0 || length >= static_cast<UINT>(kPathSize)) {
        windowsDir[0] = '\0';
        return false;
    }
    return true;
}

}  // namespace

const char* NextPathChar(const char* p, UINT codePage) {
    return IsDBCSLeadByteEx(codePage, static_cast<BYTE>(*p)) && p[1] != '\0' ? p + 2 : p + 1;
}

const char* LastPathChar(const char* path, UINT codePage) {
    const char* last = nullptr;
    for (const char* p = path; *p != '\0'; p = NextPathChar(p, codePage)) last = p;
    return last;
}

int SplitPath(PathParts* parts, const char* path, UINT codePage) {
    parts->drive[0] = parts->folder[0] = parts->name[0] = parts->extension[0] = '\0';
    const std::size_t length = std::strlen(path);
    if (length >= static_cast<std::size_t>(kPathSize)) return 0;

    std::size_t start = 0;
    if (length >= 2 && path[1] == ':') {
        parts->drive[0] = path[0];
        parts->drive[1] = ':';
        parts->drive[2] = '\0';
        start = 2;
    }
    // The folder ends after the last separator; the extension starts at the last dot after it.
    std::size_t nameStart = start;
    std::size_t lastDot = length;
    for (const char* p = path + start; *p != '\0'; p = NextPathChar(p, codePage)) {
        const std::size_t i = static_cast<std::size_t>(p - path);
        if (IsSeparator(*p)) {
            nameStart = i + 1;
            lastDot = length;
        } else if (*p == '.') {
            lastDot = i;
        }
    }
    std::memcpy(parts->folder, path + start, nameStart - start);
    parts->folder[nameStart - start] = '\0';
    std::memcpy(parts->name, path + nameStart, lastDot - nameStart);
    parts->name[lastDot - nameStart] = '\0';
    std::memcpy(parts->extension, path + lastDot, length - lastDot + 1);
    return 1;
}

int JoinPath(char* dest, const char* drive, const char* folder, const char* name,
             const char* extension, UINT codePage) {
    // The folder gets a backslash unless it is empty or already ends in a separator.
    const char* last = LastPathChar(folder, codePage);
    const bool folderNeedsSeparator = last != nullptr && !IsSeparator(*last);
    const char* dot = "";
    if (extension != nullptr && extension[0] != '\0' && extension[0] != '.') dot = ".";
    return FormatPath(dest, "%s%s%s%s%s%s", drive, folder, folderNeedsSeparator ? "\\" : "",
                      name != nullptr ? name : "", dot, extension != nullptr ? extension : "");
}

int FormatPath(char* dest, const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    const int written =
        std::vsnprintf(dest, static_cast<std::size_t>(kPathSize), format, arguments);
    va_end(arguments);
    if (written < 0 || written >= kPathSize) {
        dest[0] = '\0';
        return 0;
    }
    return 1;
}

int ReadProfilePath(char* dest, const char* section, const char* key, const char* file) {
    // Two bytes more than a path may hold, so that a value that was cut shows by its length: the
    // profile reader drops the last character of a quoted value that just fills its buffer, so
    // with one spare byte a quoted value of kPathSize characters would come back as a cut path.
    char value[kPathSize + 2];
    const DWORD length = GetPrivateProfileStringA(section, key, "", value, sizeof value, file);
    if (length >= static_cast<DWORD>(kPathSize)) {
        dest[0] = '\0';
        return 0;
    }
    std::memcpy(dest, value, length + 1);
    return 1;
}

bool IsCodePageLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

int IsSafeRelativeName(const char* name) {
    return rules::IsSafeRelativeName(name, &IsCodePageLeadByte) ? 1 : 0;
}

void NormalizeSeparators(char* name) { rules::NormalizeSeparators(name, &IsCodePageLeadByte); }

int PathExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
}

int PathFolderExists(const char* path) {
    char folder[kPathSize];
    GetPathFolder(folder, path);
    return PathExists(folder);
}

int CreateFolderChain(const char* path, UINT codePage) {
    char copy[kPathSize];
    if (!CopyPath(copy, path)) return 0;
    char prefix[kPathSize];
    FolderChain chain(copy, codePage);
    if (!chain.TakeRoot(prefix)) return 0;
    const char* token = nullptr;
    std::size_t length = 0;
    while (chain.Next(&token, &length)) {
        if (!AppendFolder(prefix, token, length)) return 0;
        if (!PathExists(prefix) && !CreateDirectoryA(prefix, nullptr)) return 0;
    }
    return 1;
}

int ReadFileWriteTimes(const char* first, const char* second, FILETIME* firstTime,
                       FILETIME* secondTime, FILETIME* firstCreation, FILETIME* secondCreation) {
    HANDLE firstFile = CreateFileA(first, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE secondFile = CreateFileA(second, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    int result = 0;
    if (firstFile != INVALID_HANDLE_VALUE && secondFile != INVALID_HANDLE_VALUE &&
        GetFileTime(firstFile, firstCreation, nullptr, firstTime) &&
        GetFileTime(secondFile, secondCreation, nullptr, secondTime)) {
        result = 1;
    }
    if (firstFile != INVALID_HANDLE_VALUE) CloseHandle(firstFile);
    if (secondFile != INVALID_HANDLE_VALUE) CloseHandle(secondFile);
    return result;
}

int CompareFileWriteTimes(const char* first, const char* second) {
    FILETIME firstTime{};
    FILETIME secondTime{};
    if (!ReadFileWriteTimes(first, second, &firstTime, &secondTime)) return -2;
    return static_cast<int>(CompareFileTime(&firstTime, &secondTime));
}

int AddTrailingBackslash(char* path) { return AddTrailingBackslash(path, CP_ACP); }

int AddTrailingBackslash(char* path, UINT codePage) {
    const char* last = LastPathChar(path, codePage);
    if (last == nullptr) return 0;
    if (*last == '\\') return 1;
    const std::size_t length = std::strlen(path);
    if (length + 2 > static_cast<std::size_t>(kPathSize)) return 0;
    path[length] = '\\';
    path[length + 1] = '\0';
    return 1;
}

int RemoveTrailingBackslash(char* path) { return RemoveTrailingBackslash(path, CP_ACP); }

int RemoveTrailingBackslash(char* path, UINT codePage) {
    char* last = const_cast<char*>(LastPathChar(path, codePage));
    if (last == nullptr) return 0;
    if (*last == '\\') *last = '\0';
    return 1;
}

int GetPathFolder(char* dest, const char* path, UINT codePage) {
    PathParts parts;
    SplitPath(&parts, path, codePage);
    JoinPath(dest, parts.drive, parts.folder, nullptr, nullptr, codePage);
    return 1;
}

int GetExistingFolderPrefix(char* dest, const char* path, UINT codePage) {
    char copy[kPathSize];
    const bool copied = CopyPath(copy, path);
    dest[0] = '\0';
    if (!copied) return 1;
    char test[kPathSize];
    FolderChain chain(copy, codePage);
    if (!chain.TakeRoot(test)) return 1;
    if (test[0] != '\0') {
        if (!PathExists(test)) return 1;
        std::strcpy(dest, test);
    }
    const char* token = nullptr;
    std::size_t length = 0;
    while (chain.Next(&token, &length)) {
        if (!AppendFolder(test, token, length) || !PathExists(test)) break;
        AppendFolder(dest, token, length);
    }
    return 1;
}

int FormatSharedIniPath(char* dest, const char* windowsDir) {
    char folder[kPathSize];
    if (!CopyPath(folder, windowsDir) || !AddTrailingBackslash(folder)) {
        dest[0] = '\0';
        return 0;
    }
    return JoinPath(dest, "", folder, rules::kSharedFileName, nullptr);
}

int FormatDefaultInstallDir(char* dest, const char* windowsDir, const char* name) {
    PathParts parts;
    SplitPath(&parts, windowsDir);
    char folder[kPathSize];
    if (!FormatPath(folder, "%s\\%s\\%s", parts.drive, rules::kDefaultInstallRoot,
                    name != nullptr ? name : "") ||
        !AddTrailingBackslash(folder)) {
        dest[0] = '\0';
        return 0;
    }
    std::strcpy(dest, folder);
    return 1;
}

int GetSharedIniPath(char* dest) {
    char windowsDir[kPathSize];
    if (!ReadWindowsDirectory(windowsDir)) {
        dest[0] = '\0';
        return 0;
    }
    return FormatSharedIniPath(dest, windowsDir);
}

int GetDefaultInstallDir(char* dest, const char* name) {
    char windowsDir[kPathSize];
    if (!ReadWindowsDirectory(windowsDir)) {
        dest[0] = '\0';
        return 0;
    }
    return FormatDefaultInstallDir(dest, windowsDir, name);
}
