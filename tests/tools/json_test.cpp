// JSON strings from disctool's reports: quotes, backslashes and control bytes escaped, valid
// UTF-8 kept as it is, and every byte of an invalid sequence written as its own \u escape, so
// a report stays valid JSON whatever bytes a disc holds.
#include <gtest/gtest.h>

#include <string>

#include "tools/disctool/json.h"

namespace {

struct QuoteCase {
    const char* what;
    std::string text;
    std::string quoted;
};

TEST(JsonQuote, EscapesWhatJsonNeedsAndKeepsValidUtf8) {
    const QuoteCase cases[] = {
        {"plain", "DATA\\CORE.PAK", "\"DATA\\\\CORE.PAK\""},
        {"quote and controls", "a\"b\n\t\x01\x7F", "\"a\\\"b\\n\\t\\u0001\\u007f\""},
        {"two-byte", "caf\xC3\xA9", "\"caf\xC3\xA9\""},
        {"three-byte", "\xE2\x82\xAC", "\"\xE2\x82\xAC\""},
        {"four-byte", "\xF0\x9F\x8E\xAE", "\"\xF0\x9F\x8E\xAE\""},
        {"a Windows-1252 byte alone", "caf\xE9", "\"caf\\u00e9\""},
        {"overlong", "\xC0\xAF", "\"\\u00c0\\u00af\""},
        {"surrogate", "\xED\xA0\x80", "\"\\u00ed\\u00a0\\u0080\""},
        {"cut short at the end", "x\xE2\x82", "\"x\\u00e2\\u0082\""},
        {"past U+10FFFF", "\xF4\x90\x80\x80", "\"\\u00f4\\u0090\\u0080\\u0080\""},
    };
    for (const QuoteCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(disctool::JsonQuote(c.text), c.quoted);
    }
}

}  // namespace
