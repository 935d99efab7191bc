#include "rules/install_rules.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using rules::FileTimes;
using rules::ScriptKey;

// The file-name rule. Both sides refuse exactly these names; a new rule adds its cases here.
TEST(InstallRules, SafeRelativeNames) {
    struct Case {
        const char* name;
        bool safe;
    };
    // No limit of its own on the length: the path buffers refuse what does not fit.
    const std::string longest(300, 'a');
    const Case cases[] = {
        {"GAME.DAT", true},
        {"MUSIC\\THEME.MID", true},
        {"MUSIC/THEME.MID", true},
        {"", true},
        {"DATA\\..LEVEL\\x..y\\.A\\A.DAT", true},
        {" LEADING\\A B.DAT", true},
        {"CONSOLE.DAT", true},
        {"COM10", true},
        {"LPT0.DAT", true},
        {"MY.CON", true},
        {"NULL\\AUXILIARY", true},
        {longest.c_str(), true},
        {"\xE9T\xE9.DAT", true},
        // Leaving the folder, by its root, a drive or dots.
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
        // Ending in a dot or a space with anything else in it: Windows strips them alike on the
        // source, the target and the recorded path, so the same files are named throughout.
        {"GAME.", true},
        {"GAME ", true},
        {"DATA.\\X", true},
        {"DATA \\X", true},
        {"A/B./C", true},
        {"GAME. .", true},
        // Components made only of dots and spaces.
        {".", false},
        {".\\GAME.DAT", false},
        {"...\\X", false},
        {"DATA\\....", false},
        {". .\\X", false},
        {" ", false},
        // Devices, in any case, with or without an extension.
        {"CON", false},
        {"con.txt", false},
        {"DATA\\Nul", false},
        {"prn.dat.bak", false},
        {"AUX .DAT", false},
        {"COM1.BIN", false},
        {"com9", false},
        {"LPT1", false},
        {"Lpt9.X", false},
        {"CONIN$", false},
        {"conout$.log", false},
        {"COM\xB9", false},
        // Characters no file name holds.
        {"GAME.DAT:stream", false},
        {"A*.DAT", false},
        {"A?.DAT", false},
        {"A\"B", false},
        {"A<B", false},
        {"A>B", false},
        {"A|B", false},
        {"A\tB", false},
        {"A\nB", false},
        {"A\x1F", false},
        // Too long for any destination.
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rules::IsSafeRelativeName(c.name), c.safe) << c.name;
    }
}

// The record-key rule: keys the shared file can hold and give back as the same key.
TEST(InstallRules, SafeRecordKeys) {
    struct Case {
        const char* key;
        bool safe;
    };
    const Case cases[] = {
        {"GAME", true},      {"Music Theme", true}, {"A[1]", true},      {"A;B", true},
        {"\xE9t\xE9", true}, {"", false},           {"A=B", false},      {"=", false},
        {"[Section", false}, {"[Other]", false},    {";comment", false}, {" GAME", false},
        {"GAME ", false},    {"\tGAME", false},     {"GAME\t", false},   {" ", false},
        {"A\nB", false},     {"A\rB", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rules::IsSafeRecordKey(c.key), c.safe) << c.key;
    }
}

// A recorded value counts only with a drive and its root or a server and share before the rest.
TEST(InstallRules, FullPathShapes) {
    const auto leadByte = [](unsigned char byte) { return byte == 0x95; };
    struct Case {
        const char* value;
        bool full;
    };
    const Case cases[] = {
        {"C:\\GAMES\\GAME.DAT", true},
        {"z:\\", true},
        {"\\\\srv\\share\\GAME.DAT", true},
        {"\\\\srv\\share", true},
        {"GAME.DAT", false},
        {"C:GAME.DAT", false},
        {"\\GAME.DAT", false},
        {"C:/GAMES/GAME.DAT", false},
        {"//srv/share/GAME.DAT", false},
        {"\\\\srv", false},
        {"\\\\srv\\", false},
        {"\\\\\\share\\x", false},
        {"1:\\x", false},
        {"", false},
        // The server "\x95\\" is one character on the double-byte page; no share follows.
        {"\\\\\x95\\", false},
        {"\\\\\x95\\\\share", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rules::IsFullPathShape(c.value, leadByte), c.full) << c.value;
    }
}

// A record spelled another way than its resolution: case, slashes and trailing dots or
// spaces differ, nothing else; double-byte characters compare whole.
TEST(InstallRules, SameRecordSpellings) {
    const auto leadByte = [](unsigned char byte) { return byte == 0x95; };
    struct Case {
        const char* value;
        const char* resolution;
        bool same;
    };
    const Case cases[] = {
        {"C:\\GAMES\\GAME.DAT", "C:\\GAMES\\GAME.DAT", true},
        {"c:\\games/game.dat", "C:\\GAMES\\GAME.DAT", true},
        {"C:\\GAMES\\GAME.DAT. .", "C:\\GAMES\\GAME.DAT", true},
        {"\\\\srv/share\\X", "\\\\SRV\\share\\X", true},
        {"C:\\A\\..\\GAME.DAT", "C:\\GAME.DAT", false},
        {"C:\\A\\\\GAME.DAT", "C:\\A\\GAME.DAT", false},
        {"C:\\GAMES\\GAME.DA", "C:\\GAMES\\GAME.DAT", false},
        // "\x95\\" is one character on the double-byte page: its "\\" is no separator and
        // "\x95/" is another character.
        {"C:\\\x95\\X", "C:\\\x95\\X", true},
        {"C:\\\x95/X", "C:\\\x95\\X", false},
        // A trail byte that is a letter keeps its case.
        {"C:\\\x95"
         "a",
         "C:\\\x95"
         "A",
         false},
        {"C:\\x", "C:\\X", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rules::IsSameRecordSpelling(c.value, c.resolution, leadByte), c.same) << c.value;
    }
}

// The name a path ends in: after the last separator of either kind, never the second byte
// of a double-byte character, without trailing dots and spaces.
TEST(InstallRules, HeldFileNames) {
    const auto leadByte = [](unsigned char byte) { return byte == 0x81; };
    struct Case {
        const char* path;
        const char* byteByByte;
        const char* doubleByte;
    };
    const Case cases[] = {
        {"C:\\GAMES\\GAME.DAT", "GAME.DAT", "GAME.DAT"},
        {"C:\\GAMES/GAME.DAT. .", "GAME.DAT", "GAME.DAT"},
        {"GAME.DAT", "GAME.DAT", "GAME.DAT"},
        {"C:\\GAMES\\", "", ""},
        {"C:\\GAMES\\...", "", ""},
        {"", "", ""},
        {"C:\\A\x81\\B", "B", "A\x81\\B"},
        {"C:\\A\\\x81/", "", "\x81/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rules::HeldFileName(c.path), c.byteByByte) << c.path;
        EXPECT_EQ(rules::HeldFileName(c.path, leadByte), c.doubleByte) << c.path;
    }
}

// Removal's order: a copy not of ours is kept whatever else holds, a missing one forgotten, a
// changed one kept; only an unchanged copy of ours goes. Facts are asked only as far as needed.
TEST(InstallRules, RecordedCopyRemoval) {
    struct Facts {
        bool ours, exists, unchanged;
        std::string asked;
        bool Ours() {
            asked += 'o';
            return ours;
        }
        bool Exists() {
            asked += 'e';
            return exists;
        }
        bool Unchanged() {
            asked += 'u';
            return unchanged;
        }
    };
    using rules::CopyRemoval;
    const struct {
        bool ours, exists, unchanged;
        CopyRemoval removal;
        const char* asked;
    } cases[] = {
        {false, true, true, CopyRemoval::kKeepNotOurs, "o"},
        {false, false, false, CopyRemoval::kKeepNotOurs, "o"},
        {true, false, true, CopyRemoval::kForget, "oe"},
        {true, true, false, CopyRemoval::kKeepChanged, "oeu"},
        {true, true, true, CopyRemoval::kDelete, "oeu"},
    };
    for (const auto& c : cases) {
        Facts facts{c.ours, c.exists, c.unchanged, {}};
        EXPECT_EQ(rules::JudgeRecordedCopy(facts), c.removal) << c.asked;
        EXPECT_EQ(facts.asked, c.asked);
    }
}

TEST(InstallRules, SafeSectionNames) {
    struct Case {
        const char* name;
        bool safe;
    };
    const Case cases[] = {
        {"PUZZLE", true},   {"Puzzle.v2", true}, {"A B", true},  {"A;B=C", true},
        {"", false},        {"A]B", false},      {"[A", false},  {"A[", false},
        {" PUZZLE", false}, {"PUZZLE ", false},  {"\tA", false}, {"A\x01", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rules::IsSafeSectionName(c.name), c.safe) << c.name;
    }
}

// Slashes become backslashes, except as the second byte of a double-byte character.
TEST(InstallRules, NormalizedSeparators) {
    const auto leadByte = [](unsigned char byte) { return byte == 0x81; };
    struct Case {
        const char* name;
        const char* byteByByte;
        const char* doubleByte;
    };
    const Case cases[] = {
        {"A/B\\C/D.DAT", "A\\B\\C\\D.DAT", "A\\B\\C\\D.DAT"},
        {"//", "\\\\", "\\\\"},
        {"\x81/A/B", "\x81\\A\\B", "\x81/A\\B"},
        {"A\x81", "A\x81", "A\x81"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        std::string plain = c.name;
        rules::NormalizeSeparators(plain.data());
        EXPECT_EQ(plain, c.byteByByte) << c.name;
        std::string wide = c.name;
        rules::NormalizeSeparators(wide.data(), leadByte);
        EXPECT_EQ(wide, c.doubleByte) << c.name;
    }
}

// With a double-byte code page the second byte of a character is never a separator nor a
// forbidden or trailing character: "\x81\\" is one character, so "\x81\\CON" has no device
// component there, and has one byte by byte.
TEST(InstallRules, SafeRelativeNamesWithDoubleByteCharacters) {
    const auto leadByte = [](unsigned char byte) { return byte == 0x81; };
    struct Case {
        const char* name;
        bool safeByteByByte;
        bool safeDoubleByte;
    };
    const Case cases[] = {
        {"\x81\\CON", false, true},
        {"\x81\\..\\..", false, false},
        {"A\\\x81", true, true},  // a lead byte at the end stands alone
        {"\x81", true, true},
        {"\x81|", false, true},   // "|" as the second byte of a character
        {"A\x81:", false, true},  // ":" as the second byte of a character
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
    EXPECT_EQ(rules::CheckScriptCount(1001, rules::kMaxScriptGroups), 1000);
    EXPECT_EQ(rules::CheckScriptCount(10000, rules::kMaxGroupFiles), 10000);
    EXPECT_EQ(rules::CheckScriptCount(10001, rules::kMaxGroupFiles), 10000);
}

// The currency rule with the times handed in: only last-write times count, exactly, or to
// within the coarse volume's tolerance. A copy made by another tool keeps the write time and
// gets a new creation time; platforms that report creation == last write (some emulation
// layers do) cannot show the difference through real files.
TEST(InstallRules, CopyCurrency) {
    constexpr std::uint64_t kSecond = 10000000;
    constexpr std::uint64_t kTenMs = kSecond / 100;
    const std::uint64_t kFat = rules::kFatTimeTolerance;
    const std::uint64_t kExFat = rules::kExFatTimeTolerance;
    const std::uint64_t t = 130000000000000000;  // some day in 2012
    struct Case {
        FileTimes source;
        FileTimes copy;
        std::uint64_t tolerance;
        bool current;
    };
    const Case cases[] = {
        {{t, t}, {t, t}, 0, true},
        {{t, t}, {t + 9 * kSecond, t}, 0, true},  // new creation time, same write time
        {{t, t}, {t, t + 1}, 0, false},           // same creation time, later write time
        {{t, t + 1}, {t, t}, 0, false},           // earlier write time
        {{t, t}, {t + 9 * kSecond, t}, kFat, true},
        {{t, t}, {t, t + 2 * kSecond - 1}, kFat, true},
        {{t, t + 2 * kSecond - 1}, {t, t}, kFat, true},
        {{t, t}, {t, t + 2 * kSecond}, kFat, false},
        {{t, t + 2 * kSecond}, {t, t}, kFat, false},
        {{t, t}, {t + kSecond, t + 3 * kSecond}, kFat, false},
        {{t, t}, {t, t + kTenMs - 1}, kExFat, true},
        {{t, t + kTenMs - 1}, {t, t}, kExFat, true},
        {{t, t}, {t, t + kTenMs}, kExFat, false},
        {{t, t + kTenMs}, {t, t}, kExFat, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rules::IsCopyCurrent(c.source, c.copy, c.tolerance), c.current)
            << c.source.creation << "/" << c.source.lastWrite << " vs " << c.copy.creation << "/"
            << c.copy.lastWrite << " within " << c.tolerance;
    }
}

TEST(InstallRules, CoarseTimeFileSystems) {
    struct Case {
        const char* name;
        std::uint64_t tolerance;
    };
    const Case cases[] = {{"FAT", rules::kFatTimeTolerance},
                          {"FAT32", rules::kFatTimeTolerance},
                          {"fat32", rules::kFatTimeTolerance},
                          {"exFAT", rules::kExFatTimeTolerance},
                          {"EXFAT", rules::kExFatTimeTolerance},
                          {"NTFS", 0},
                          {"FAT16", 0},
                          {"", 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(rules::CoarseTimeTolerance(c.name), c.tolerance) << c.name;
    }
}

// DefaultDir names the proposed destination when it is absolute and fits a path with its
// trailing backslash.
TEST(InstallRules, DefaultDirOrDefaultFolder) {
    struct Case {
        std::string value;
        bool usesDefaultDir;
    };
    const Case cases[] = {
        {"", false},
        {"D:\\GAMES\\FOO", true},
        {"D:\\GAMES\\FOO\\", true},
        {"d:/games", true},
        {"D:\\", true},
        {"\\\\server\\share\\GAMES", true},
        {"//server/share", true},
        {"D:\\" + std::string(255, 'a'), true},          // with the backslash: 259 characters
        {"D:\\" + std::string(256, 'a'), false},         // no room for the backslash
        {"D:\\" + std::string(255, 'a') + "\\", true},   // 259 characters, backslash present
        {"D:\\" + std::string(256, 'a') + "\\", false},  // cut by the path buffer
        // Relative to the current drive or folder.
        {"GAMES\\FOO", false},
        {".\\FOO", false},
        {"..\\FOO", false},
        {"\\GAMES\\FOO", false},
        {"D:GAMES", false},
        {"D:", false},
        {"1:\\GAMES", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rules::UsesDefaultDir(c.value), c.usesDefaultDir) << c.value.size();
    }
}

// The walk over a component section, which the launcher and disctool share: it reads exactly
// the keys the launcher asks for, in its order, takes counts by the clamps, hands file names
// over with backslashes, and stops when the visitor says so.
class MapReader {
public:
    std::map<std::string, std::string> values;  // "SECTION/KEY" -> value
    std::vector<std::string> reads;

    std::int32_t ReadCount(const char* section, const char* key) {
        return static_cast<std::int32_t>(std::stol(Value(section, key, "0")));
    }
    char* ReadText(const char* section, const char* key) {
        m_text = Value(section, key, "");
        return m_text.data();
    }

private:
    std::string Value(const char* section, const char* key, const char* missing) {
        reads.push_back(key);
        const auto found = values.find(std::string(section) + "/" + key);
        return found == values.end() ? missing : found->second;
    }
    std::string m_text;
};

class WalkRecorder {
public:
    std::vector<std::string> events;
    int endAfterGroups = 1000;

    void OnGroupCount(const char*, std::int32_t read, int groups) {
        events.push_back("groups " + std::to_string(read) + " " + std::to_string(groups));
    }
    void OnGroup(int number) { events.push_back("group " + std::to_string(number)); }
    void OnGroupName(const char*, const char* name) {
        events.push_back(std::string("name ") + name);
    }
    void OnGroupDescription(const char*, const char* text) {
        events.push_back(std::string("desc ") + text);
    }
    void OnFileCount(const char*, std::int32_t read, int files) {
        events.push_back("files " + std::to_string(read) + " " + std::to_string(files));
    }
    void OnFileName(const char* key, const char* name) {
        events.push_back(std::string(key) + " " + name);
    }
    void OnFileKey(const char* key, const char* record) {
        events.push_back(std::string(key) + " " + record);
    }
    bool OnGroupEnd() { return --endAfterGroups > 0; }
};

TEST(InstallRules, WalkReadsTheLaunchersKeysInItsOrder) {
    MapReader reader;
    reader.values = {{"Required/PC-GroupCount", "3"},
                     {"Required/PC-Group1Name", "Game"},
                     {"Required/PC-Group1Desc", "The game."},
                     {"Required/PC-Group1FileCount", "2"},
                     {"Required/PC-Group1File1Name", "DATA/A.DAT"},
                     {"Required/PC-Group1File1Key", "A"},
                     {"Required/PC-Group1File2Name", "B.DAT"},
                     {"Required/PC-Group1File2Key", "B"},
                     {"Required/PC-Group1File3Name", "past the count"},
                     {"Required/PC-Group3FileCount", "-4"}};
    WalkRecorder recorder;
    EXPECT_TRUE(rules::WalkComponentSection(reader, rules::kRequiredSection, true, recorder));
    EXPECT_EQ(reader.reads,
              (std::vector<std::string>{
                  "PC-GroupCount", "PC-Group1Name", "PC-Group1Desc", "PC-Group1FileCount",
                  "PC-Group1File1Name", "PC-Group1File1Key", "PC-Group1File2Name",
                  "PC-Group1File2Key", "PC-Group2Name", "PC-Group2Desc", "PC-Group2FileCount",
                  "PC-Group3Name", "PC-Group3Desc", "PC-Group3FileCount"}));
    EXPECT_EQ(recorder.events,
              (std::vector<std::string>{"groups 3 3", "group 1", "name Game", "desc The game.",
                                        "files 2 2", "PC-Group1File1Name DATA\\A.DAT",
                                        "PC-Group1File1Key A", "PC-Group1File2Name B.DAT",
                                        "PC-Group1File2Key B", "group 2", "name ", "desc ",
                                        "files 0 0", "group 3", "name ", "desc ", "files -4 0"}));

    // The visitor ends the walk after the first group.
    reader.reads.clear();
    WalkRecorder first;
    first.endAfterGroups = 1;
    EXPECT_FALSE(rules::WalkComponentSection(reader, rules::kRequiredSection, false, first));
    EXPECT_EQ(reader.reads.back(), "PC-Group1File2Key");
}

// A count beyond its limit reads its groups or files up to the limit and no further.
TEST(InstallRules, WalkReadsACountBeyondItsLimitUpToTheLimit) {
    MapReader reader;
    reader.values = {{"Optional/PC-GroupCount", "1001"},
                     {"Optional/PC-Group1FileCount", "10001"},
                     {"Optional/PC-Group1File10000Key", "LAST"},
                     {"Optional/PC-Group1001FileCount", "1"}};
    WalkRecorder recorder;
    recorder.endAfterGroups = 2000;
    EXPECT_TRUE(rules::WalkComponentSection(reader, rules::kOptionalSection, false, recorder));
    // The count, group 1's file count and its 10000 files, then the file counts of groups 2
    // to 1000; group 1001 is never read.
    EXPECT_EQ(reader.reads.size(), 1u + 1u + 2u * 10000u + 999u);
    EXPECT_EQ(reader.reads.back(), "PC-Group1000FileCount");
    EXPECT_EQ(recorder.events.front(), "groups 1001 1000");
    EXPECT_EQ(recorder.events[2], "files 10001 10000");
    EXPECT_EQ(recorder.events[2 + 2 * 10000], "PC-Group1File10000Key LAST");
    EXPECT_EQ(recorder.events.back(), "files 0 0");
}

}  // namespace
