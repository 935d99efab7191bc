#include "tools/disctool/discreport.h"

#include <cstdio>

namespace disctool {

const Option kLauncherOption = {
    "--launcher", "NAME.EXE",
    "the launcher on the disc (default: the one .exe in the folder, else\n"
    "the one .inf)"};
const Option kWindowsDriveOption = {
    "--windows-drive", "X:", "the Windows drive for the default destination (default C:)"};
const Option kCodepageOption = {
    "--codepage", "N",
    "the ANSI code page the launcher reads the script in (1250, 1251, 1252,\n"
    "1253, 1254, 1257; default 1252)"};
const Option kStrictOption = {"--strict", nullptr, "warnings fail the command too"};
const Option kJsonOption = {"--json", nullptr,
                            "the same report as JSON (with \"schema\", its layout's version)"};
const Option kQuietOption = {"-q", nullptr, "print the findings only"};

bool ReadDiscOptions(const Invocation& invocation, std::string* windowsDrive, int* codepage) {
    if (!CheckWindowsDrive(invocation.Value("--windows-drive"), windowsDrive)) {
        std::fprintf(stderr, "disctool: --windows-drive: give a drive letter and colon, like C:\n");
        return false;
    }
    *codepage = kDefaultCodepage;
    if (const char* given = invocation.Value("--codepage")) {
        *codepage = ParseCodepage(given);
        if (*codepage == 0) {
            std::fprintf(
                stderr,
                "disctool: --codepage %s: give one of the ANSI code pages 1250, 1251, 1252, "
                "1253, 1254, 1257\n",
                given);
            return false;
        }
    }
    return true;
}

int ReadDiscForCommand(const Invocation& invocation, Disc* disc) {
    const char* folder = invocation.operands[0];
    std::string drive;
    if (!ReadDiscOptions(invocation, &drive, &disc->codepage)) return kExitUsage;
    std::string reason;
    if (!ReadDisc(folder, invocation.Value("--launcher"), drive, disc, &reason)) {
        std::fprintf(stderr, "disctool: %s: %s\n", folder, reason.c_str());
        return kExitUsage;
    }
    return kExitOk;
}

std::string FindingLocation(const Disc& disc, const Finding& finding) {
    if (!disc.script) return disc.folder.string();
    const std::string script = (disc.folder / disc.script->filename()).string();
    return finding.line > 0 ? script + ":" + std::to_string(finding.line) : script;
}

void PrintFindings(const Disc& disc, std::FILE* out) {
    for (const Finding& finding : disc.findings) {
        std::fprintf(out, "%s: %s: %s [%s]\n", FindingLocation(disc, finding).c_str(),
                     SeverityWord(finding.severity()), finding.message.c_str(),
                     KindOf(finding.code).code);
    }
}

std::size_t CountFindings(const Disc& disc, Severity severity) {
    std::size_t count = 0;
    for (const Finding& finding : disc.findings) {
        if (finding.severity() == severity) ++count;
    }
    return count;
}

bool FindingsFail(const Disc& disc, bool strict) {
    return CountFindings(disc, Severity::kError) > 0 ||
           (strict && CountFindings(disc, Severity::kWarning) > 0);
}

void WriteFindingsJson(const Disc& disc, JsonWriter* json) {
    for (const Severity severity : {Severity::kError, Severity::kWarning, Severity::kNote}) {
        json->Key(std::string(SeverityWord(severity)) + "s").BeginArray();
        for (const Finding& finding : disc.findings) {
            if (finding.severity() != severity) continue;
            json->BeginObject();
            json->Key("code").String(KindOf(finding.code).code);
            json->Key("message").String(finding.message);
            json->Key("line");
            if (finding.line > 0)
                json->Number(std::int64_t{finding.line});
            else
                json->Null();
            json->EndObject();
        }
        json->EndArray();
    }
}

}  // namespace disctool
