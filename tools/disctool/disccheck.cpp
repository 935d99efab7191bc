#include "tools/disctool/disccheck.h"

#include <cctype>
#include <cstdio>

#include "tools/disctool/disc.h"
#include "tools/disctool/findings.h"
#include "tools/disctool/discreport.h"
#include "tools/disctool/json.h"

namespace disctool {

const OptionUse kDiscCheckOptions[6] = {{&kLauncherOption}, {&kJsonOption},
                                        {&kQuietOption},    {&kStrictOption},
                                        {&kCodepageOption}, {&kWindowsDriveOption}};

namespace {

std::string DestinationText(const Disc& disc) {
    return disc.destination + (disc.defaultDestination ? " (the default folder)" : " (DefaultDir)");
}

void PrintText(const Disc& disc) {
    std::printf("disc: %s\n", disc.folder.string().c_str());
    std::printf("launcher: %s (%s)\n", disc.launcher.c_str(), disc.chosenBy.c_str());
    std::printf("install script: %s\n",
                disc.script ? disc.script->filename().string().c_str() : "none");
    std::printf("game: %s\n", disc.game ? disc.game->filename().string().c_str() : "none");
    std::printf("shared file section: [%s]\n", disc.baseName.c_str());
    std::printf("destination: %s\n", DestinationText(disc).c_str());
    if (!disc.productName.empty())
        std::printf("%s: %s\n", rules::kProductNameKey, disc.productName.c_str());
    for (int i = 0; i < 4; ++i) {
        if (!disc.titles[i].empty())
            std::printf("%s: %s\n", kScriptTitleKeys[i], disc.titles[i].c_str());
    }
    if (disc.bitmap.empty()) {
        std::printf("start-up picture: none\n");
    } else if (disc.bitmapWidth > 0 || disc.bitmapHeight > 0) {
        std::printf("start-up picture: %s, %d x %d\n", disc.bitmap.c_str(), disc.bitmapWidth,
                    disc.bitmapHeight);
    } else {
        std::printf("start-up picture: %s (not loaded)\n", disc.bitmap.c_str());
    }
    std::printf("groups: %zu\n", disc.groups.size());
    std::uint64_t requiredBytes = 0;
    for (const DiscGroup& group : disc.groups) {
        if (group.required) requiredBytes += group.bytes;
        std::printf("  %s %d: %s, %zu file%s, %s MB\n", SectionName(group), group.number,
                    group.name.c_str(), group.files.size(), group.files.size() == 1 ? "" : "s",
                    Megabytes(group.bytes).c_str());
        for (const DiscFile& file : group.files) {
            std::string state =
                file.found ? std::to_string(file.size) + " bytes" : "not on the disc";
            if (file.refused) state = "refused";
            if (file.name.empty()) state = "no name";
            std::printf("    %d. %s [%s] %s\n", file.number, file.name.c_str(), file.key.c_str(),
                        state.c_str());
        }
    }
    std::printf("required groups: %s MB\n", Megabytes(requiredBytes).c_str());
    std::printf("all groups: %s MB\n", Megabytes(disc.TotalBytes()).c_str());
    PrintFindings(disc, stdout);
    const std::size_t errors = CountFindings(disc, Severity::kError);
    const std::size_t warnings = CountFindings(disc, Severity::kWarning);
    const std::size_t notes = CountFindings(disc, Severity::kNote);
    std::printf("result: %zu error%s, %zu warning%s", errors, errors == 1 ? "" : "s", warnings,
                warnings == 1 ? "" : "s");
    if (notes > 0) std::printf(", %zu note%s", notes, notes == 1 ? "" : "s");
    std::printf("\n");
}

// The groups with their files, as the "groups" array; *requiredBytes the required groups' sizes.
void WriteGroupsJson(const Disc& disc, JsonWriter* json, std::uint64_t* requiredBytes) {
    json->Key("groups").BeginArray();
    for (const DiscGroup& group : disc.groups) {
        if (group.required) *requiredBytes += group.bytes;
        json->BeginObject();
        json->Key("section").String(SectionName(group));
        json->Key("number").Number(std::int64_t{group.number});
        json->Key("name").String(group.name);
        json->Key("description").String(group.description);
        json->Key("bytes").Number(group.bytes);
        json->Key("megabytes").Raw(Megabytes(group.bytes));
        json->Key("files").BeginArray();
        for (const DiscFile& file : group.files) {
            json->BeginObject();
            json->Key("number").Number(std::int64_t{file.number});
            json->Key("name").String(file.name);
            json->Key("key").String(file.key);
            json->Key("found").Bool(file.found.has_value());
            json->Key("size").Number(file.size);
            json->EndObject();
        }
        json->EndArray();
        json->EndObject();
    }
    json->EndArray();
}

// The start-up picture, as the "startupPicture" member (null without one).
void WritePictureJson(const Disc& disc, JsonWriter* json) {
    json->Key("startupPicture");
    if (disc.bitmap.empty()) {
        json->Null();
        return;
    }
    json->BeginObject();
    json->Key("file").String(disc.bitmap);
    json->Key("loads").Bool(disc.bitmapWidth > 0 || disc.bitmapHeight > 0);
    json->Key("width").Number(std::int64_t{disc.bitmapWidth});
    json->Key("height").Number(std::int64_t{disc.bitmapHeight});
    json->EndObject();
}

void PrintJson(const Disc& disc, bool strict) {
    JsonWriter json;
    json.BeginObject();
    json.Key("schema").Number(std::int64_t{kReportSchema});
    json.Key("disc").String(disc.folder.string());
    json.Key("codepage").Number(std::int64_t{disc.codepage});
    json.Key("launcher").String(disc.launcher);
    json.Key("launcherChosenBy").String(disc.chosenBy);
    json.Key("script");
    if (disc.script)
        json.String(disc.script->filename().string());
    else
        json.Null();
    json.Key("game");
    if (disc.game)
        json.String(disc.game->filename().string());
    else
        json.Null();
    json.Key("section").String(disc.baseName);
    json.Key("defaultDir").String(disc.defaultDir);
    json.Key("destination").String(disc.destination);
    json.Key("defaultDestination").Bool(disc.defaultDestination);
    json.Key("productName").String(disc.productName);
    json.Key("titles").BeginObject();
    for (int i = 0; i < 4; ++i) json.Key(kScriptTitleKeys[i]).String(disc.titles[i]);
    json.EndObject();
    WritePictureJson(disc, &json);
    std::uint64_t requiredBytes = 0;
    WriteGroupsJson(disc, &json, &requiredBytes);
    json.Key("requiredMegabytes").Raw(Megabytes(requiredBytes));
    json.Key("totalMegabytes").Raw(Megabytes(disc.TotalBytes()));
    WriteFindingsJson(disc, &json);
    json.Key("ok").Bool(!FindingsFail(disc, strict));
    json.EndObject();
    std::fputs(json.Text().c_str(), stdout);
}

}  // namespace

int RunDiscCheck(const Invocation& invocation) {
    Disc disc;
    if (const int status = ReadDiscForCommand(invocation, &disc); status != kExitOk) return status;
    const bool strict = invocation.Has("--strict");
    if (invocation.Has("--json")) {
        PrintJson(disc, strict);
    } else if (invocation.Has("-q")) {
        PrintFindings(disc, stdout);
    } else {
        PrintText(disc);
    }
    return FindingsFail(disc, strict) ? kExitFailed : kExitOk;
}

void PrintFindingCodes(std::FILE* out) {
    std::fprintf(out, "\nFindings:\n");
    for (const FindingKind& kind : kFindingKinds) {
        std::fprintf(out, "  %-23s %-8s %s\n", kind.code, SeverityWord(kind.severity),
                     kind.summary);
    }
}

}  // namespace disctool
