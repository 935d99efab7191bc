// Every kind of finding that check reports on a disc, declared once: its code (the stable word
// in "[code]" and in the JSON reports), how much it weighs, and one line that says what it
// means. The reference of docs/install-script.md lists exactly these codes (a test holds it),
// and "disctool check --help" prints this table.
#pragma once

#include <cstddef>
#include <span>

namespace disctool {

// How much a finding weighs: an error fails check, a warning fails it with --strict, and a
// note (something allowed that the author may not have meant) never does.
enum class Severity { kError, kWarning, kNote };

// One kind per row of kFindingKinds, in the same order.
enum class FindingCode {
    kMissingLauncher,
    kMissingGame,
    kMissingScript,
    kMissingFile,
    kRefusedName,
    kUnpressableName,
    kUnsafeKey,
    kUnsafeSectionName,
    kDefaultDirRelative,
    kCountNotDecimal,
    kSectionHeader,
    kByteOrderMark,
    kUtf16BigEndian,
    kUnmappableCharacter,
    kNulByte,
    kEndOfFileMark,
    kEmptyName,
    kEmptyKey,
    kBadBitmap,
    kCountOverLimit,
    kEmptyRequiredGroup,
    kRequiredKeyReused,
    kPathTooLong,
    kBitmapNotChecked,
    kDefaultDirTooLong,
    kValueCut,
    kKeyReused,
    kShowStartupAgainKey,
    kDuplicateKey,
    kUnreadKey,
    kPastCount,
    kCountBelowOne,
    kRepeatedSection,
    kNameCase,
    kInstallerName,
    kSlowStart,
    kUtf8Script,
    kNoGroups,
    kFileInTwoGroups,
};

struct FindingKind {
    FindingCode id;
    const char* code;  // the stable word ("missing-file")
    Severity severity;
    const char* summary;  // what it means, one line
};

inline constexpr FindingKind kFindingKinds[] = {
    {FindingCode::kMissingLauncher, "missing-launcher", Severity::kError,
     "the launcher named by --launcher, or NAME.EXE beside the only .inf, is not in the folder"},
    {FindingCode::kMissingGame, "missing-game", Severity::kError,
     "no NAME.a32 beside the launcher: it installs but never starts a game"},
    {FindingCode::kMissingScript, "missing-script", Severity::kError,
     "no NAME.inf beside the launcher, or it cannot be read: nothing is installed"},
    {FindingCode::kMissingFile, "missing-file", Severity::kError,
     "a listed file is not on the disc, or is a folder"},
    {FindingCode::kRefusedName, "refused-name", Severity::kError,
     "a file name the launcher refuses: never copied, never counts as installed"},
    {FindingCode::kUnpressableName, "unpressable-name", Severity::kError,
     "a listed file the disc image cannot hold as named: a link, a \";\", a name too long"},
    {FindingCode::kUnsafeKey, "unsafe-key", Severity::kError,
     "a key the shared file cannot hold: the file is copied but never recorded"},
    {FindingCode::kUnsafeSectionName, "unsafe-section-name", Severity::kError,
     "the launcher's base name cannot name a section of the shared file: nothing is recorded"},
    {FindingCode::kDefaultDirRelative, "default-dir-relative", Severity::kError,
     "DefaultDir is neither a drive with its root nor a network name"},
    {FindingCode::kCountNotDecimal, "count-not-decimal", Severity::kError,
     "a count with a base prefix, too many digits or beyond 32 bits: systems read it apart"},
    {FindingCode::kSectionHeader, "section-header", Severity::kError,
     "a line starting with \"[\" without \"]\", or a header with more than one \"]\""},
    {FindingCode::kByteOrderMark, "byte-order-mark", Severity::kError,
     "the script starts with a UTF-8 byte order mark: systems read it differently"},
    {FindingCode::kUtf16BigEndian, "utf16-big-endian", Severity::kError,
     "the script is big-endian UTF-16, which Windows does not read"},
    {FindingCode::kUnmappableCharacter, "unmappable-character", Severity::kError,
     "a UTF-16 script holds a character the ANSI code page lacks (line, column, character)"},
    {FindingCode::kNulByte, "nul-byte", Severity::kError,
     "a NUL byte, which ends its name or value"},
    {FindingCode::kEndOfFileMark, "end-of-file-mark", Severity::kError,
     "text after byte 0x1A: some systems stop reading there"},
    {FindingCode::kEmptyName, "empty-name", Severity::kError,
     "a group lists files without a name: they never count as installed"},
    {FindingCode::kEmptyKey, "empty-key", Severity::kError,
     "a named file without a key: it cannot be recorded"},
    {FindingCode::kBadBitmap, "bad-bitmap", Severity::kError,
     "the start-up picture is missing, does not load, or its name is too long"},
    {FindingCode::kCountOverLimit, "count-over-limit", Severity::kError,
     "a PC-GroupCount over 1000 or a FileCount over 10000: only the first 1000 groups or 10000 files are read"},
    {FindingCode::kEmptyRequiredGroup, "empty-required-group", Severity::kError,
     "a required group that lists no file: it counts as installed at once"},
    {FindingCode::kRequiredKeyReused, "required-key-reused", Severity::kError,
     "one key records two required files: one is never current, setup shows at every start"},
    {FindingCode::kPathTooLong, "path-too-long", Severity::kError,
     "a file's name, or the destination and its name, longer than the 259 of a path"},
    {FindingCode::kBitmapNotChecked, "bitmap-not-checked", Severity::kWarning,
     "the start-up picture is not inside the disc folder and cannot be looked at"},
    {FindingCode::kDefaultDirTooLong, "default-dir-too-long", Severity::kWarning,
     "DefaultDir does not fit a path with its backslash: the default folder is proposed"},
    {FindingCode::kValueCut, "value-cut", Severity::kWarning,
     "the product name, a title, instruction or component value longer than the launcher reads: "
     "it is cut"},
    {FindingCode::kKeyReused, "key-reused", Severity::kWarning,
     "one key records two different files: only one can count as installed"},
    {FindingCode::kShowStartupAgainKey, "show-startup-again-key", Severity::kWarning,
     "a file's key is the start-up message's flag: the two overwrite each other"},
    {FindingCode::kDuplicateKey, "duplicate-key", Severity::kWarning,
     "a key repeated in a section: only the first is read"},
    {FindingCode::kUnreadKey, "unread-key", Severity::kWarning,
     "a key the launcher never reads in a component section"},
    {FindingCode::kPastCount, "past-count", Severity::kWarning,
     "a group or file entry past its count: never read"},
    {FindingCode::kCountBelowOne, "count-below-one", Severity::kWarning,
     "a count below 1 while the section or group has entries: none is read"},
    {FindingCode::kRepeatedSection, "repeated-section", Severity::kWarning,
     "a second section of a name the launcher reads: none of its entries is read"},
    {FindingCode::kNameCase, "name-case", Severity::kWarning,
     "two listings whose names differ only in case: one file on Windows"},
    {FindingCode::kInstallerName, "installer-name", Severity::kWarning,
     "the launcher's name makes Windows ask for administrator rights at every start"},
    {FindingCode::kSlowStart, "slow-start", Severity::kWarning,
     "the script lists more files than the launcher tests in about a second at every start"},
    {FindingCode::kUtf8Script, "utf8-script", Severity::kWarning,
     "the script looks like UTF-8 beyond ASCII: the launcher shows those characters wrongly"},
    {FindingCode::kNoGroups, "no-groups", Severity::kWarning,
     "the script lists no group: nothing is installed and setup never shows"},
    {FindingCode::kFileInTwoGroups, "file-in-two-groups", Severity::kNote,
     "one file listed in two groups: installed when either group is chosen"},
};

namespace detail {
constexpr bool KindsInOrder() {
    std::size_t index = 0;
    for (const FindingKind& kind : kFindingKinds) {
        if (static_cast<std::size_t>(kind.id) != index++) return false;
    }
    return true;
}
}  // namespace detail
static_assert(detail::KindsInOrder(), "kFindingKinds lists the codes in FindingCode's order");

inline const FindingKind& KindOf(FindingCode code) {
    return kFindingKinds[static_cast<std::size_t>(code)];
}

// "error", "warning" or "note".
const char* SeverityWord(Severity severity);

}  // namespace disctool
