// The words of every finding, beside the findings table (findings.h): one function per kind
// that takes the facts a reader or a pass found and returns the line check prints. The
// readers and passes state facts; only this module words them. "where" is the place in the
// script a finding is about ("Required group 1 file 2"), as the reader names it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/disctool/inifile.h"

namespace disctool::words {

// text in double quotes.
std::string Quote(const std::string& text);

// The disc folder and the launcher. script: the only .inf the launcher was named after, or
// empty when --launcher named it.
std::string MissingLauncher(const std::string& launcher, const std::string& script);
std::string MissingGame(const std::string& baseName);
// scriptFile: the script's file name when it is there but cannot be read (why), else empty.
std::string MissingScript(const std::string& baseName, const std::string& scriptFile,
                          const std::string& why);
std::string NoGroups();
std::string InstallerName(const std::string& launcher, const char* word);
std::string UnsafeSectionName(const std::string& baseName);

// [General] and [StartupOptions].
std::string DefaultDirRelative(const std::string& dir, const std::string& destination);
// longerThanPath: the value does not fit a path at all (else only not with its backslash).
std::string DefaultDirTooLong(bool longerThanPath, const std::string& destination);
// what: the value ("BasDlgTitle", "Required group 1 name"); chars: what the launcher reads.
std::string ValueCut(const std::string& what, std::size_t chars);
enum class BitmapFault { kNameTooLong, kNotOnDisc, kDoesNotLoad };
// nameChars: the most a name may have (kNameTooLong); reason: why it does not load, or null.
std::string BadBitmap(BitmapFault fault, const std::string& bitmap, std::size_t nameChars,
                      const char* reason);
std::string BitmapNotChecked(const std::string& bitmap);

// The files of the component sections.
// chars: the name's length, or with destination (not empty) the destination's and the name's.
std::string PathTooLong(const std::string& where, const std::string& name, std::size_t chars,
                        const std::string& destination, std::size_t pathChars);
std::string RefusedName(const std::string& where, const std::string& name);
// Why a file found on the disc cannot be pressed into the image as named.
struct Unpressable {
    enum Kind { kNone, kLink, kSemicolon, kLongComponent };
    Kind kind = kNone;
    std::string component;  // the component at fault
    std::size_t chars = 0;  // kLongComponent: its UTF-16 code units
    std::size_t limit = 0;  // kLongComponent: the most a Joliet name holds
};
std::string UnpressableName(const std::string& where, const std::string& name,
                            const Unpressable& why);
std::string MissingFile(const std::string& where, const std::string& name, bool isFolder);
std::string EmptyKey(const std::string& where, const std::string& name);
std::string UnsafeKey(const std::string& where, const std::string& name, const std::string& key);
std::string EmptyName(const std::string& where, std::int32_t unnamed, std::int32_t firstUnnamed);
std::string EmptyRequiredGroup(const std::string& where, const std::string& groupName);

// Counts and entries. what: the count's key as the script names it.
std::string CountNotDecimal(const std::string& what, const std::string& text, std::int32_t count);
// noun: what the count counts ("groups", "files").
std::string CountOverLimit(const std::string& what, std::int32_t count, int limit,
                           const char* noun);
// group: 0 for the section's group count, else the group whose file count it is.
std::string CountBelowOne(const std::string& section, std::int64_t group, std::int32_t count);
std::string DuplicateKey(const std::string& at, int firstLine);
std::string UnreadKey(const std::string& at);
// ofGroup: past the group's FileCount (else past PC-GroupCount).
std::string PastCount(const std::string& at, bool ofGroup, std::int32_t count);
std::string RepeatedSection(const std::string& name, int firstLine, std::size_t entries);

// The script's text. more: further lines with the issue; unmappable: the first unmappable
// character's issue, for kUnmappable.
std::string ScriptTextIssue(IniIssue::Kind kind, int more, const IniIssue* unmappable);
std::string Utf8Script(int codepage, const std::string& value, const std::string& shown);

// The disc as a whole.
std::string SlowStart(std::size_t files, std::size_t filesInASecond);
std::string FileInTwoGroups(const std::string& name, const char* section, int group,
                            const char* otherSection, int otherGroup);
std::string NameCase(const std::string& name, const std::string& otherName);
std::string ShowStartupAgainKey(const std::string& key, const std::string& name);
std::string RequiredKeyReused(const std::string& key, const std::string& firstName,
                              const std::string& name);
// The same key (firstKey == key but for ASCII case), or keys that differ in the case of
// letters beyond ASCII.
std::string KeyReused(const std::string& firstKey, const std::string& firstName,
                      const std::string& key, const std::string& name, bool sameKey);

}  // namespace disctool::words
