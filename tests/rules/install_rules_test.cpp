#include "rules/install_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using rules::FileTimes;
using rules::ScriptKey;

// The file-name rule. Both sides refuse exactly these names; a new rule adds its cases here.
TEST(InstallRules, SafeRelativeNames) {
    struct Case {
        const char* name;
        bool safe;
    };
    const Case cases[] = {
        {"GAME.DAT", true},
        {"MUSIC\\THEME.MID", true},
        {"MUSIC/THEME.MID", true},
        {"", true},
        {"DATA\\..LEVEL\\x..y\\...\\A.DAT", true},
        {".\\GAME.DAT", true},
        {"..", false},
        {"..\\X", false},
        {"../X", false},
        {"inner\\..\\..\\X", false},
        {"A\\..", false},
        {"A/../B", false},
        {"\\X", false},
        {"/X", false},
        {"\\\\server\\share\\X", false},
        {"C:X", false},
        {"C:\\GAMES\\X", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rules::IsSafeRelativeName(c.name), c.safe) << c.name;
    }
}

// With a double-byte code page the second byte of a character is never a separator: "\x81\\"
// is one character, so "\x81\\.." has no ".." component there, and has one byte by byte.
TEST(InstallRules, SafeRelativeNamesWithDoubleByteCharacters) {
    const auto leadByte = [](unsigned char byte) { return byte == 0x81; };
    struct Case {
        const char* name;
        bool safeByteByByte;
        bool safeDoubleByte;
    };
    const Case cases[] = {
        {"\x81\\..", false, true},
        {"\x81\\..\\..", false, false},
        {"A\\\x81", true, true},  // a lead byte at the end stands alone
        {"\x81", true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rules::IsSafeRelativeName(c.name), c.safeByteByByte) << c.name;
        EXPECT_EQ(rules::IsSafeRelativeName(c.name, leadByte), c.safeDoubleByte) << c.name;
    }
}

// Every key the launcher builds parses back to its kind and numbers.
TEST(InstallRules, FormattedKeysParseBack) {
    char key[rules::kScriptKeySize];
    rules::FormatGroupCountKey(key);
    EXPECT_STREQ(key, "PC-GroupCount");
    EXPECT_EQ(rules::ParseScriptKey(key).kind, ScriptKey::kGroupCount);
    for (const int group : {1, 9, 10, 1000, 2147483647}) {
        for (const char* word : {"Name", "Desc"}) {
            rules::FormatGroupKey(key, group, word);
            const ScriptKey parsed = rules::ParseScriptKey(key);
            EXPECT_EQ(parsed.kind, word[0] == 'N' ? ScriptKey::kGroupName : ScriptKey::kGroupDesc)
                << key;
            EXPECT_EQ(parsed.group, group) << key;
        }
        rules::FormatFileCountKey(key, group);
        EXPECT_EQ(rules::ParseScriptKey(key).kind, ScriptKey::kFileCount) << key;
        EXPECT_EQ(rules::ParseScriptKey(key).group, group) << key;
        for (const int file : {1, 10000, 2147483647}) {
            for (const char* word : {"Name", "Key"}) {
                rules::FormatFileKey(key, group, file, word);
                const ScriptKey parsed = rules::ParseScriptKey(key);
                EXPECT_EQ(parsed.kind, word[0] == 'N' ? ScriptKey::kFileName : ScriptKey::kFileKey)
                    << key;
                EXPECT_EQ(parsed.group, group) << key;
                EXPECT_EQ(parsed.file, file) << key;
            }
        }
    }
}

// The key grammar. Keys of other forms are never asked for; a new rule adds its cases here.
TEST(InstallRules, KeyGrammar) {
    struct Case {
        const char* key;
        ScriptKey::Kind kind;
        long long group;
        long long file;
    };
    const Case cases[] = {
        {"pc-groupcount", ScriptKey::kGroupCount, 0, 0},
        {"PC-GROUP2NAME", ScriptKey::kGroupName, 2, 0},
        {"Pc-Group3FileCount", ScriptKey::kFileCount, 3, 0},
        {"PC-Group1File2key", ScriptKey::kFileKey, 1, 2},
        {"PC-Group123456789012File1Name", ScriptKey::kFileName, 123456789012, 1},
        {"PC-Group", ScriptKey::kNone, 0, 0},
        {"PC-GroupName", ScriptKey::kNone, 0, 0},
        {"PC-Group01Name", ScriptKey::kNone, 0, 0},
        {"PC-Group0Name", ScriptKey::kNone, 0, 0},
        {"PC-Group1File0Name", ScriptKey::kNone, 0, 0},
        {"PC-Group1File01Key", ScriptKey::kNone, 0, 0},
        {"PC-Group1FileName", ScriptKey::kNone, 0, 0},
        {"PC-Group1File1Desc", ScriptKey::kNone, 0, 0},
        {"PC-Group1Names", ScriptKey::kNone, 0, 0},
        {"PC-Group1234567890123Name", ScriptKey::kNone, 0, 0},
        {"PC-Group-1Name", ScriptKey::kNone, 0, 0},
        {"PC Group1Name", ScriptKey::kNone, 0, 0},
        {"GroupCount", ScriptKey::kNone, 0, 0},
    };
    for (const Case& c : cases) {
        const ScriptKey parsed = rules::ParseScriptKey(c.key);
        EXPECT_EQ(parsed.kind, c.kind) << c.key;
        EXPECT_EQ(parsed.group, c.group) << c.key;
        EXPECT_EQ(parsed.file, c.file) << c.key;
    }
}

TEST(InstallRules, CountsAgainstTheirLimits) {
    EXPECT_EQ(rules::CheckScriptCount(-5, rules::kMaxScriptGroups), 0);
    EXPECT_EQ(rules::CheckScriptCount(0, rules::kMaxScriptGroups), 0);
    EXPECT_EQ(rules::CheckScriptCount(1000, rules::kMaxScriptGroups), 1000);
    EXPECT_EQ(rules::CheckScriptCount(1001, rules::kMaxScriptGroups), -1);
    EXPECT_EQ(rules::CheckScriptCount(10000, rules::kMaxGroupFiles), 10000);
    EXPECT_EQ(rules::CheckScriptCount(10001, rules::kMaxGroupFiles), -1);
}

// The currency rule with the times handed in: only last-write times count, exactly, or to
// within two seconds on a coarse volume. A copy made by another tool keeps the write time and
// gets a new creation time; platforms that report creation == last write (some emulation
// layers do) cannot show the difference through real files.
TEST(InstallRules, CopyCurrency) {
    constexpr std::uint64_t kSecond = 10000000;
    const std::uint64_t t = 130000000000000000;  // some day in 2012
    struct Case {
        FileTimes source;
        FileTimes copy;
        bool coarse;
        bool current;
    };
    const Case cases[] = {
        {{t, t}, {t, t}, false, true},
        {{t, t}, {t + 9 * kSecond, t}, false, true},   // new creation time, same write time
        {{t, t}, {t, t + 1}, false, false},            // same creation time, later write time
        {{t, t + 1}, {t, t}, false, false},            // earlier write time
        {{t, t}, {t + 9 * kSecond, t}, true, true},
        {{t, t}, {t, t + 2 * kSecond - 1}, true, true},
        {{t, t + 2 * kSecond - 1}, {t, t}, true, true},
        {{t, t}, {t, t + 2 * kSecond}, true, false},
        {{t, t + 2 * kSecond}, {t, t}, true, false},
        {{t, t}, {t + kSecond, t + 3 * kSecond}, true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rules::IsCopyCurrent(c.source, c.copy, c.coarse), c.current)
            << c.source.creation << "/" << c.source.lastWrite << " vs " << c.copy.creation << "/"
            << c.copy.lastWrite << (c.coarse ? " coarse" : "");
    }
}

TEST(InstallRules, CoarseTimeFileSystems) {
    struct Case {
        const char* name;
        bool coarse;
    };
    const Case cases[] = {{"FAT", true},   {"FAT32", true}, {"fat32", true}, {"NTFS", false},
                          {"exFAT", false}, {"FAT16", false}, {"", false}};
    for (const Case& c : cases) {
        EXPECT_EQ(rules::IsCoarseTimeFileSystem(c.name), c.coarse) << c.name;
    }
}

// DefaultDir names the proposed destination when it fits a path with its trailing backslash.
TEST(InstallRules, DefaultDirOrDefaultFolder) {
    struct Case {
        std::string value;
        bool usesDefaultDir;
    };
    const Case cases[] = {
        {"", false},
        {"D:\\GAMES\\FOO", true},
        {"D:\\GAMES\\FOO\\", true},
        {std::string(258, 'a'), true},                 // with the backslash: 259 characters
        {std::string(259, 'a'), false},                // no room for the backslash
        {std::string(258, 'a') + "\\", true},          // 259 characters, backslash present
        {std::string(259, 'a') + "\\", false},         // cut by the path buffer
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rules::UsesDefaultDir(c.value), c.usesDefaultDir) << c.value.size();
    }
}

}  // namespace
