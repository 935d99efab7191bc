#include "tools/disctool/inifile.h"

#include <algorithm>
#include <fstream>

#include "tools/disctool/codepage.h"
#include "tools/disctool/text.h"

namespace disctool {
namespace {

// The blanks the profile functions drop around lines, names and values. 0x1A, the end-of-file
// mark of old editors, is one of them.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1A';
}

std::string Trim(const std::string& text, std::size_t begin, std::size_t end) {
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

// Names and values are C strings to the profile functions: a NUL byte ends them.
std::string CutAtNul(std::string text) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return text;
}

void AddIssue(IniFile* file, IniIssue::Kind kind, int line, int column = 0,
              std::uint32_t character = 0) {
    for (const IniIssue& issue : file->issues) {
        if (issue.kind == kind && issue.line == line) return;
    }
    file->issues.push_back({kind, line, column, character});
}

// Turns Unicode text into the bytes of the ANSI code page, as the ANSI profile functions
// return it. A character without a byte becomes "?" and is listed; lines are counted as Parse
// counts them, so that the issue names the line.
class AnsiWriter {
public:
    AnsiWriter(IniFile* file, int codepage, std::string* out)
        : m_file(file), m_codepage(codepage), m_out(out) {}

    void Put(std::uint32_t code) {
        if (code == '\n' ? m_previous != '\r' : code == '\r') {
            ++m_line;
            m_column = 0;
        } else if (code != '\n') {
            ++m_column;
        }
        m_previous = code;
        const int byte = code < 0x80 ? static_cast<int>(code) : EncodeCodePoint(code, m_codepage);
        if (byte < 0) {
            AddIssue(m_file, IniIssue::kUnmappable, m_line, m_column, code);
            *m_out += '?';
        } else {
            *m_out += static_cast<char>(byte);
        }
    }

private:
    IniFile* m_file;
    int m_codepage;
    std::string* m_out;
    int m_line = 1;
    int m_column = 0;  // characters of the line so far
    std::uint32_t m_previous = 0;
};

// The text of raw as ANSI bytes, by its byte order mark.
std::string DecodeText(const std::string& raw, int codepage, IniFile* file) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(raw[i]); };
    std::string text;
    AnsiWriter writer(file, codepage, &text);
    if (raw.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        file->encoding = IniEncoding::kUtf8;
        AddIssue(file, IniIssue::kUtf8ByteOrderMark, 0);
        for (std::size_t at = 3; at < raw.size();) {
            const std::size_t length = Utf8SequenceLength(raw, at);
            if (length == 0) {
                writer.Put(0xFFFD);  // a byte that starts no sequence: the replacement character
                ++at;
                continue;
            }
            std::uint32_t code = length == 1 ? byte(at) : byte(at) & (0x7Fu >> length);
            for (std::size_t i = 1; i < length; ++i) code = code << 6 | (byte(at + i) & 0x3Fu);
            writer.Put(code);
            at += length;
        }
        return text;
    }
    const bool little = raw.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE;
    const bool big = raw.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF;
    if (!little && !big) return raw;
    file->encoding = little ? IniEncoding::kUtf16Le : IniEncoding::kUtf16Be;
    if (big) AddIssue(file, IniIssue::kUtf16BigEndian, 0);
    // A last odd byte is no character. Surrogate pairs name characters beyond every ANSI code
    // page, so each half is simply one character without a byte.
    for (std::size_t at = 2; at + 1 < raw.size(); at += 2) {
        const std::uint32_t first = byte(at), second = byte(at + 1);
        writer.Put(little ? first | second << 8 : first << 8 | second);
    }
    return text;
}

// Marks 0x1A bytes with text after them, and NUL bytes.
void FindOddBytes(const std::string& text, IniFile* file) {
    int line = 1;
    bool endMark = false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '\n' ? at == 0 || text[at - 1] != '\r' : c == '\r') ++line;
        if (c == '\0') AddIssue(file, IniIssue::kNulByte, line);
        if (c == '\x1A') {
            endMark = true;
        } else if (endMark && !IsBlank(c)) {
            AddIssue(file, IniIssue::kEndOfFileMark, line);
            endMark = false;
        }
    }
}

std::string ReadBytes(const IniFile& file, const std::string& section, const std::string& key,
                      std::size_t maxChars, bool* cut) {
    const IniEntry* entry = ini::Find(file, section, key);
    const std::string raw = entry != nullptr ? entry->value : std::string();
    std::string value;
    std::size_t whole = raw.size();
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') &&
        raw.back() == raw.front()) {
        // The text after the opening quote, closing quote included, is copied as far as the
        // buffer holds; its last character is then dropped when the buffer held the whole
        // text, even when the quote itself did not fit.
        whole = raw.size() - 2;
        value = raw.substr(1, std::min(raw.size() - 1, maxChars));
        if (maxChars >= whole) value.pop_back();
    } else {
        value = raw.substr(0, maxChars);
    }
    if (cut != nullptr) *cut = value.size() < whole;
    return value;
}

std::string Decoded(const IniFile& file, const std::string& bytes) {
    return file.codepage != 0 ? DecodeAnsi(bytes, file.codepage) : bytes;
}

}  // namespace

bool ini::ReadsAsSectionHeader(const std::string& line, std::string* name) {
    const std::string content = Trim(line, 0, line.size());
    if (content.empty() || content[0] != '[') return false;
    const std::size_t close = content.rfind(']');
    if (close == std::string::npos) return false;
    *name = CutAtNul(Trim(content, 1, close));
    return true;
}

IniFile ini::Parse(const std::string& raw, int ansiCodepage) {
    IniFile file;
    const std::string text = DecodeText(raw, ansiCodepage, &file);
    FindOddBytes(text, &file);
    IniSection* current = nullptr;
    int line = 1;
    for (std::size_t at = 0; at < text.size(); ++line) {
        std::size_t end = at;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
        const std::string content = Trim(text, at, end);
        at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        if (content.empty() || content[0] == ';') continue;
        if (content[0] == '[') {
            std::string name;
            if (ini::ReadsAsSectionHeader(content, &name)) {
                if (content.find(']') != content.rfind(']'))
                    AddIssue(&file, IniIssue::kSeveralBrackets, line);
                file.sections.push_back({std::move(name), {}, line});
                current = &file.sections.back();
                continue;
            }
            AddIssue(&file, IniIssue::kUnclosedSection, line);  // read as a key below
        }
        if (current == nullptr) continue;  // entries before any section belong to none
        const std::size_t equals = content.find('=');
        if (equals == std::string::npos) {
            current->entries.push_back({CutAtNul(content), "", line});
        } else {
            current->entries.push_back({CutAtNul(Trim(content, 0, equals)),
                                        CutAtNul(Trim(content, equals + 1, content.size())), line});
        }
    }
    std::stable_sort(file.issues.begin(), file.issues.end(),
                     [](const IniIssue& a, const IniIssue& b) { return a.line < b.line; });
    return file;
}

std::optional<IniFile> ini::Load(const std::string& path, int ansiCodepage, std::string* reason) {
    std::ifstream stream(path, std::ios::binary | std::ios::ate);
    if (!stream) {
        *reason = "cannot be read";
        return std::nullopt;
    }
    const std::streamoff length = stream.tellg();
    if (length < 0 || static_cast<std::uintmax_t>(length) > ini::kMaxBytes) {
        *reason = "larger than an INI file can reasonably be (16 MiB)";
        return std::nullopt;
    }
    stream.seekg(0);
    std::string text(static_cast<std::size_t>(length), '\0');
    // At most kMaxBytes, so the count fits the stream size type of every target.
    if (!stream.read(text.data(), static_cast<std::streamsize>(text.size()))) {
        *reason = "cannot be read";
        return std::nullopt;
    }
    return ini::Parse(text, ansiCodepage);
}

bool ini::SameName(const std::string& a, const std::string& b) { return SameNoCase(a, b); }

const IniSection* ini::FindSection(const IniFile& file, const std::string& section) {
    for (const IniSection& candidate : file.sections) {
        if (ini::SameName(candidate.name, section)) return &candidate;
    }
    return nullptr;
}

const IniEntry* ini::Find(const IniFile& file, const std::string& section, const std::string& key) {
    const IniSection* found = FindSection(file, section);
    if (found == nullptr) return nullptr;
    for (const IniEntry& entry : found->entries) {
        if (ini::SameName(entry.key, key)) return &entry;
    }
    return nullptr;
}

std::string ini::GetString(const IniFile& file, const std::string& section, const std::string& key,
                           std::size_t maxChars, bool* cut) {
    return Decoded(file, ReadBytes(file, section, key, maxChars, cut));
}

std::optional<std::string> ini::GetUncut(const IniFile& file, const std::string& section,
                                         const std::string& key, std::size_t maxChars) {
    const std::string value = ReadBytes(file, section, key, maxChars + 2, nullptr);
    if (value.size() > maxChars) return std::nullopt;
    return Decoded(file, value);
}

std::int32_t ini::ParseInt(const std::string& value) {
    std::size_t at = 0;
    while (at < value.size() && static_cast<unsigned char>(value[at]) <= ' ') ++at;
    bool negative = false;
    if (at < value.size() && (value[at] == '-' || value[at] == '+')) negative = value[at++] == '-';
    std::uint32_t base = 10;
    if (value.size() - at >= 2 && value[at] == '0') {
        const char prefix = value[at + 1];
        base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
        if (base != 10) at += 2;
    }
    std::uint32_t number = 0;
    for (; at < value.size(); ++at) {
        const char c = value[at];
        std::uint32_t digit = 36;
        if (c >= '0' && c <= '9')
            digit = static_cast<std::uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'z')
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'Z')
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        if (digit >= base) break;
        number = number * base + digit;
    }
    if (negative) number = 0u - number;
    return static_cast<std::int32_t>(number);
}

std::int32_t ini::GetInt(const IniFile& file, const std::string& section, const std::string& key,
                         std::int32_t fallback) {
    // An empty value reads like a missing one, as the profile functions find no text.
    const std::string value = ReadBytes(file, section, key, kIntegerChars, nullptr);
    return value.empty() ? fallback : ini::ParseInt(value);
}

bool ini::ReadsAsDecimal(const std::string& value) {
    std::size_t at = 0;
    while (at < value.size() && static_cast<unsigned char>(value[at]) <= ' ') ++at;
    bool negative = false;
    if (at < value.size() && (value[at] == '-' || value[at] == '+')) negative = value[at++] == '-';
    std::int64_t number = 0;
    for (; at < value.size() && value[at] >= '0' && value[at] <= '9'; ++at) {
        number = number * 10 + (value[at] - '0');
        if (number > std::int64_t{2147483648}) return false;
    }
    if (negative) number = -number;
    if (number > std::int64_t{2147483647}) return false;
    return ini::ParseInt(value.substr(0, kIntegerChars)) == number;
}

}  // namespace disctool
