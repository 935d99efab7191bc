// The texts the install run and removal build for their message boxes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/message_text.h"

namespace {

TEST(MessageText, FormatTextTakesArgumentsOfAnyLength) {
    const std::string longPath(500, 'x');
    EXPECT_EQ(FormatText("Unable to copy %s to \n%s", longPath.c_str(), "B"),
              "Unable to copy " + longPath + " to \nB");
    EXPECT_EQ(FormatText("%s%% and %s and %s", "a", "b"), "a%% and b and %s");
}

// A list names at most a dozen files, then counts the rest; a dozen or fewer are all named.
TEST(MessageText, NamedListStopsAtADozenAndCountsTheRest) {
    struct Case {
        std::size_t files;
        std::size_t named;
        const char* tail;
    };
    for (const Case c : {Case{0, 0, ""}, Case{1, 1, ""}, Case{12, 12, ""},
                         Case{13, 12, "\n... and 1 more."}, Case{40, 12, "\n... and 28 more."}}) {
        SCOPED_TRACE(c.files);
        std::vector<std::string> lines;
        std::string expected = "Heading:";
        for (std::size_t i = 0; i < c.files; ++i) {
            lines.push_back("F" + std::to_string(i));
            if (i < c.named) expected += "\nF" + std::to_string(i);
        }
        std::string text = "Heading:";
        AppendNamedList(&text, lines);
        EXPECT_EQ(text, expected + c.tail);
    }
}

}  // namespace
