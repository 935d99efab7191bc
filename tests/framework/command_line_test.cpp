#include "framework/command_line_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Param {
    std::string text;
    bool flag;
    bool last;
    bool operator==(const Param&) const = default;
};

void PrintTo(const Param& p, std::ostream* os) {
    *os << "{\"" << p.text << "\", " << p.flag << ", " << p.last << "}";
}

class RecordingInfo : public CCommandLineInfo {
public:
    void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast) override {
        params.push_back(Param{pszParam, bFlag != FALSE, bLast != FALSE});
    }
    std::vector<Param> params;
};

struct Case {
    const wchar_t* commandLine;
    std::vector<Param> expected;
};

TEST(CommandLine, SplitsWithPlatformQuotingAndStripsOneSwitchMarker) {
    const Case cases[] = {
        {L"launcher.exe", {}},
        {L"launcher.exe /a", {{"a", true, true}}},
        {L"launcher.exe -A", {{"A", true, true}}},
        {L"launcher.exe a", {{"a", false, true}}},
        {L"launcher.exe /ab", {{"ab", true, true}}},
        {L"launcher.exe //a", {{"/a", true, true}}},
        {L"launcher.exe -/a", {{"/a", true, true}}},
        {L"launcher.exe - /", {{"", true, false}, {"", true, true}}},
        {L"\"C:\\Program Files\\launcher.exe\" /a x", {{"a", true, false}, {"x", false, true}}},
        {L"launcher.exe \"two words\" \"/a\"", {{"two words", false, false}, {"a", true, true}}},
        {L"launcher.exe \"\" say\\\"hi\\\"", {{"", false, false}, {"say\"hi\"", false, true}}},
        {L"launcher.exe   /a\t-b  ", {{"a", true, false}, {"b", true, true}}},
    };
    for (const Case& c : cases) {
        RecordingInfo info;
        EXPECT_TRUE(ParseCommandLineText(c.commandLine, info));
        EXPECT_EQ(info.params, c.expected)
            << "command line: " << testing::PrintToString(std::wstring(c.commandLine));
    }
}

TEST(CommandLine, NonAnsiCharactersStillArriveAsOneArgument) {
    RecordingInfo info;
    EXPECT_TRUE(ParseCommandLineText(L"launcher.exe \x4e2d\x6587 /a", info));
    ASSERT_EQ(info.params.size(), 2u);
    EXPECT_FALSE(info.params[0].text.empty());
    EXPECT_EQ(info.params[1], (Param{"a", true, true}));
}

}  // namespace
