#include "tools/disctool/description.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string_view>
#include <system_error>

#include "rules/install_rules.h"
#include "tools/disctool/codepage.h"
#include "tools/disctool/disc.h"
#include "tools/disctool/discscript.h"
#include "tools/disctool/findingwords.h"
#include "tools/disctool/text.h"

namespace disctool {

namespace {

using words::Quote;

// Latin letters beyond ASCII spelt in ASCII letters, from U+00C0 and from U+0100; "-" is no
// letter. Greek and Cyrillic letters follow below.
constexpr const char* kLatin1Letters =
    "A A A A AE A AE C E E E E I I I I D N O O O O OE - O U U U UE Y TH ss "
    "a a a a ae a ae c e e e e i i i i d n o o o o oe - o u u u ue y th y";
constexpr const char* kLatinExtendedLetters =
    "A a A a A a C c C c C c C c D d D d E e E e E e E e E e G g G g G g G g H h H h I i I i "
    "I i I i I i IJ ij J j K k k L l L l L l L l L l N n N n N n n N n O o O o O o OE oe R r "
    "R r R r S s S s S s S s T t T t T t U u U u U u U u U u U u W w Y y Y Z z Z z Z z s";
// U+0391..U+03A9 and U+0410..U+042F; their small letters are the same spelt in lower case.
constexpr const char* kGreekLetters = "A V G D E Z I Th I K L M N X O P R - S T Y F Ch Ps O";
constexpr const char* kCyrillicLetters =
    "A B V G D E Zh Z I Y K L M N O P R S T U F Kh Ts Ch Sh Shch - Y - E Yu Ya";

// The index-th word of a table of words separated by single spaces; empty when there is none
// or it is "-".
std::string_view WordOf(std::string_view table, std::size_t index) {
    std::size_t at = 0;
    for (; index > 0 && at != std::string_view::npos; --index) {
        at = table.find(' ', at);
        if (at != std::string_view::npos) ++at;
    }
    if (at == std::string_view::npos) return {};
    const std::string_view word = table.substr(at, table.find(' ', at) - at);
    return word == "-" ? std::string_view() : word;
}

std::string SmallLetters(std::string_view word) {
    std::string small(word);
    for (char& c : small) c = LowerAscii(c);
    return small;
}

// A letter beyond ASCII spelt in ASCII letters (U+00DC gives "UE", U+00DF "ss", U+00E9 "e"), so
// that keys made from names stay ASCII and distinct; empty for other characters.
std::string SpeltInAscii(std::uint32_t code) {
    if (code >= 0xC0 && code <= 0xFF) return std::string(WordOf(kLatin1Letters, code - 0xC0));
    if (code >= 0x100 && code <= 0x17F)
        return std::string(WordOf(kLatinExtendedLetters, code - 0x100));
    if (code >= 0x391 && code <= 0x3A9) return std::string(WordOf(kGreekLetters, code - 0x391));
    if (code >= 0x3B1 && code <= 0x3C9)
        return SmallLetters(WordOf(kGreekLetters, code == 0x3C2 ? 0x3A3 - 0x391 : code - 0x3B1));
    if (code == 0x401) return "Yo";
    if (code == 0x451) return "yo";
    if (code >= 0x410 && code <= 0x42F) return std::string(WordOf(kCyrillicLetters, code - 0x410));
    if (code >= 0x430 && code <= 0x44F) return SmallLetters(WordOf(kCyrillicLetters, code - 0x430));
    return {};
}

// The code point of the valid UTF-8 sequence of length bytes at text[at].
std::uint32_t DecodeUtf8(const std::string& text, std::size_t at, std::size_t length) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    std::uint32_t code = byte(at) & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) code = code << 6 | (byte(at + i) & 0x3Fu);
    return code;
}

// Whether name matches the pattern of one component ('*', '?'), without regard to ASCII case.
bool MatchComponent(const std::string& pattern, const std::string& name) {
    // Iterative matching with one saved star: linear in practice and never recursive.
    std::size_t p = 0, n = 0, star = std::string::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern[p] == '?' || LowerAscii(pattern[p]) == LowerAscii(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

// Adds to *found the files under folder (named prefix relative to the disc) that match
// parts[at...]. A component "**" matches any number of folders, and as the last component
// every file below. Depth is bounded by the folder tree itself; symbolic links to folders are
// not followed, so a loop of links cannot make it run for ever.
void MatchFrom(const fs::path& folder, const std::string& prefix,
               const std::vector<std::string>& parts, std::size_t at,
               std::vector<std::string>* found) {
    std::error_code error;
    if (at == parts.size()) return;
    const bool last = at + 1 == parts.size();
    if (parts[at] == "**") {
        MatchFrom(folder, prefix, parts, at + 1, found);  // no folder at all
        for (const auto& entry : fs::directory_iterator(folder, error)) {
            const std::string name = entry.path().filename().string();
            if (last && entry.is_regular_file(error)) found->push_back(prefix + name);
            if (entry.is_directory(error) && !entry.is_symlink(error))
                MatchFrom(entry.path(), prefix + name + '\\', parts, at, found);
        }
        return;
    }
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (!MatchComponent(parts[at], name)) continue;
        if (last) {
            if (entry.is_regular_file(error)) found->push_back(prefix + name);
        } else if (entry.is_directory(error) && !entry.is_symlink(error)) {
            MatchFrom(entry.path(), prefix + name + '\\', parts, at + 1, found);
        }
    }
}

std::string Trim(const std::string& text) {
    const std::size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return "";
    return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

// The lines of text, split where check splits an install script: at CR LF, CR or LF.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

// The first byte (0-based) of line that starts no valid UTF-8 sequence, or npos.
std::size_t FirstNonUtf8(const std::string& line) {
    for (std::size_t at = 0; at < line.size();) {
        const std::size_t length = Utf8SequenceLength(line, at);
        if (length == 0) return at;
        at += length;
    }
    return std::string::npos;
}

class Description {
public:
    Description(std::string path, fs::path disc, int codepage)
        : m_path(std::move(path)), m_disc(std::move(disc)), m_codepage(codepage) {}

    // Reads the description text into groups; false after reporting its errors.
    bool Read(const std::string& text, std::vector<ScriptGroup>* groups) {
        const std::vector<std::string> lines = SplitLines(text);
        for (std::size_t i = 0; i < lines.size(); ++i)
            ReadLine(static_cast<int>(i + 1), lines[i], groups);
        if (groups->empty() && m_errors == 0) {
            Error(1,
                  "the description names no group; start one with \"required NAME\" or "
                  "\"optional NAME\" and list its files with \"file PATH\"");
        }
        for (const ScriptGroup& group : *groups) {
            if (group.files.empty() && !group.name.empty()) {
                Error(group.line, "the group " + Quote(group.name) +
                                      " lists no file; give it \"file PATH\" lines" +
                                      (group.required ? " (a required group without files "
                                                        "makes a setup that never shows)"
                                                      : ""));
            }
        }
        CheckLimits(*groups);
        return m_errors == 0;
    }

    void Error(int line, const std::string& message) {
        std::fprintf(stderr, "%s:%d: error: %s\n", m_path.c_str(), line, message.c_str());
        ++m_errors;
    }

private:
    void ReadLine(int line, const std::string& raw, std::vector<ScriptGroup>* groups) {
        if (const std::size_t bad = FirstNonUtf8(raw); bad != std::string::npos) {
            return Error(line, "not UTF-8 at byte " + std::to_string(bad + 1) +
                                   " of the line; save the description as UTF-8");
        }
        const std::string content = Trim(raw);
        if (content.empty() || content[0] == ';' || content[0] == '#') return;
        const std::size_t space = content.find_first_of(" \t");
        const std::string word = LowerAscii(content.substr(0, space));
        const std::string rest = space == std::string::npos ? "" : Trim(content.substr(space));
        if (word == "required" || word == "optional") {
            ScriptGroup group;
            group.required = word == "required";
            group.name = rest;
            group.line = line;
            if (rest.empty()) Error(line, "a group needs its name: " + Quote(word + " NAME"));
            groups->push_back(std::move(group));
        } else if (groups->empty()) {
            Error(line, Quote(word) + " before the first \"required\" or \"optional\" group");
        } else if (word == "desc") {
            groups->back().description = rest;
        } else if (word == "file") {
            AddFiles(line, rest, &groups->back());
        } else {
            Error(line,
                  "unknown statement \"" + word + "\"; one of required, optional, desc, file");
        }
    }

    // Why pattern names no file, with a hint at what would.
    std::string NoFileMessage(const std::string& pattern) const {
        std::string message = Quote(pattern) + " names no file in " + m_disc.string();
        const std::optional<fs::path> folder = FindWithoutCase(m_disc, pattern);
        std::error_code error;
        if (folder && fs::is_directory(*folder, error)) {
            std::string below = pattern;
            while (!below.empty() && (below.back() == '\\' || below.back() == '/'))
                below.pop_back();
            return message + "; it is a folder: \"" + below + "\\**\" lists every file below it";
        }
        return message + " (\"*\" and \"?\" match within a name, \"**\" any number of folders)";
    }

    void AddFiles(int line, const std::string& statement, ScriptGroup* group) {
        std::string pattern = statement;
        std::string key;
        const std::size_t equals = statement.rfind(" = ");
        if (equals != std::string::npos) {
            pattern = Trim(statement.substr(0, equals));
            key = Trim(statement.substr(equals + 3));
        }
        if (pattern.empty()) return Error(line, "\"file\" needs a path or pattern");
        // The wildcards are the only characters a pattern may have that a name may not; each
        // name it matches is checked again below.
        std::string shape = pattern;
        std::replace_if(
            shape.begin(), shape.end(), [](char c) { return c == '*' || c == '?'; }, 'x');
        if (!rules::IsSafeRelativeName(shape)) {
            return Error(line, Quote(pattern) + " is not a name inside the disc folder");
        }
        const std::vector<std::string> found = MatchFiles(m_disc, pattern);
        for (const std::string& name : found) {
            // The launcher applies its name rules to the code-page bytes ("COM\xB9" is a device
            // there); a name the code page cannot hold keeps its UTF-8, and CheckFile says so.
            std::string bytes;
            if (!EncodeAnsi(name, m_codepage, &bytes)) bytes = name;
            if (!rules::IsSafeRelativeName(bytes)) {
                return Error(line, Quote(pattern) + " matches " + Quote(name) +
                                       ", a name that the launcher refuses to copy");
            }
        }
        if (found.empty()) return Error(line, NoFileMessage(pattern));
        if (!key.empty() && found.size() != 1) {
            return Error(line, Quote(pattern) + " names " + std::to_string(found.size()) +
                                   " files; a key can be given only for one");
        }
        for (const std::string& name : found) AddFile(line, name, key, group);
    }

    void AddFile(int line, const std::string& name, const std::string& givenKey,
                 ScriptGroup* group) {
        const std::string key = givenKey.empty() ? DerivedKey(name) : givenKey;
        const auto [listed, isNew] = group->index.emplace(LowerAscii(name), group->files.size());
        if (!isNew) {
            const ScriptFile& first = group->files[listed->second];
            if (!givenKey.empty() && first.key != key) {
                return Error(line, Quote(name) + " gets the key " + key + " here and " + first.key +
                                       " on line " + std::to_string(first.line) +
                                       "; list it once, with the key it is to keep");
            }
            return Error(line, Quote(name) + " is already in the group from line " +
                                   std::to_string(first.line) + "; list each file once");
        }
        group->files.push_back({name, key, line});
        const auto& first =
            m_keyLines.emplace(LowerAscii(key), std::make_pair(name, line)).first->second;
        if (LowerAscii(first.first) != LowerAscii(name)) {
            Error(line, Quote(name) + " gets the key " + key + " of " + Quote(first.first) +
                            " (line " + std::to_string(first.second) +
                            "); give one of them its own key with \"= KEY\"");
        }
        if (LowerAscii(key) == LowerAscii(rules::kShowStartupAgainKey)) {
            Error(line,
                  "the key ShowStartupAgain is the start-up message's flag in the shared file");
        }
    }

    // Limits the launcher reads within, and texts the code page must hold.
    void CheckLimits(const std::vector<ScriptGroup>& groups) {
        std::size_t counts[2] = {0, 0};
        for (const ScriptGroup& group : groups) {
            ++counts[group.required ? 0 : 1];
            if (group.files.size() > static_cast<std::size_t>(rules::kMaxGroupFiles)) {
                Error(group.line, "the group has " + std::to_string(group.files.size()) +
                                      " files, over the launcher's limit of " +
                                      std::to_string(rules::kMaxGroupFiles));
            }
            CheckTexts(group);
            for (const ScriptFile& file : group.files) CheckFile(file);
        }
        for (int i = 0; i < 2; ++i) {
            if (counts[i] > static_cast<std::size_t>(rules::kMaxScriptGroups)) {
                Error(0, std::string(rules::kComponentSections[i]) + " has " +
                             std::to_string(counts[i]) + " groups, over the launcher's limit of " +
                             std::to_string(rules::kMaxScriptGroups));
            }
        }
    }

    void CheckTexts(const ScriptGroup& group) {
        std::string bytes;
        for (const std::string* text : {&group.name, &group.description}) {
            if (!EncodeAnsi(*text, m_codepage, &bytes)) {
                Error(group.line, Quote(*text) + " has a character code page " +
                                      std::to_string(m_codepage) + " cannot hold");
            } else if (bytes.size() + 1 > static_cast<std::size_t>(rules::kScriptValueSize)) {
                Error(group.line, "a text longer than the launcher's " +
                                      std::to_string(rules::kScriptValueSize - 1) + " characters");
            }
        }
    }

    void CheckFile(const ScriptFile& file) {
        std::string bytes, keyBytes;
        if (!EncodeAnsi(file.name, m_codepage, &bytes) ||
            !EncodeAnsi(file.key, m_codepage, &keyBytes)) {
            return Error(file.line, Quote(file.name) + " has a character code page " +
                                        std::to_string(m_codepage) +
                                        " cannot hold; rename the file");
        }
        if (bytes.size() > kScriptPathChars) {
            Error(file.line, Quote(file.name) + " is " + std::to_string(bytes.size()) +
                                 " characters long, over the " + std::to_string(kScriptPathChars) +
                                 " of a path: the launcher can never install it");
        }
    }

    std::string m_path;
    fs::path m_disc;
    int m_codepage;
    int m_errors = 0;
    std::map<std::string, std::pair<std::string, int>> m_keyLines;  // key -> first file, line
};

}  // namespace

bool ReadDescription(const std::string& path, const fs::path& disc, int codepage,
                     const std::string& text, std::vector<ScriptGroup>* groups) {
    Description description(path, disc, codepage);
    // A byte order mark (as some editors save UTF-8) is no part of the first statement.
    const bool marked = text.compare(0, 3, "\xEF\xBB\xBF") == 0;
    return description.Read(marked ? text.substr(3) : text, groups);
}

std::string DerivedKey(const std::string& name) {
    std::string key;
    bool gap = false;
    const auto put = [&](std::string_view letters) {
        if (letters.empty()) {
            gap = true;
            return;
        }
        if (gap && !key.empty()) key += '_';
        key += letters;
        gap = false;
    };
    for (std::size_t at = 0; at < name.size();) {
        const char c = name[at];
        const std::size_t length = Utf8SequenceLength(name, at);
        if (length <= 1) {
            const bool keep =
                (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
            put(keep ? std::string_view(&name[at], 1) : std::string_view());
            ++at;
            continue;
        }
        put(SpeltInAscii(DecodeUtf8(name, at, length)));
        at += length;
    }
    return key.empty() ? "File" : key;
}

std::vector<std::string> MatchFiles(const fs::path& folder, const std::string& pattern) {
    // A run of "**" matches what one does; collapsed, it cannot multiply the walk.
    std::vector<std::string> parts = NameComponents(pattern);
    parts.erase(std::unique(parts.begin(), parts.end(),
                            [](const std::string& a, const std::string& b) {
                                return a == "**" && b == "**";
                            }),
                parts.end());
    std::vector<std::string> found;
    MatchFrom(folder, "", parts, 0, &found);
    // "**\*\**" still reaches a file by more than one split of its folders: list it once.
    std::sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
        const std::string smallA = LowerAscii(a), smallB = LowerAscii(b);
        return smallA != smallB ? smallA < smallB : a < b;
    });
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

}  // namespace disctool
