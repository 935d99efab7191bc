#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The text of a message with each "%s" of format replaced by the next argument, whatever their
// lengths: the install run's and the removal's messages name paths of any length, so no
// fixed-size buffer stands between them and the text shown.
inline std::string FormatText(const char* format, const char* first, const char* second = "") {
    const char* args[] = {first, second};
    std::size_t next = 0;
    std::string text;
    for (const char* p = format; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] == 's' && next < 2) {
            text += args[next++];
            ++p;
        } else {
            text += *p;
        }
    }
    return text;
}

// Most files a message names one by one: the message box must fit the screen.
inline constexpr std::size_t kMaxNamedFiles = 12;

// Appends each of lines to text on a line of its own, at most kMaxNamedFiles of them, then
// "... and N more." for the rest.
inline void AppendNamedList(std::string* text, const std::vector<std::string>& lines) {
    for (std::size_t i = 0; i < lines.size() && i < kMaxNamedFiles; ++i) *text += "\n" + lines[i];
    if (lines.size() > kMaxNamedFiles) {
        *text +=
            FormatText("\n... and %s more.", std::to_string(lines.size() - kMaxNamedFiles).c_str());
    }
}
