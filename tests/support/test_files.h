// Helpers for tests that work on real files: a temporary folder removed with everything in it,
// and files written with a chosen last-write time.
#pragma once

#include <windows.h>

#include <string>

// A fresh folder under the temp folder; its path ends in a backslash.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    // Path() followed by relative.
    std::string operator/(const std::string& relative) const { return m_path + relative; }

private:
    std::string m_path;
};

// A fixed moment plus seconds, as a file time.
FILETIME TimeAt(long long seconds);
// Creates the file (and its folders), writes text into it and sets its last-write time to
// TimeAt(seconds). Returns false on any failure.
bool WriteFileAt(const std::string& path, long long seconds, const char* text = "x");
// Sets the file's last-write time to TimeAt(seconds).
bool SetWriteTime(const std::string& path, long long seconds);
// Reads key of section in the profile file, "" when missing.
std::string ReadProfile(const std::string& file, const char* section, const char* key);
// The whole content of a file, or "<missing>".
std::string ReadWholeFile(const std::string& path);
