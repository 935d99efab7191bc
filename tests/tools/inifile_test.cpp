// The INI reader by the profile functions' rules that the launcher relies on.
#include <string>

#include <gtest/gtest.h>

#include "tools/disctool/inifile.h"

namespace {

using namespace disctool;

TEST(IniFile, NamesWithoutCaseFirstKeyWinsQuotesRemoved) {
    const IniFile file = ini::Parse(
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
        {"General", "Late", "only in the repeated section"},
        {"Other", "title", "elsewhere"},
        {"General", "Orphan", ""},
        {"Missing", "Title", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(ini::GetString(file, c.section, c.key, 2047), c.value);
    }
    EXPECT_FALSE(file.hadByteOrderMark);
    EXPECT_TRUE(ini::Parse("\xEF\xBB\xBF[A]\nk=v\n").hadByteOrderMark);
    EXPECT_EQ(ini::GetString(ini::Parse("\xEF\xBB\xBF[A]\nk=v\n"), "a", "K", 10), "v");
}

TEST(IniFile, IntegersReadAsTheProfileIntegerRule) {
    const struct {
        const char* value;
        std::int32_t expected;
    } cases[] = {
        {"12", 12},
        {"-3", -3},
        {"+7", 7},
        {"12abc", 12},
        {"abc", 0},
        {"0x10", 0},
        {"\"5\"", 5},
        {"007", 7},
        {"- 4", 0},
        {"4294967297", 1},
        {"2147483648", INT32_MIN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ini::GetInt(ini::Parse(std::string("[S]\nN=") + c.value + "\n"), "s", "n", 99),
                  c.expected);
    }
    EXPECT_EQ(ini::GetInt(ini::Parse("[S]\nN=\n"), "S", "N", 1), 1)
        << "an empty value reads as missing";
    EXPECT_EQ(ini::GetInt(ini::Parse("[S]\n"), "S", "N", 1), 1);
}

TEST(IniFile, ValuesAreCutToTheirBuffers) {
    const std::string longValue(3000, 'x');
    const IniFile file = ini::Parse("[S]\nK=\"" + longValue + "\"\n");
    bool cut = false;
    EXPECT_EQ(ini::GetString(file, "S", "K", 2047, &cut).size(), 2047u);
    EXPECT_TRUE(cut);
    EXPECT_EQ(ini::GetString(file, "S", "K", 3000, &cut), longValue);
    EXPECT_FALSE(cut);
}

}  // namespace
