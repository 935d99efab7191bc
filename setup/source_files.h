// Which paths name the same file: paths resolved and compared as the file system compares
// names, and files and folders told apart by identity whatever their spelling. The install run
// and the removal both use them to keep the product's source files out of reach.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_set>
#include <vector>

#include "base/paths.h"

// The full path of path ("." and ".." resolved, relative paths made absolute) in dest
// (kPathSize bytes). false when it cannot be formed or does not fit.
bool ResolvePath(char* dest, const char* path);

// The resolved path in upper case, as the file system compares names; empty when the path
// cannot be resolved.
std::string ComparisonKey(const char* path);

// The name path ends in as Windows holds it (rules::HeldFileName: the last component without
// trailing dots and spaces), in upper case; the second byte of a double-byte character is
// never taken for a separator.
std::string LastComponentKey(const char* path);

// Which file or folder a path names, whatever its spelling: the volume's serial number and
// the file's index on it.
struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the existing file or folder at path into identity. false when it cannot be
// read (no such file, a system that cannot open folders, a file system without file indexes);
// callers then rely on comparing the resolved paths alone.
bool ReadFileIdentity(const char* path, FileIdentity* identity);

// Identities of files and folders: a list, since a run knows few of them.
class IdentitySet {
public:
    void Add(const char* path) {
        FileIdentity identity;
        if (ReadFileIdentity(path, &identity)) m_identities.push_back(identity);
    }
    bool Contains(const char* path) const {
        FileIdentity identity;
        if (m_identities.empty() || !ReadFileIdentity(path, &identity)) return false;
        for (const FileIdentity& known : m_identities) {
            if (known == identity) return true;
        }
        return false;
    }

private:
    std::vector<FileIdentity> m_identities;
};

// Knows the product's source files: every file directly in the source folder (the launcher,
// its script, the game) and the source of every component file. No step of a run deletes or
// replaces one of them, whatever the shared file records or the user typed.
class SourceFiles {
public:
    // Starts with the source folder; false when it cannot be resolved.
    bool Load(const char* sourceFolder) {
        m_folder = ComparisonKey(sourceFolder);
        if (m_folder.empty()) return false;
        if (const char* last = LastPathChar(m_folder.c_str()); *last != '\\') m_folder += '\\';
        m_sourceFolder = sourceFolder;
        m_folderIdentity.Add(sourceFolder);
        return true;
    }

    // Adds the source of a component file (name relative to the source folder); an unsafe
    // name, or one whose source does not fit, names no source file.
    void AddFile(const char* name) {
        char source[kPathSize];
        if (IsSafeRelativeName(name) && FormatPath(source, "%s%s", m_sourceFolder.c_str(), name)) {
            std::string key = ComparisonKey(source);
            if (!key.empty()) m_files.insert(std::move(key));
            m_fileIdentities.Add(source);
        }
    }

    // Whether folder (with a trailing backslash) is the source folder, by its resolved path or
    // by its identity (another spelling: a "\\?\" prefix, a mapped or substituted drive, a
    // short name, a junction).
    bool IsSourceFolder(const char* folder) const {
        return ComparisonKey(folder) == m_folder || m_folderIdentity.Contains(folder);
    }

    // Whether path names a source file, by its resolved path or by identity. A path that
    // cannot be resolved counts as one, so it is left alone.
    bool Contains(const char* path) const {
        const std::string key = ComparisonKey(path);
        if (key.empty()) return true;
        char folder[kPathSize];
        GetPathFolder(folder, key.c_str());
        if (folder == m_folder) return true;
        if (m_files.count(key) != 0 || m_fileIdentities.Contains(path)) return true;
        return folder[0] != '\0' && m_folderIdentity.Contains(folder);
    }

private:
    std::string m_folder;
    std::string m_sourceFolder;
    std::unordered_set<std::string> m_files;
    IdentitySet m_folderIdentity;
    IdentitySet m_fileIdentities;
};
