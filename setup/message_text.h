#pragma once

#include <cstddef>
#include <string>

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
