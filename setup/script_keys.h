// Key names of the install script's component sections ("Required", "Optional"), built from
// the words "PC-Group", "File", "Count", "Name", "Desc" and "Key" with decimal numbers between
// them, and the limits that keep a corrupt script from keeping the launcher busy.
#pragma once

#include <cstdio>

inline constexpr const char kRequiredSection[] = "Required";
inline constexpr const char kOptionalSection[] = "Optional";

// Buffer for one component value: 2047 characters and the terminator.
inline constexpr int kScriptValueSize = 2048;
// Buffer for one key name; the longest is "PC-Group" with two ten-digit numbers.
inline constexpr int kScriptKeySize = 64;

// Most groups in one section and most files in one group. Real discs list a few groups of at
// most some thousands of files; every file costs several file-system calls, so a count of two
// thousand million in a damaged script would otherwise keep the launcher busy for days.
inline constexpr int kMaxScriptGroups = 1000;
inline constexpr int kMaxGroupFiles = 10000;

// "PC-GroupCount"
inline void FormatGroupCountKey(char (&key)[kScriptKeySize]) {
    std::snprintf(key, sizeof key, "%s%s", "PC-Group", "Count");
}
// "PC-Group<group>Name" or "PC-Group<group>Desc" (word is "Name" or "Desc").
inline void FormatGroupKey(char (&key)[kScriptKeySize], int group, const char* word) {
    std::snprintf(key, sizeof key, "%s%d%s", "PC-Group", group, word);
}
// "PC-Group<group>FileCount"
inline void FormatFileCountKey(char (&key)[kScriptKeySize], int group) {
    std::snprintf(key, sizeof key, "%s%d%s%s", "PC-Group", group, "File", "Count");
}
// "PC-Group<group>File<file>Name" or "...Key" (word is "Name" or "Key").
inline void FormatFileKey(char (&key)[kScriptKeySize], int group, int file, const char* word) {
    std::snprintf(key, sizeof key, "%s%d%s%d%s", "PC-Group", group, "File", file, word);
}

// A count read from the script: 0 below 1, else the count; -1 when it is beyond limit, which
// marks a damaged script whose entries are not read at all.
inline int CheckScriptCount(int count, int limit) {
    if (count < 1) return 0;
    return count > limit ? -1 : count;
}
