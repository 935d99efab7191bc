#include "tools/disctool/discscript.h"

#include "tools/disctool/picwrite.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string_view>
#include <system_error>

#include "tools/disctool/discreport.h"
#include "tools/disctool/text.h"

namespace disctool {

namespace {

const Option kDiscFolderOption = {
    "--disc", "DIR", "the disc folder the paths are under (default: SCRIPT.inf's folder)"};
const Option kDryRunOption = {"--dry-run", nullptr, "print the script instead of writing it"};

}  // namespace

const OptionUse kDiscScriptOptions[3] = {
    {&kDiscFolderOption},
    {&kCodepageOption,
     "the ANSI code page texts and names are written in (1250, 1251,\n"
     "1252, 1253, 1254, 1257; default 1252)"},
    {&kDryRunOption}};

namespace {

// Characters of a path the launcher builds, less the terminator.
constexpr std::size_t kPathChars = rules::kPathSize - 1;

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

struct ScriptFile {
    std::string name;  // relative, '\' between components, as on the disc
    std::string key;
    int line = 0;  // of its "file" statement
};

struct ScriptGroup {
    bool required = false;
    std::string name;
    std::string description;
    std::vector<ScriptFile> files;
    int line = 0;
    std::map<std::string, std::size_t> index;  // lower-case name -> its place in files
};

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

std::size_t Depth(const std::string& name) {
    return static_cast<std::size_t>(std::count(name.begin(), name.end(), '\\'));
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

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

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
            if (rest.empty()) Error(line, "a group needs its name: \"" + word + " NAME\"");
            groups->push_back(std::move(group));
        } else if (groups->empty()) {
            Error(line, "\"" + word + "\" before the first \"required\" or \"optional\" group");
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
            return Error(line, "\"" + pattern + "\" is not a name inside the disc folder");
        }
        const std::vector<std::string> found = MatchFiles(m_disc, pattern);
        for (const std::string& name : found) {
            if (!rules::IsSafeRelativeName(name)) {
                return Error(line, "\"" + pattern + "\" matches \"" + name +
                                       "\", a name that the launcher refuses to copy");
            }
        }
        if (found.empty()) return Error(line, NoFileMessage(pattern));
        if (!key.empty() && found.size() != 1) {
            return Error(line, "\"" + pattern + "\" names " + std::to_string(found.size()) +
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
            Error(line, "\"" + name + "\" gets the key " + key + " of \"" + first.first +
                            "\" (line " + std::to_string(first.second) +
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
                Error(group.line, "\"" + *text + "\" has a character code page " +
                                      std::to_string(m_codepage) + " cannot hold");
            } else if (bytes.size() + 1 > static_cast<std::size_t>(rules::kScriptValueSize)) {
                Error(group.line, "a text longer than the launcher's " +
                                      std::to_string(rules::kScriptValueSize - 1) + " characters");
            }
        }
    }

    void CheckFile(const ScriptFile& file) {
        std::string bytes;
        if (!EncodeAnsi(file.name, m_codepage, &bytes) ||
            !EncodeAnsi(file.key, m_codepage, &bytes)) {
            return Error(file.line, "\"" + file.name + "\" has a character code page " +
                                        std::to_string(m_codepage) +
                                        " cannot hold; rename the file");
        }
        EncodeAnsi(file.name, m_codepage, &bytes);
        if (bytes.size() > kPathChars) {
            Error(file.line, "\"" + file.name + "\" is " + std::to_string(bytes.size()) +
                                 " characters long, over the " + std::to_string(kPathChars) +
                                 " of a path: the launcher can never install it");
        }
    }

    std::string m_path;
    fs::path m_disc;
    int m_codepage;
    int m_errors = 0;
    std::map<std::string, std::pair<std::string, int>> m_keyLines;  // key -> first file, line
};

// The forms of an install script that script rewrites, by its byte order mark: bytes in the
// ANSI code page (no mark), UTF-8 after its mark, little-endian UTF-16 after its mark. The
// launcher and check read all three; big-endian UTF-16 is refused (Windows does not read it).
enum class ScriptForm { kAnsi, kUtf8, kUtf16Le };

// The existing script's text to rewrite: the bytes as they stand for an ANSI script, else the
// text after the byte order mark as UTF-8. Returns why it cannot be rewritten, or empty.
std::string DecodeScript(const std::string& raw, ScriptForm* form, std::string* text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(raw[i]); };
    if (raw.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        *form = ScriptForm::kUtf8;
        *text = raw.substr(3);
        for (std::size_t at = 0; at < text->size();) {
            const std::size_t length = Utf8SequenceLength(*text, at);
            if (length == 0) return "starts with a UTF-8 byte order mark but is not valid UTF-8";
            at += length;
        }
        return {};
    }
    if (raw.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF)
        return "is big-endian UTF-16, which Windows does not read";
    if (raw.size() < 2 || byte(0) != 0xFF || byte(1) != 0xFE) {
        *form = ScriptForm::kAnsi;
        *text = raw;
        return {};
    }
    *form = ScriptForm::kUtf16Le;
    text->clear();
    if (raw.size() % 2 != 0) return "is UTF-16 with an odd number of bytes";
    for (std::size_t at = 2; at < raw.size(); at += 2) {
        std::uint32_t code = byte(at) | static_cast<std::uint32_t>(byte(at + 1)) << 8;
        if (code >= 0xDC00 && code <= 0xDFFF) return "is UTF-16 with a stray surrogate";
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (at + 3 >= raw.size()) return "is UTF-16 with a stray surrogate";
            const std::uint32_t low = byte(at + 2) | static_cast<std::uint32_t>(byte(at + 3)) << 8;
            if (low < 0xDC00 || low > 0xDFFF) return "is UTF-16 with a stray surrogate";
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            at += 2;
        }
        AppendUtf8(code, text);
    }
    return {};
}

// text (UTF-8 for the Unicode forms) as the bytes of a script of form, with its byte order mark.
std::string EncodeScript(const std::string& text, ScriptForm form) {
    if (form == ScriptForm::kAnsi) return text;
    if (form == ScriptForm::kUtf8) return "\xEF\xBB\xBF" + text;
    std::string out = "\xFF\xFE";
    const auto unit = [&](std::uint32_t value) {
        out += static_cast<char>(value & 0xFF);
        out += static_cast<char>(value >> 8);
    };
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = std::max<std::size_t>(Utf8SequenceLength(text, at), 1);
        std::uint32_t code = length == 1 ? byte(at) : byte(at) & (0x7Fu >> length);
        for (std::size_t i = 1; i < length; ++i) code = code << 6 | (byte(at + i) & 0x3Fu);
        if (code >= 0x10000) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
        at += length;
    }
    return out;
}

// The line end a script uses: that of its first line (CR LF, CR or LF, each of which ends a
// line for check and the launcher); CR LF when it has none.
std::string LineEndOf(const std::string& text) {
    const std::size_t end = text.find_first_of("\r\n");
    if (end == std::string::npos) return "\r\n";
    if (text[end] == '\n') return "\n";
    return end + 1 < text.size() && text[end + 1] == '\n' ? "\r\n" : "\r";
}

// The sections [Required] and [Optional] as script text of form (the code page's bytes for an
// ANSI script, else UTF-8), each line ended by eol. In each group the files of the deepest
// folders come first: setup asks once per missing folder and creates the whole chain, so this
// order asks the fewest questions.
std::string SectionsText(std::vector<ScriptGroup> groups, int codepage, ScriptForm form,
                         const std::string& eol) {
    std::string out;
    const auto line = [&](const std::string& text) {
        std::string bytes = text;
        if (form == ScriptForm::kAnsi) EncodeAnsi(text, codepage, &bytes);
        out += bytes + eol;
    };
    for (const bool required : {true, false}) {
        std::vector<ScriptGroup*> section;
        for (ScriptGroup& group : groups) {
            if (group.required == required) section.push_back(&group);
        }
        if (!out.empty()) line("");
        line(std::string("[") + (required ? rules::kRequiredSection : rules::kOptionalSection) +
             "]");
        char key[rules::kScriptKeySize];
        rules::FormatGroupCountKey(key);
        line(key + ("=" + std::to_string(section.size())));
        for (std::size_t g = 0; g < section.size(); ++g) {
            ScriptGroup& group = *section[g];
            std::stable_sort(group.files.begin(), group.files.end(),
                             [](const ScriptFile& a, const ScriptFile& b) {
                                 return Depth(a.name) != Depth(b.name)
                                            ? Depth(a.name) > Depth(b.name)
                                            : LowerAscii(a.name) < LowerAscii(b.name);
                             });
            const int number = static_cast<int>(g + 1);
            rules::FormatGroupKey(key, number, rules::kNameWord);
            line(key + ("=" + group.name));
            if (!group.description.empty()) {
                rules::FormatGroupKey(key, number, rules::kDescWord);
                line(key + ("=" + group.description));
            }
            rules::FormatFileCountKey(key, number);
            line(key + ("=" + std::to_string(group.files.size())));
            for (std::size_t f = 0; f < group.files.size(); ++f) {
                rules::FormatFileKey(key, number, static_cast<int>(f + 1), rules::kNameWord);
                line(key + ("=" + group.files[f].name));
                rules::FormatFileKey(key, number, static_cast<int>(f + 1), rules::kKeyWord);
                line(key + ("=" + group.files[f].key));
            }
        }
    }
    return out;
}

// The lines of an existing script's text outside its [Required] and [Optional] sections, as
// they stand with their own line ends, split where check splits them (CR LF, CR or LF), and
// without trailing blank lines; a last line without its end gets eol.
std::string KeptText(const std::string& script, const std::string& eol) {
    std::vector<std::pair<std::string, std::string>> lines;  // text, its line end
    bool dropping = false;
    std::size_t at = 0;
    while (at < script.size()) {
        std::size_t end = script.find_first_of("\r\n", at);
        std::string ending = eol;
        std::size_t next = script.size();
        if (end == std::string::npos) {
            end = script.size();
        } else {
            const std::size_t length =
                script[end] == '\r' && end + 1 < script.size() && script[end + 1] == '\n' ? 2 : 1;
            ending = script.substr(end, length);
            next = end + length;
        }
        std::string line = script.substr(at, end - at);
        at = next;
        if (std::string name; ini::ReadsAsSectionHeader(line, &name)) {
            dropping = ini::SameName(name, rules::kRequiredSection) ||
                       ini::SameName(name, rules::kOptionalSection);
        }
        if (!dropping) lines.emplace_back(std::move(line), std::move(ending));
    }
    while (!lines.empty() && lines.back().first.empty()) lines.pop_back();
    std::string out;
    for (const auto& [text, ending] : lines) out += text + ending;
    return out;
}

// The files a script lists, by their names without ASCII case: the name and its key.
using Listing = std::map<std::string, std::pair<std::string, std::string>>;

std::string Unquoted(const std::string& value) {
    const bool quoted = value.size() >= 2 && value.front() == value.back() &&
                        (value.front() == '"' || value.front() == '\'');
    return quoted ? value.substr(1, value.size() - 2) : value;
}

// The files an existing script lists in its component sections, read as check reads them.
Listing ListedFiles(const std::string& raw, int codepage) {
    const IniFile script = ini::Parse(raw, codepage);
    Listing listed;
    for (const char* name : rules::kComponentSections) {
        const IniSection* section = ini::FindSection(script, name);
        if (section == nullptr) continue;
        std::map<std::pair<std::int64_t, std::int64_t>, std::pair<std::string, std::string>> files;
        for (const IniEntry& entry : section->entries) {
            const rules::ScriptKey key = rules::ParseScriptKey(entry.key);
            if (key.kind != rules::ScriptKey::kFileName && key.kind != rules::ScriptKey::kFileKey)
                continue;
            auto& file = files[{key.group, key.file}];
            std::string& value = key.kind == rules::ScriptKey::kFileName ? file.first : file.second;
            if (value.empty()) value = DecodeAnsi(Unquoted(entry.value), codepage);
        }
        for (const auto& [at, file] : files) {
            if (!file.first.empty()) listed.emplace(LowerAscii(file.first), file);
        }
    }
    return listed;
}

Listing ListedFiles(const std::vector<ScriptGroup>& groups) {
    Listing listed;
    for (const ScriptGroup& group : groups) {
        for (const ScriptFile& file : group.files)
            listed.emplace(LowerAscii(file.name), std::make_pair(file.name, file.key));
    }
    return listed;
}

// What the new script changes in the files the script before listed: one line of counts, then
// a line for each file added, removed or given another key.
void PrintChanges(const Listing& before, const Listing& after) {
    std::vector<std::string> lines;
    std::size_t added = 0, removed = 0, rekeyed = 0;
    for (const auto& [folded, file] : after) {
        const auto old = before.find(folded);
        if (old == before.end()) {
            ++added;
            lines.push_back("  added " + file.first);
        } else if (old->second.second != file.second) {
            ++rekeyed;
            lines.push_back("  key changed " + file.first + ": " + old->second.second + " -> " +
                            file.second + " (its installed copies are no longer recorded)");
        }
    }
    for (const auto& [folded, file] : before) {
        if (after.find(folded) != after.end()) continue;
        ++removed;
        lines.push_back("  removed " + file.first);
    }
    std::printf("against the script before: %zu file%s added, %zu removed, %zu key%s changed\n",
                added, added == 1 ? "" : "s", removed, rekeyed, rekeyed == 1 ? "" : "s");
    for (const std::string& line : lines) std::printf("%s\n", line.c_str());
}

bool ReadWhole(const std::string& path, std::string* text) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) return false;
    text->assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    return !stream.bad() && text->size() <= ini::kMaxBytes;
}

}  // namespace

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
    std::vector<std::string> found;
    MatchFrom(folder, "", NameComponents(pattern), 0, &found);
    std::sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
        return LowerAscii(a) < LowerAscii(b);
    });
    return found;
}

int RunDiscScript(const Invocation& invocation) {
    const std::string descriptionPath = invocation.operands[0];
    const fs::path scriptPath = invocation.operands[1];
    std::string drive;
    int codepage = kDefaultCodepage;
    if (!ReadDiscOptions(invocation, &drive, &codepage)) return kExitUsage;
    const fs::path disc = invocation.Has("--disc")           ? fs::path(invocation.Value("--disc"))
                          : scriptPath.parent_path().empty() ? fs::path(".")
                                                             : scriptPath.parent_path();
    std::error_code error;
    if (!fs::is_directory(disc, error)) {
        std::fprintf(stderr, "disctool: %s: not a folder\n", disc.string().c_str());
        return kExitUsage;
    }
    std::string text;
    if (!ReadWhole(descriptionPath, &text)) {
        std::fprintf(stderr, "disctool: %s: cannot be read\n", descriptionPath.c_str());
        return kExitUsage;
    }
    std::string existing;
    if (fs::exists(scriptPath, error) && !ReadWhole(scriptPath.string(), &existing)) {
        std::fprintf(stderr, "disctool: %s: cannot be read\n", scriptPath.string().c_str());
        return kExitUsage;
    }

    // The script is rewritten in its own form and line ends, split into lines as check reads
    // it, so that check reads the kept sections and the new groups as written.
    ScriptForm form = ScriptForm::kAnsi;
    std::string existingText;
    if (const std::string why = DecodeScript(existing, &form, &existingText); !why.empty()) {
        std::fprintf(stderr,
                     "disctool: %s: %s; save it in the ANSI code page (or as UTF-16 with its byte "
                     "order mark) before script rewrites it\n",
                     scriptPath.string().c_str(), why.c_str());
        return kExitUsage;
    }
    Description description(descriptionPath, disc, codepage);
    std::vector<ScriptGroup> groups;
    if (!description.Read(text, &groups)) return kExitFailed;
    const std::string eol = LineEndOf(existingText);
    const std::string kept = KeptText(existingText, eol);
    const std::string script = EncodeScript(
        kept + (kept.empty() ? "" : eol) + SectionsText(groups, codepage, form, eol), form);
    if (invocation.Has("--dry-run")) {
        std::fwrite(script.data(), 1, script.size(), stdout);
        return kExitOk;
    }

    // Whole or not at all: a new file made exclusively beside the script, renamed over it.
    if (const std::string why = WriteFileBytes(
            scriptPath.string().c_str(), std::vector<std::uint8_t>(script.begin(), script.end()));
        !why.empty()) {
        std::fprintf(stderr, "disctool: %s: %s\n", scriptPath.string().c_str(), why.c_str());
        return kExitFailed;
    }
    std::size_t files = 0;
    for (const ScriptGroup& group : groups) files += group.files.size();
    std::printf("%s: %zu groups, %zu files\n", scriptPath.string().c_str(), groups.size(), files);
    if (const Listing before = ListedFiles(existing, codepage); !before.empty())
        PrintChanges(before, ListedFiles(groups));
    return kExitOk;
}

}  // namespace disctool
