#include "tools/disctool/findingwords.h"

#include <cstdio>

#include "tools/disctool/codepage.h"

namespace disctool::words {

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

std::string MissingLauncher(const std::string& launcher, const std::string& script) {
    if (script.empty()) return "the launcher " + launcher + " is not in the disc folder";
    return "no launcher " + launcher + " beside " + script;
}

std::string MissingGame(const std::string& baseName) {
    return "the game " + baseName + ".a32 is not beside the launcher";
}

std::string MissingScript(const std::string& baseName, const std::string& scriptFile,
                          const std::string& why) {
    if (!scriptFile.empty()) return "the install script " + scriptFile + " " + why;
    return "no install script " + baseName +
           ".inf beside the launcher; it would install nothing and start the game at once";
}

std::string NoGroups() {
    return "the install script lists no group in [Required] or [Optional]: nothing is installed and setup never shows";
}

std::string InstallerName(const std::string& launcher, const char* word) {
    return "the launcher's name " + launcher + " contains \"" + word +
           "\": Windows takes a program so named for an installer and asks for administrator rights every time it starts, and the game then runs as administrator; choose a name without install, setup, update, patch or upgrade";
}

std::string UnsafeSectionName(const std::string& baseName) {
    return "the launcher's base name " + Quote(baseName) +
           " cannot name a section of the shared file (no \"[\" or \"]\", blank at either end or control character): the launcher records no installed file, and setup may appear at every start";
}

std::string DefaultDirRelative(const std::string& dir, const std::string& destination) {
    return "DefaultDir " + Quote(dir) +
           " is not a drive with its root nor a network name; it would depend on the drive and folder the launcher is started from, so the launcher proposes " +
           destination + " instead";
}

std::string DefaultDirTooLong(bool longerThanPath, const std::string& destination) {
    if (longerThanPath) {
        return "DefaultDir is longer than a path can be; the launcher proposes " + destination +
               " instead";
    }
    return "DefaultDir does not fit a path with its backslash; the launcher proposes " +
           destination + " instead";
}

std::string ValueCut(const std::string& what, std::size_t chars) {
    return what + " is longer than " + std::to_string(chars) + " characters and is cut";
}

std::string BadBitmap(BitmapFault fault, const std::string& bitmap, std::size_t nameChars,
                      const char* reason) {
    switch (fault) {
        case BitmapFault::kNameTooLong:
            return "the start-up picture's name is longer than " + std::to_string(nameChars) +
                   " characters; the launcher refuses it and shows no start-up message";
        case BitmapFault::kNotOnDisc:
            return "the start-up picture " + Quote(bitmap) + " is not on the disc";
        case BitmapFault::kDoesNotLoad:
            break;
    }
    return "the start-up picture " + Quote(bitmap) +
           " does not load: " + (reason != nullptr ? reason : "unknown reason");
}

std::string BitmapNotChecked(const std::string& bitmap) {
    return "the start-up picture " + Quote(bitmap) +
           " is not a name inside the disc folder and cannot be checked here";
}

std::string PathTooLong(const std::string& where, const std::string& name, std::size_t chars,
                        const std::string& destination, std::size_t pathChars) {
    const std::string limit = "over the " + std::to_string(pathChars) +
                              " characters of a path: the launcher can never install it";
    if (destination.empty()) {
        return where + " " + Quote(name) + " is " + std::to_string(chars) + " characters long, " +
               limit;
    }
    return where + " " + Quote(name) + " in the destination " + destination + " makes " +
           std::to_string(chars) + " characters, " + limit + " there";
}

std::string RefusedName(const std::string& where, const std::string& name) {
    return where + " " + Quote(name) +
           " is not a relative name inside the disc folder that Windows holds as given (no dot-only component, device name or forbidden character); the launcher refuses it";
}

std::string UnpressableName(const std::string& where, const std::string& name,
                            const Unpressable& why) {
    std::string reason;
    switch (why.kind) {
        case Unpressable::kLink:
            reason = "is reached through the symbolic link " + Quote(why.component);
            break;
        case Unpressable::kSemicolon:
            reason = "holds \";\" in " + Quote(why.component);
            break;
        case Unpressable::kLongComponent:
        case Unpressable::kNone:
            reason = "has the component " + Quote(why.component) + " of " +
                     std::to_string(why.chars) + " characters, over the " +
                     std::to_string(why.limit) + " a Joliet name holds";
            break;
    }
    return where + " " + Quote(name) + " " + reason + "; the disc image would not hold it as named";
}

std::string MissingFile(const std::string& where, const std::string& name, bool isFolder) {
    return where + " " + Quote(name) +
           (isFolder ? " is a folder, not a file" : " is not on the disc");
}

std::string EmptyKey(const std::string& where, const std::string& name) {
    return where + " " + Quote(name) + " has no key to record it under";
}

std::string UnsafeKey(const std::string& where, const std::string& name, const std::string& key) {
    return where + " " + Quote(name) + " has the key " + Quote(key) +
           ", which the shared file cannot hold (\"=\", a leading \"[\" or \";\", blanks at either end, or a control character); the launcher never records it and a checked group with it fails";
}

std::string EmptyName(const std::string& where, std::int32_t unnamed, std::int32_t firstUnnamed) {
    return where + ": " + std::to_string(unnamed) + (unnamed == 1 ? " file has" : " files have") +
           " no name (first: file " + std::to_string(firstUnnamed) +
           "); the launcher can never count such a file installed";
}

std::string EmptyRequiredGroup(const std::string& where, const std::string& groupName) {
    return where + " " + Quote(groupName) +
           " lists no file: it counts as installed at once, so setup never shows for it";
}

std::string CountNotDecimal(const std::string& what, const std::string& text, std::int32_t count) {
    return what + " is written " + Quote(text) + ", which this launcher reads as " +
           std::to_string(count) +
           " but older systems read otherwise (they know no base prefix, read fewer digits or stop at 32 bits); write a plain decimal number";
}

std::string CountOverLimit(const std::string& what, std::int32_t count, int limit,
                           const char* noun) {
    return what + " is " + std::to_string(count) + ", over the launcher's limit of " +
           std::to_string(limit) + ": it reads only the first " + std::to_string(limit) + " " +
           noun + " and never installs or checks the rest";
}

std::string CountBelowOne(const std::string& section, std::int64_t group, std::int32_t count) {
    if (group == 0) {
        return section + " PC-GroupCount is " + std::to_string(count) +
               " but the section has group entries; none of them is read";
    }
    return section + " group " + std::to_string(group) + " FileCount is " + std::to_string(count) +
           " but the group lists files; none of them is read";
}

std::string DuplicateKey(const std::string& at, int firstLine) {
    return at + " repeats the key of line " + std::to_string(firstLine) +
           "; only the first is read";
}

std::string UnreadKey(const std::string& at) { return at + " is not a key the launcher reads"; }

std::string PastCount(const std::string& at, bool ofGroup, std::int32_t count) {
    return at + (ofGroup ? " is past the group's FileCount=" : " is past PC-GroupCount=") +
           std::to_string(count) + " and never read";
}

std::string RepeatedSection(const std::string& name, int firstLine, std::size_t entries) {
    return "[" + name + "] repeats the section of line " + std::to_string(firstLine) +
           "; the launcher reads only the first, so none of the " + std::to_string(entries) +
           " entries here is read";
}

namespace {

const char* ScriptTextIssueText(IniIssue::Kind kind) {
    switch (kind) {
        case IniIssue::kUtf8ByteOrderMark:
            return "the install script starts with a UTF-8 byte order mark: Wine reads the script as UTF-8, Windows reads the mark as part of the first line and misses its section; save the script in the ANSI code page without the mark";
        case IniIssue::kUtf16BigEndian:
            return "the install script is big-endian UTF-16, which Windows does not read; save it in the ANSI code page or as little-endian UTF-16";
        case IniIssue::kUnmappable:
            return "the Unicode install script holds a character the ANSI code page has no byte for; the launcher reads a look-alike or \"?\" instead";
        case IniIssue::kNulByte:
            return "the install script holds a NUL byte, which ends the name or value it is in (UTF-16 text without its byte order mark?)";
        case IniIssue::kEndOfFileMark:
            return "text follows byte 0x1A, an old end-of-file mark: some systems stop reading the script there, others take it for a blank";
        case IniIssue::kUnclosedSection:
            return "a line starts with \"[\" but has no \"]\": it starts no section, and it and the entries after it belong to the section before";
        case IniIssue::kSeveralBrackets:
            break;
    }
    return "a section header holds more than one \"]\": Wine's section name runs to the last one, others end it at the first; keep comments out of section headers";
}

// Where the unmappable character is and which it is: " (column 7: "€", U+20AC)".
std::string UnmappableWhere(const IniIssue& issue) {
    std::string character;
    AppendUtf8(issue.character, &character);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(issue.character));
    return " (column " + std::to_string(issue.column) + ": " + Quote(character) + ", " + code + ")";
}

}  // namespace

std::string ScriptTextIssue(IniIssue::Kind kind, int more, const IniIssue* unmappable) {
    std::string message = ScriptTextIssueText(kind);
    if (unmappable != nullptr) message += UnmappableWhere(*unmappable);
    if (more > 0)
        message += " (and " + std::to_string(more) + " more line" + (more == 1 ? "" : "s") + ")";
    return message;
}

std::string Utf8Script(int codepage, const std::string& value, const std::string& shown) {
    return "the install script looks like UTF-8, but the launcher reads it in code page " +
           std::to_string(codepage) + ": it shows " + Quote(value) + " as " + Quote(shown) +
           "; save the script in the ANSI code page";
}

std::string SlowStart(std::size_t files, std::size_t filesInASecond) {
    return "the script lists " + std::to_string(files) +
           " files: the launcher tests each of them at every start, so more than " +
           std::to_string(filesInASecond) +
           " delay the game by a second or more; list fewer, larger files (an archive the game reads)";
}

std::string FileInTwoGroups(const std::string& name, const char* section, int group,
                            const char* otherSection, int otherGroup) {
    return Quote(name) + " is listed in " + section + " group " + std::to_string(group) +
           " and already in " + otherSection + " group " + std::to_string(otherGroup) +
           "; the launcher installs it when either group is chosen";
}

std::string NameCase(const std::string& name, const std::string& otherName) {
    return Quote(name) + " and " + Quote(otherName) +
           " differ only in case and name one file on Windows; write them alike";
}

std::string ShowStartupAgainKey(const std::string& key, const std::string& name) {
    return "the key " + Quote(key) + " of " + Quote(name) +
           " is the start-up message's flag in the shared file; the two overwrite each other";
}

std::string RequiredKeyReused(const std::string& key, const std::string& firstName,
                              const std::string& name) {
    return "the key " + Quote(key) + " records both " + Quote(firstName) + " and " + Quote(name) +
           ", both required: one of them is never current, so setup shows at every start; give each its own key";
}

std::string KeyReused(const std::string& firstKey, const std::string& firstName,
                      const std::string& key, const std::string& name, bool sameKey) {
    if (sameKey) {
        return "the key " + Quote(key) + " records both " + Quote(firstName) + " and " +
               Quote(name) + "; only one installed copy can be recorded under it";
    }
    return "the keys " + Quote(firstKey) + " of " + Quote(firstName) + " and " + Quote(key) +
           " of " + Quote(name) +
           " differ only in case, some of it the case of letters beyond ASCII: one record where the profile functions fold case in the code page, two under Wine's; give them keys that differ in more than case";
}

}  // namespace disctool::words
