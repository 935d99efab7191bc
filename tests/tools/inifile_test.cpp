// The INI reader by the profile functions' rules that the launcher relies on. The Windows
// suites compare it with the profile functions themselves (tests/launcher/script_reading_test);
// these cases keep its rules in the host suite.
#include <string>

#include <gtest/gtest.h>

#include "tools/disctool/codepage.h"
#include "tools/disctool/inifile.h"
#include "tools/disctool/text.h"

namespace {

using namespace disctool;
using namespace std::string_literals;

IniFile Parse(const std::string& text) { return ini::Parse(text, 1252); }

TEST(IniFile, NamesWithoutCaseFirstSectionAndKeyWinQuotesRemoved) {
    const IniFile file = Parse(
        "; a comment\r\n"
        "Orphan=before any section\n"
        "[ General ]\n"
        "  DefaultDir  =  \"D:\\Games\\Foo\"  \n"
        "Title='single'\n"
        "Mixed=\"not closed'\n"
        "Bare\n"
        "defaultdir=second\n"
        "[general]\n"
        "DefaultDir=third\n"
        "Late=only in the repeated section\n"
        "[Other]\n"
        "Title=elsewhere\n");
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"GENERAL", "defaultDIR", "D:\\Games\\Foo"},
        {"General", "Title", "single"},
        {"General", "Mixed", "\"not closed'"},
        {"General", "Bare", ""},
        {"General", "Late", ""},  // a repeated section is never searched
        {"Other", "title", "elsewhere"},
        {"General", "Orphan", ""},
        {"Missing", "Title", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(ini::GetString(file, c.section, c.key, 2047), c.value);
    }
    EXPECT_TRUE(file.issues.empty());
}

TEST(IniFile, IntegersReadAsTheProfileIntegerRule) {
    const struct {
        std::string value;
        std::int32_t expected;
        bool decimal;  // ini::ReadsAsDecimal
    } cases[] = {
        {"12", 12, true},
        {"-3", -3, true},
        {"+7", 7, true},
        {"12abc", 12, true},
        {"abc", 0, true},
        {"007", 7, true},
        {"- 4", 0, true},
        {"\"5\"", 5, true},
        {"0X1", 0, true},
        {"0x10", 16, false},
        {"-0x10", -16, false},
        {"0b11", 3, false},
        {"0o17", 15, false},
        {"0b", 0, true},
        {"0o8", 0, true},
        {"4294967297", 1, false},
        {"2147483648", INT32_MIN, false},
        {"-2147483648", INT32_MIN, true},
        // Only the first 29 characters are read.
        {"1" + std::string(29, '0'), 268435456, false},
        {std::string(29, '0') + "5", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const IniFile file = Parse("[S]\nN=" + c.value + "\n");
        EXPECT_EQ(ini::GetInt(file, "s", "n", 99), c.expected);
        EXPECT_EQ(ini::ReadsAsDecimal(ini::GetString(file, "S", "N", 2047)), c.decimal);
    }
    EXPECT_EQ(ini::GetInt(Parse("[S]\nN=\n"), "S", "N", 1), 1) << "an empty value reads as missing";
    EXPECT_EQ(ini::GetInt(Parse("[S]\nN=\"\"\n"), "S", "N", 1), 1);
    EXPECT_EQ(ini::GetInt(Parse("[S]\n"), "S", "N", 1), 1);
}

TEST(IniFile, ValuesAreCutToTheirBuffers) {
    const std::string longValue(3000, 'x');
    const IniFile file =
        Parse("[S]\nK=\"" + longValue + "\"\nE=\"abcd\"\nP=" + longValue.substr(0, 5) + "\n");
    bool cut = false;
    EXPECT_EQ(ini::GetString(file, "S", "K", 2047, &cut).size(), 2047u);
    EXPECT_TRUE(cut);
    EXPECT_EQ(ini::GetString(file, "S", "K", 3001, &cut), longValue);
    EXPECT_FALSE(cut);
    // A quoted value that just fills the buffer loses its last character.
    EXPECT_EQ(ini::GetString(file, "S", "E", 4, &cut), "abc");
    EXPECT_TRUE(cut);
    EXPECT_EQ(ini::GetString(file, "S", "E", 5, &cut), "abcd");
    EXPECT_FALSE(cut);
    // A reader that refuses cut values: up to maxChars, or nothing.
    EXPECT_EQ(ini::GetUncut(file, "S", "P", 5), "xxxxx");
    EXPECT_EQ(ini::GetUncut(file, "S", "P", 4), std::nullopt);
    EXPECT_EQ(ini::GetUncut(file, "S", "E", 4), "abcd");
    EXPECT_EQ(ini::GetUncut(file, "S", "E", 3), std::nullopt) << "a quoted value is never cut";
}

TEST(IniFile, LinesBlanksAndHeadersAsTheProfileFunctionsTakeThem) {
    const IniFile file = Parse(
        "[A]\rcr=1\rboth=2\r\nlf=3\n"
        "z=\v 4 \f\nnul=ab\0cd\nkey\0tail=5\nnbsp=\xA0x\n"
        "[B] ; the ] comment\nb=6\n"
        "[C\nc=7\n"
        "[D]x\nd=8\n"
        "[A]\nlate=9\n\x1A"s);
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"A", "cr", "1"},   {"A", "both", "2"},     {"A", "lf", "3"},       {"A", "z", "4"},
        {"A", "nul", "ab"}, {"A", "key", "5"},      {"A", "nbsp", "\xA0x"}, {"B] ; the", "b", "6"},
        {"B", "b", ""},     {"B] ; the", "[C", ""}, {"B] ; the", "c", "7"}, {"D", "d", "8"},
        {"A", "late", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(ini::GetString(file, c.section, c.key, 2047), c.value);
    }
    ASSERT_EQ(file.issues.size(), 4u);
    EXPECT_EQ(file.issues[0].kind, IniIssue::kNulByte);
    EXPECT_EQ(file.issues[0].line, 6);
    EXPECT_EQ(file.issues[1].line, 7);
    EXPECT_EQ(file.issues[2].kind, IniIssue::kSeveralBrackets);
    EXPECT_EQ(file.issues[2].line, 9);
    EXPECT_EQ(file.issues[3].kind, IniIssue::kUnclosedSection);
    EXPECT_EQ(file.issues[3].line, 11);
    EXPECT_EQ(ini::FindSection(file, "a")->line, 1);

    const IniFile early = Parse("[S]\na=1\x1A\nb=2\n");
    ASSERT_EQ(early.issues.size(), 1u);
    EXPECT_EQ(early.issues[0].kind, IniIssue::kEndOfFileMark);
    EXPECT_EQ(early.issues[0].line, 3);
    EXPECT_EQ(ini::GetString(early, "S", "a", 10), "1") << "0x1A is a blank";
}

TEST(IniFile, UnicodeTextIsReadInTheAnsiCodePage) {
    const IniFile utf8 = Parse("\xEF\xBB\xBF[S]\nk=caf\xC3\xA9\n");
    EXPECT_EQ(utf8.encoding, IniEncoding::kUtf8);
    EXPECT_EQ(ini::GetString(utf8, "S", "K", 10), "caf\xE9");
    ASSERT_EQ(utf8.issues.size(), 1u);
    EXPECT_EQ(utf8.issues[0].kind, IniIssue::kUtf8ByteOrderMark);

    // "[S]\r\nk=é€\r\nx=ā" in UTF-16, little- and big-endian; ā has no byte in code page 1252.
    const std::string little =
        "\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\xE9\0\xAC\x20\r\0\n\0x\0=\0\x01\x01\0"s;
    std::string big = "\xFE\xFF";
    for (std::size_t i = 2; i + 1 < little.size(); i += 2)
        big += std::string{little[i + 1], little[i]};
    for (const std::string* text : {&little, static_cast<const std::string*>(&big)}) {
        const IniFile file = Parse(*text);
        EXPECT_EQ(ini::GetString(file, "S", "k", 10), "\xE9\x80");
        EXPECT_EQ(ini::GetString(file, "S", "x", 10), "?");
        const bool isBig = file.encoding == IniEncoding::kUtf16Be;
        EXPECT_EQ(isBig, text == &big);
        ASSERT_EQ(file.issues.size(), isBig ? 2u : 1u);
        EXPECT_EQ(file.issues.back().kind, IniIssue::kUnmappable);
        EXPECT_EQ(file.issues.back().line, 3);
    }
}

// Case folds in the whole code page, as Windows folds file names: each capital with its small
// letter in every code page disctool knows, while letters that only look alike stay apart.
TEST(CodePage, FoldCaseJoinsTheCasesOfEachLetter) {
    const struct {
        int codepage;
        const char* a;  // UTF-8
        const char* b;
        bool same;
    } cases[] = {
        {1250, "\xC5\x81\xC3\xB3\x64\xC5\xBA", "\xC5\x82\xC3\x93\x44\xC5\xB9", true},  // Łódź ŁÓDŹ
        {1251, "\xD0\x96\xD1\x83\xD0\xBA", "\xD0\xB6\xD0\xA3\xD0\x9A", true},  // Жук жУК
        {1251, "\xD2\x90\xD0\x81", "\xD2\x91\xD1\x91", true},                  // ҐЁ ґё
        {1252, "\xC3\x84rger", "\xC3\xA4RGER", true},                          // Ärger
        {1252, "\xC5\x92uvre\xC5\xB8", "\xC5\x93UVRE\xC3\xBF", true},          // Œ Ÿ
        {1253, "\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82",
         "\xCE\x9B\xCE\x8C\xCE\x93\xCE\x9F\xCE\xA3", true},                    // λόγος
        {1254, "\xC4\x9E\xC3\xBC\xC5\x9F", "\xC4\x9F\xC3\x9C\xC5\x9E", true},  // Ğüş
        {1257, "\xC4\x84\xC5\xBEuolas", "\xC4\x85\xC5\xBDUOLAS", true},        // Ąžuolas
        {1254, "\xC4\xB0", "i", false},                                        // İ i
        {1254, "\xC4\xB1", "I", false},                                        // ı I
        {1253, "\xC2\xB5", "\xCE\x9C", false},                                 // µ Μ
        {1252, "\xC3\xA9", "\xC3\xA8", false},                                 // é è
        {1252, "\xC3\x9F", "ss", false},                                       // ß ss
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.codepage) + " " + c.a + " / " + c.b);
        std::string bytes;
        ASSERT_TRUE(EncodeAnsi(c.a, c.codepage, &bytes));
        ASSERT_TRUE(EncodeAnsi(c.b, c.codepage, &bytes));
        EXPECT_EQ(FoldCase(c.a) == FoldCase(c.b), c.same);
    }
    for (int a = 0; a < 0x80; ++a) {
        for (int b = 0; b < 0x80; ++b) {
            const std::string x(1, static_cast<char>(a)), y(1, static_cast<char>(b));
            ASSERT_EQ(FoldCase(x) == FoldCase(y), LowerAscii(x) == LowerAscii(y)) << a << " " << b;
        }
    }
}

// Section and key names fold ASCII letters only, as Wine's profile functions compare them
// (the Windows suites compare the two): "Ä" and "ä" name two sections in 1252.
TEST(IniFile, NamesFoldTheCaseOfAsciiLettersOnly) {
    const struct {
        int codepage;
        const char* written;  // UTF-8; the file holds it in the code page
        const char* asked;
        bool same;
    } cases[] = {
        {1252, "caf\xC3\xA9", "CAF\xC3\xA9", true},
        {1252, "\xC3\x84rger", "\xC3\xA4RGER", false},
        {1251, "\xD0\x96\xD1\x83\xD0\xBA", "\xD0\xB6\xD1\x83\xD0\xBA", false},
        {1251, "\xD0\x96\xD1\x83\xD0\xBA", "\xD0\x96\xD1\x83\xD0\xBA", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.codepage) + " " + c.written + " / " + c.asked);
        std::string written, asked;
        ASSERT_TRUE(EncodeAnsi(c.written, c.codepage, &written));
        ASSERT_TRUE(EncodeAnsi(c.asked, c.codepage, &asked));
        const IniFile file = ini::Parse("[" + written + "]\n" + written + "=found\n", c.codepage);
        EXPECT_EQ(ini::FindSection(file, asked) != nullptr, c.same);
        EXPECT_EQ(ini::GetString(file, written, asked, 10), c.same ? "found" : "");
    }
}

}  // namespace
