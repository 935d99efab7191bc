// How disctool takes names apart and compares them without regard to ASCII case, as the
// profile functions compare section and key names (Wine's fold ASCII letters only) and as
// extensions compare. Disc file names fold case in the whole code page instead (FoldCase in
// codepage.h), as Windows and Joliet compare them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace disctool {

constexpr char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string LowerAscii(std::string text) {
    for (char& c : text) c = LowerAscii(c);
    return text;
}

constexpr bool SameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

constexpr bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           SameNoCase(text.substr(text.size() - suffix.size()), suffix);
}

// The components of a Windows relative name, split at backslashes and slashes; empty and "."
// components name nothing and are left out.
inline std::vector<std::string> NameComponents(const std::string& name) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : name + '\\') {
        if (c == '\\' || c == '/') {
            if (!part.empty() && part != ".") parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    return parts;
}

}  // namespace disctool
