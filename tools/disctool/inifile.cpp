#include "tools/disctool/inifile.h"

#include <fstream>
#include <iterator>

#include "tools/disctool/codepage.h"
#include "tools/disctool/text.h"

namespace disctool {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& text, std::size_t begin, std::size_t end) {
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string Unquote(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

IniFile ini::Parse(const std::string& text) {
    IniFile file;
    std::size_t at = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        file.hadByteOrderMark = true;
        at = 3;
    }
    IniSection* current = nullptr;
    int line = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        ++line;
        const std::string content = Trim(text, at, end);
        at = end + 1;
        if (content.empty() || content[0] == ';') continue;
        if (content[0] == '[') {
            const std::size_t close = content.find(']');
            file.sections.push_back(
                {Trim(content, 1, close == std::string::npos ? content.size() : close), {}});
            current = &file.sections.back();
            continue;
        }
        if (current == nullptr) continue;  // entries before any section belong to none
        const std::size_t equals = content.find('=');
        if (equals == std::string::npos) {
            current->entries.push_back({content, "", line});
        } else {
            current->entries.push_back(
                {Trim(content, 0, equals), Trim(content, equals + 1, content.size()), line});
        }
    }
    return file;
}

std::optional<IniFile> ini::Load(const std::string& path, std::string* reason) {
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
    const std::string text((std::istreambuf_iterator<char>(stream)),
                           std::istreambuf_iterator<char>());
    return ini::Parse(text);
}

const IniEntry* ini::Find(const IniFile& file, const std::string& section, const std::string& key) {
    for (const IniSection& candidate : file.sections) {
        if (!SameNoCase(candidate.name, section)) continue;
        for (const IniEntry& entry : candidate.entries) {
            if (SameNoCase(entry.key, key)) return &entry;
        }
    }
    return nullptr;
}

std::string ini::GetString(const IniFile& file, const std::string& section, const std::string& key,
                           std::size_t maxChars, bool* cut) {
    const IniEntry* entry = ini::Find(file, section, key);
    std::string value = entry != nullptr ? Unquote(entry->value) : std::string();
    if (cut != nullptr) *cut = value.size() > maxChars;
    if (value.size() > maxChars) value.resize(maxChars);
    return file.codepage != 0 ? DecodeAnsi(value, file.codepage) : value;
}

std::int32_t ini::ParseInt(const std::string& value) {
    std::size_t at = 0;
    bool negative = false;
    if (at < value.size() && (value[at] == '-' || value[at] == '+')) negative = value[at++] == '-';
    std::uint32_t number = 0;
    for (; at < value.size() && value[at] >= '0' && value[at] <= '9'; ++at) {
        number = number * 10u + static_cast<std::uint32_t>(value[at] - '0');
    }
    if (negative) number = 0u - number;
    return static_cast<std::int32_t>(number);
}

std::int32_t ini::GetInt(const IniFile& file, const std::string& section, const std::string& key,
                         std::int32_t fallback) {
    // An empty value reads like a missing one, as the profile functions find no text.
    const IniEntry* entry = ini::Find(file, section, key);
    const std::string value = entry != nullptr ? Unquote(entry->value) : std::string();
    return value.empty() ? fallback : ini::ParseInt(value);
}

}  // namespace disctool
