#include "discverify.h"

#include <sys/stat.h>
#include <sys/vfs.h>

#include <cctype>
#include <cstdio>
#include <map>

#include "disc.h"

namespace disctool {

const Option DiscVerifyOptions[4] = {{"--shared-file", "PATH"},
                                     {"--launcher", "NAME.EXE"},
                                     {"--drive", "X:=DIR"},
                                     {"--windows-drive", "X:"}};

const char* const DiscVerifyRequiredOptions[1] = {"--shared-file"};

namespace {

// A path the launcher builds must fit its path buffers.
constexpr std::size_t PathChars = rules::kPathSize - 1;
// FAT volumes as the host reports them: their write times are kept to two seconds.
constexpr long MsdosMagic = 0x4d44;
// File-time units (100 ns) from the platform's epoch, 1 January 1601, to 1 January 1970.
constexpr std::uint64_t UnixEpochTicks = 116444736000000000;

enum class Outcome { Current, Adopted, Stale, Missing, Unknown };

const char* OutcomeText(Outcome outcome) {
    switch (outcome) {
        case Outcome::Current: return "current";
        case Outcome::Adopted: return "current (would be adopted)";
        case Outcome::Stale: return "stale";
        case Outcome::Missing: return "missing";
        default: return "unknown";
    }
}

using DriveMap = std::map<char, fs::path>;

// The host path of a Windows path "X:\...", or an empty optional when its drive is not
// mapped or it has none. *mapped tells which.
std::optional<fs::path> MapWindowsPath(const DriveMap& drives, const std::string& path, bool* mapped) {
    *mapped = false;
    if (path.size() < 2 || path[1] != ':') return std::nullopt;
    const auto drive = drives.find(static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
    if (drive == drives.end()) return std::nullopt;
    *mapped = true;
    const std::string rest = path.substr(2);
    return FindWithoutCase(drive->second, rest);
}

// The last-write time of a file in file-time units, as Windows keeps it; empty for a folder
// or a file that cannot be read.
std::optional<rules::FileTimes> WriteTimes(const fs::path& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    rules::FileTimes times;
    times.lastWrite = UnixEpochTicks + static_cast<std::uint64_t>(status.st_mtim.tv_sec) * 10000000 +
                      static_cast<std::uint64_t>(status.st_mtim.tv_nsec / 100);
    return times;
}

bool OnFatVolume(const fs::path& path) {
    struct statfs volume {};
    return statfs(path.c_str(), &volume) == 0 && static_cast<long>(volume.f_type) == MsdosMagic;
}

// Whether copy carries the source's last-write time by the launcher's rule.
bool SameWriteTime(const std::optional<fs::path>& source, const fs::path& copy) {
    if (!source) return false;
    const auto a = WriteTimes(*source);
    const auto b = WriteTimes(copy);
    if (!a || !b) return false;
    return rules::IsCopyCurrent(*a, *b, OnFatVolume(copy));
}

struct Verdict {
    Outcome outcome;
    std::string detail;
};

Verdict Judge(const Disc& disc, const IniFile& shared, const DriveMap& drives, const DiscFile& file) {
    if (file.name.empty()) return {Outcome::Missing, "the file has no name"};
    if (file.refused) return {Outcome::Missing, "the launcher refuses the name"};
    std::string recorded;
    if (!file.key.empty()) recorded = INI_GetString(shared, disc.baseName, file.key, PathChars + 1);
    const char* source = file.found ? "" : "; the file is not on the disc";
    bool mapped = false;
    if (recorded.size() > PathChars) {
        return {Outcome::Stale, "the record is longer than a path; the launcher ignores it"};
    }
    if (!recorded.empty()) {
        const std::optional<fs::path> copy = MapWindowsPath(drives, recorded, &mapped);
        if (!mapped) return {Outcome::Unknown, "recorded " + recorded + ", whose drive is not mapped (--drive)"};
        if (copy && SameWriteTime(file.found, *copy)) return {Outcome::Current, recorded};
        return {Outcome::Stale, "recorded " + recorded +
                                    (copy ? " has another last-write time" : " is missing") + source +
                                    "; the launcher would forget the record"};
    }
    const std::string candidate = disc.destination + file.name;
    if (candidate.size() > PathChars) return {Outcome::Missing, "nothing recorded; " + candidate + " is longer than a path"};
    const std::optional<fs::path> copy = MapWindowsPath(drives, candidate, &mapped);
    if (!mapped) return {Outcome::Unknown, "nothing recorded; the drive of " + candidate + " is not mapped (--drive)"};
    if (copy && SameWriteTime(file.found, *copy)) return {Outcome::Adopted, candidate};
    return {Outcome::Missing, "nothing recorded; no current copy at " + candidate + source};
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "disctool: %s\n", message.c_str());
    return ExitUsage;
}

}  // namespace

int RunDiscVerify(const Invocation& invocation) {
    const char* folder = invocation.operands[0];
    const char* sharedPath = invocation.Value("--shared-file");
    DriveMap drives;
    for (const std::string& mapping : invocation.Values("--drive")) {
        if (mapping.size() < 4 || mapping[1] != ':' || mapping[2] != '=' ||
            !std::isalpha(static_cast<unsigned char>(mapping[0]))) {
            return Usage("--drive " + mapping + ": give X:=DIR");
        }
        drives[static_cast<char>(std::toupper(static_cast<unsigned char>(mapping[0])))] = mapping.substr(3);
    }
    std::string windowsDrive;
    if (!CheckWindowsDrive(invocation.Value("--windows-drive"), &windowsDrive)) {
        return Usage("--windows-drive: give a drive letter and colon, like C:");
    }

    Disc disc;
    std::string reason;
    if (!ReadDisc(folder, invocation.Value("--launcher"), windowsDrive, &disc, &reason)) {
        std::fprintf(stderr, "disctool: %s: %s\n", folder, reason.c_str());
        return ExitFailed;
    }
    IniFile shared;
    std::printf("disc: %s\nlauncher: %s (%s)\n", disc.folder.string().c_str(), disc.launcher.c_str(),
                disc.chosenBy.c_str());
    if (std::optional<IniFile> loaded = INI_Load(sharedPath, &reason)) {
        shared = std::move(*loaded);
        std::printf("shared file: %s, section [%s]\n", sharedPath, disc.baseName.c_str());
    } else {
        std::printf("shared file: %s %s; it holds no records\n", sharedPath, reason.c_str());
    }
    std::printf("destination: %s\n", disc.destination.c_str());
    if (!disc.script) std::printf("no install script: nothing is required\n");

    std::size_t notCurrent = 0;
    for (const DiscGroup& group : disc.groups) {
        std::printf("%s %d: %s\n", group.required ? "Required" : "Optional", group.number, group.name.c_str());
        for (const DiscFile& file : group.files) {
            const Verdict verdict = Judge(disc, shared, drives, file);
            const bool current = verdict.outcome == Outcome::Current || verdict.outcome == Outcome::Adopted;
            if (group.required && !current) ++notCurrent;
            std::printf("  %-26s %s [%s]: %s\n", OutcomeText(verdict.outcome), file.name.c_str(),
                        file.key.c_str(), verdict.detail.c_str());
        }
    }
    if (notCurrent == 0) {
        std::printf("result: every required file is current; the launcher starts the game at once\n");
        return ExitOk;
    }
    std::printf("result: %zu required file%s not current; the launcher shows the setup dialog\n", notCurrent,
                notCurrent == 1 ? " is" : "s are");
    return ExitFailed;
}

}  // namespace disctool
