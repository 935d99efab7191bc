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

#include "tools/disctool/description.h"
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

std::size_t Depth(const std::string& name) {
    return static_cast<std::size_t>(std::count(name.begin(), name.end(), '\\'));
}

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
    // Read in chunks, and no further than the most a script may hold.
    text->clear();
    char chunk[1 << 16];
    while (stream.read(chunk, sizeof chunk) || stream.gcount() > 0) {
        text->append(chunk, static_cast<std::size_t>(stream.gcount()));
        if (text->size() > ini::kMaxBytes) return false;
    }
    return !stream.bad();
}

}  // namespace

namespace {

// What script reads: the description's text, the existing script's bytes (empty when there is
// none), the disc folder and the code page.
struct ScriptInputs {
    std::string descriptionPath;
    fs::path scriptPath;
    fs::path disc;
    int codepage = kDefaultCodepage;
    std::string text;
    std::string existing;
};

int CannotRead(const std::string& path, const char* why) {
    std::fprintf(stderr, "disctool: %s: %s\n", path.c_str(), why);
    return kExitUsage;
}

// Reads the inputs; kExitOk, or kExitUsage after one line on standard error.
int ReadScriptInputs(const Invocation& invocation, ScriptInputs* in) {
    in->descriptionPath = invocation.operands[0];
    in->scriptPath = invocation.operands[1];
    std::string drive;
    if (!ReadDiscOptions(invocation, &drive, &in->codepage)) return kExitUsage;
    in->disc = invocation.Has("--disc")               ? fs::path(invocation.Value("--disc"))
               : in->scriptPath.parent_path().empty() ? fs::path(".")
                                                      : in->scriptPath.parent_path();
    std::error_code error;
    if (!fs::is_directory(in->disc, error)) return CannotRead(in->disc.string(), "not a folder");
    if (!ReadWhole(in->descriptionPath, &in->text))
        return CannotRead(in->descriptionPath, "cannot be read");
    if (fs::exists(in->scriptPath, error) && !ReadWhole(in->scriptPath.string(), &in->existing))
        return CannotRead(in->scriptPath.string(), "cannot be read");
    return kExitOk;
}

}  // namespace

int RunDiscScript(const Invocation& invocation) {
    ScriptInputs in;
    if (const int status = ReadScriptInputs(invocation, &in); status != kExitOk) return status;
    // The script is rewritten in its own form and line ends, split into lines as check reads
    // it, so that check reads the kept sections and the new groups as written.
    ScriptForm form = ScriptForm::kAnsi;
    std::string existingText;
    if (const std::string why = DecodeScript(in.existing, &form, &existingText); !why.empty()) {
        std::fprintf(stderr,
                     "disctool: %s: %s; save it in the ANSI code page (or as UTF-16 with its byte "
                     "order mark) before script rewrites it\n",
                     in.scriptPath.string().c_str(), why.c_str());
        return kExitUsage;
    }
    std::vector<ScriptGroup> groups;
    if (!ReadDescription(in.descriptionPath, in.disc, in.codepage, in.text, &groups))
        return kExitFailed;
    const std::string eol = LineEndOf(existingText);
    const std::string kept = KeptText(existingText, eol);
    const std::string script = EncodeScript(
        kept + (kept.empty() ? "" : eol) + SectionsText(groups, in.codepage, form, eol), form);
    if (invocation.Has("--dry-run")) {
        std::fwrite(script.data(), 1, script.size(), stdout);
        return kExitOk;
    }
    // Whole or not at all: a new file made exclusively beside the script, renamed over it.
    const std::string path = in.scriptPath.string();
    if (const std::string why =
            WriteFileBytes(path.c_str(), std::vector<std::uint8_t>(script.begin(), script.end()));
        !why.empty()) {
        std::fprintf(stderr, "disctool: %s: %s\n", path.c_str(), why.c_str());
        return kExitFailed;
    }
    std::size_t files = 0;
    for (const ScriptGroup& group : groups) files += group.files.size();
    std::printf("%s: %zu groups, %zu files\n", path.c_str(), groups.size(), files);
    if (const Listing before = ListedFiles(in.existing, in.codepage); !before.empty())
        PrintChanges(before, ListedFiles(groups));
    return kExitOk;
}

}  // namespace disctool
