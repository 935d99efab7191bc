#include "tools/disctool/discverify.h"

#include <sys/stat.h>
#include <sys/vfs.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <ctime>
#include <fstream>
#include <cstdio>
#include <map>
#include <vector>

#include "tools/disctool/codepage.h"
#include "tools/disctool/disc.h"
#include "tools/disctool/discremoval.h"
#include "tools/disctool/discreport.h"
#include "tools/disctool/json.h"
#include "tools/disctool/text.h"

namespace disctool {

namespace {

const Option kSharedFileOption = {"--shared-file", "PATH",
                                  "the shared file tivoroo.ini to read (it is only read)"};
const Option kDriveOption = {"--drive", "X:=DIR",
                             "where Windows drive X: lies on this machine, for recorded paths\n"
                             "and the destination; may be given for several drives",
                             true};

}  // namespace

const OptionUse kDiscVerifyOptions[8] = {
    {&kSharedFileOption, nullptr, true},
    {&kLauncherOption},
    {&kDriveOption},
    {&kJsonOption},
    {&kQuietOption, "print only the files that are not current"},
    {&kStrictOption, "optional files that are not current fail it too"},
    {&kCodepageOption,
     "the ANSI code page of the script and the shared file (1250, 1251,\n"
     "1252, 1253, 1254, 1257; default 1252)"},
    {&kWindowsDriveOption}};

namespace {

// FAT volumes as the host reports them: their write times are kept to two seconds.
constexpr long kMsdosMagic = 0x4d44;
constexpr long kExFatMagic = 0x2011BAB0;
// File-time units (100 ns) from the platform's epoch, 1 January 1601, to 1 January 1970.
constexpr std::uint64_t kUnixEpochTicks = 116444736000000000;

enum class Outcome { Current, Adopted, Stale, Missing, Unknown };

// The word for an outcome in the JSON report.
const char* OutcomeWord(Outcome outcome) {
    switch (outcome) {
        case Outcome::Current:
            return "current";
        case Outcome::Adopted:
            return "adopted";
        case Outcome::Stale:
            return "stale";
        case Outcome::Missing:
            return "missing";
        default:
            return "unknown";
    }
}

// The words for an outcome in the text report: the JSON word, with adoption spelled out.
const char* OutcomeText(Outcome outcome) {
    return outcome == Outcome::Adopted ? "current (would be adopted)" : OutcomeWord(outcome);
}

using DriveMap = std::map<char, fs::path>;

// The host path of a Windows path "X:\...", or an empty optional when its drive is not
// mapped or it has none. *mapped tells which.
std::optional<fs::path> MapWindowsPath(const DriveMap& drives, const std::string& path,
                                       bool* mapped) {
    *mapped = false;
    if (path.size() < 2 || path[1] != ':') return std::nullopt;
    const auto drive =
        drives.find(static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
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
    times.lastWrite = kUnixEpochTicks +
                      static_cast<std::uint64_t>(status.st_mtim.tv_sec) * 10000000 +
                      static_cast<std::uint64_t>(status.st_mtim.tv_nsec / 100);
    return times;
}

// The write-time tolerance of the volume that holds path, by the launcher's rule for the file
// system's name.
std::uint64_t VolumeTimeTolerance(const fs::path& path) {
    struct statfs volume {};
    if (statfs(path.c_str(), &volume) != 0) return 0;
    const long type = static_cast<long>(volume.f_type);
    return rules::CoarseTimeTolerance(type == kMsdosMagic   ? "FAT"
                                      : type == kExFatMagic ? "exFAT"
                                                            : "");
}

// Whether copy carries the source's last-write time by the launcher's rule. A pressed disc
// (ISO 9660) keeps whole seconds, so a source folder with fractions and a copy installed from
// the pressed disc, or the other way round, differ by the fraction alone: where either time is
// a whole second, both are compared in whole seconds (then with the copy's volume tolerance).
bool SameWriteTime(const std::optional<fs::path>& source, const fs::path& copy) {
    if (!source) return false;
    auto a = WriteTimes(*source);
    auto b = WriteTimes(copy);
    if (!a || !b) return false;
    constexpr std::uint64_t kSecond = 10000000;
    if (a->lastWrite % kSecond == 0 || b->lastWrite % kSecond == 0) {
        a->lastWrite -= a->lastWrite % kSecond;
        b->lastWrite -= b->lastWrite % kSecond;
    }
    return rules::IsCopyCurrent(*a, *b, VolumeTimeTolerance(copy));
}

struct Verdict {
    Outcome outcome;
    std::string detail;
    Removal removal = Removal::kNoRecord;
    const char* reason = "";  // the stable word for why, in the JSON report
};

// A file's last-write time as "YYYY-MM-DD HH:MM:SS UTC", or "?".
std::string WriteTimeText(const fs::path& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return "?";
    const time_t time = status.st_mtim.tv_sec;
    struct tm parts {};
    char text[64] = "?";
    if (gmtime_r(&time, &parts) != nullptr)
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
    return text;
}

// Whether two files hold the same bytes (false when either cannot be read).
bool SameBytes(const fs::path& a, const fs::path& b) {
    std::error_code error;
    if (fs::file_size(a, error) != fs::file_size(b, error) || error) return false;
    std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
    if (!first || !second) return false;
    std::vector<char> one(1 << 16), two(1 << 16);
    while (first && second) {
        first.read(one.data(), static_cast<std::streamsize>(one.size()));
        second.read(two.data(), static_cast<std::streamsize>(two.size()));
        if (first.gcount() != second.gcount() ||
            !std::equal(one.begin(), one.begin() + first.gcount(), two.begin()))
            return false;
    }
    return first.eof() && second.eof();
}

// What verify reads: the disc, the records of the shared file and where the drives lie.
struct VerifyInput {
    Disc disc;
    IniFile shared;
    fs::path sharedFile;  // absolute, as the report names it
    DriveMap drives;
    SourceFiles sources;  // set once the disc is read
};

// The verdict on a recorded copy whose last-write time is not its source's: touched (the same
// bytes) or changed (other bytes), with both times.
Verdict StaleCopy(const std::optional<fs::path>& source, const fs::path& copy,
                  const std::string& recorded, Removal removal) {
    const std::string times = " (the copy " + WriteTimeText(copy) + ", the disc " +
                              (source ? WriteTimeText(*source) : std::string("?")) + ")";
    const char* const forget = "; the launcher would forget the record";
    if (!source) {
        return {Outcome::Stale, "recorded " + recorded + "; the file is not on the disc" + forget,
                removal, "source-missing"};
    }
    if (SameBytes(*source, copy)) {
        return {Outcome::Stale,
                "recorded " + recorded + " has the disc's bytes but another last-write time" +
                    times + ": touched since installed" + forget,
                removal, "touched"};
    }
    return {Outcome::Stale,
            "recorded " + recorded + " has other bytes and another last-write time" + times +
                ": changed since installed" + forget,
            removal, "changed"};
}

// The verdict on a file whose key holds a value: the record of a copy by the launcher's rule
// (IsRecordOfCopy), judged by the copy it names, or a value that names no copy.
Verdict JudgeRecord(const VerifyInput& input, const DiscFile& file, const std::string& value) {
    std::string recorded;
    if (!IsRecordOfCopy(value, &recorded)) {
        return {Outcome::Stale,
                "the value " + value +
                    " is no full path as the launcher writes one and names no copy; the "
                    "launcher would forget it",
                Removal::kNotARecord, "not-a-record"};
    }
    bool mapped = false;
    const std::optional<fs::path> copy = MapWindowsPath(input.drives, recorded, &mapped);
    if (!mapped)
        return {Outcome::Unknown, "recorded " + recorded + ", whose drive is not mapped (--drive)",
                Removal::kUnknown, "drive-not-mapped"};
    const bool unchanged = copy && SameWriteTime(file.found, *copy);
    const Removal removal = RemovalOfCopy(file.name, recorded, copy, unchanged, input.sources);
    if (unchanged) return {Outcome::Current, recorded, removal, "current"};
    if (copy) return StaleCopy(file.found, *copy, recorded, removal);
    return {Outcome::Stale,
            "recorded " + recorded + " is missing" +
                (file.found ? "" : "; the file is not on the disc") +
                "; the launcher would forget the record",
            removal, "copy-missing"};
}

Verdict Judge(const VerifyInput& input, const DiscFile& file) {
    const Disc& disc = input.disc;
    if (file.name.empty())
        return {Outcome::Missing, "the file has no name", Removal::kNoRecord, "no-name"};
    if (file.refused)
        return {Outcome::Missing, "the launcher refuses the name", Removal::kNoRecord,
                "refused-name"};
    // The shared file holds code-page bytes: its section and key names are looked up as such.
    std::string section, key;
    if (!EncodeAnsi(disc.baseName, disc.codepage, &section) ||
        !EncodeAnsi(file.key, disc.codepage, &key)) {
        return {Outcome::Unknown,
                "the section or key has a character code page " + std::to_string(disc.codepage) +
                    " lacks",
                Removal::kNoRecord, "not-in-codepage"};
    }
    // A key or section the shared file cannot hold is never read: only the destination counts.
    const bool recordable = rules::IsSafeSectionName(section) && rules::IsSafeRecordKey(key);
    if (recordable) {
        // Read as the launcher reads a recorded path: a value longer than a path is refused.
        const std::optional<std::string> value =
            ini::GetUncut(input.shared, section, key, kScriptPathChars);
        if (!value)
            return {Outcome::Stale, "the record is longer than a path; the launcher ignores it",
                    Removal::kRecordTooLong, "record-too-long"};
        if (!value->empty()) return JudgeRecord(input, file, *value);
    }
    const Removal none = recordable ? Removal::kNoRecord : Removal::kUnsafeKey;
    const std::string candidate = disc.destination + file.name;
    if (candidate.size() > kScriptPathChars)
        return {Outcome::Missing, "nothing recorded; " + candidate + " is longer than a path", none,
                "path-too-long"};
    bool mapped = false;
    const std::optional<fs::path> copy = MapWindowsPath(input.drives, candidate, &mapped);
    if (!mapped)
        return {Outcome::Unknown,
                "nothing recorded; the drive of " + candidate + " is not mapped (--drive)", none,
                "drive-not-mapped"};
    if (copy && SameWriteTime(file.found, *copy))
        return {Outcome::Adopted, candidate, none, "adopted"};
    return {Outcome::Missing,
            "nothing recorded; no current copy at " + candidate +
                (file.found ? "" : "; the file is not on the disc"),
            none, "not-installed"};
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "disctool: %s\n", message.c_str());
    return kExitUsage;
}

// Whether path lies directly in a folder named "Windows": the file a launcher run by an
// administrator, or on a system without user account control, reads and writes.
bool InWindowsFolder(const fs::path& path) {
    return SameNoCase(path.parent_path().filename().string(), "windows");
}

struct Judged {
    const DiscGroup* group;
    const DiscFile* file;
    Verdict verdict;
    bool current;
};

constexpr Outcome kOutcomes[] = {Outcome::Current, Outcome::Adopted, Outcome::Stale,
                                 Outcome::Missing, Outcome::Unknown};

// How many files had each outcome, in kOutcomes' order.
std::array<std::size_t, 5> CountOutcomes(const std::vector<Judged>& judged) {
    std::array<std::size_t, 5> counts{};
    for (const Judged& entry : judged) ++counts[static_cast<std::size_t>(entry.verdict.outcome)];
    return counts;
}

void PrintJson(const Disc& disc, const fs::path& sharedFile, const std::vector<Judged>& judged,
               std::size_t notCurrent, bool strict, bool failed) {
    JsonWriter json;
    json.BeginObject();
    json.Key("schema").Number(std::int64_t{kReportSchema});
    json.Key("disc").String(disc.folder.string());
    json.Key("launcher").String(disc.launcher);
    json.Key("section").String(disc.baseName);
    json.Key("sharedFile").String(sharedFile.string());
    json.Key("destination").String(disc.destination);
    json.Key("files").BeginArray();
    for (const Judged& entry : judged) {
        json.BeginObject();
        json.Key("section").String(SectionName(*entry.group));
        json.Key("group").Number(std::int64_t{entry.group->number});
        json.Key("number").Number(std::int64_t{entry.file->number});
        json.Key("name").String(entry.file->name);
        json.Key("key").String(entry.file->key);
        json.Key("outcome").String(OutcomeWord(entry.verdict.outcome));
        json.Key("current").Bool(entry.current);
        json.Key("reason").String(entry.verdict.reason);
        json.Key("detail").String(entry.verdict.detail);
        json.Key("removal").String(RemovalWord(entry.verdict.removal));
        json.Key("removalReason").String(RemovalReason(entry.verdict.removal));
        json.EndObject();
    }
    json.EndArray();
    json.Key("counts").BeginObject();
    const std::array<std::size_t, 5> counts = CountOutcomes(judged);
    for (const Outcome outcome : kOutcomes)
        json.Key(OutcomeWord(outcome))
            .Number(std::uint64_t{counts[static_cast<std::size_t>(outcome)]});
    json.EndObject();
    json.Key("requiredNotCurrent").Number(std::uint64_t{notCurrent});
    json.Key("strict").Bool(strict);
    json.Key("ok").Bool(!failed);
    json.EndObject();
    std::fputs(json.Text().c_str(), stdout);
}

// What verify judges: a verdict for every listed file and what fails the command.
struct Judgement {
    std::vector<Judged> judged;
    std::size_t notCurrent = 0;  // required files
    std::size_t optionalNotCurrent = 0;
    bool failed = false;
};

// The --drive mappings; kExitOk, or kExitUsage after one line on standard error.
int ReadDrives(const Invocation& invocation, DriveMap* drives) {
    for (const std::string& mapping : invocation.Values("--drive")) {
        if (mapping.size() < 4 || mapping[1] != ':' || mapping[2] != '=' ||
            !std::isalpha(static_cast<unsigned char>(mapping[0]))) {
            return Usage("--drive " + mapping + ": give X:=DIR");
        }
        (*drives)[static_cast<char>(std::toupper(static_cast<unsigned char>(mapping[0])))] =
            mapping.substr(3);
    }
    if (drives->empty()) {
        return Usage(
            "verify needs --drive X:=DIR for where the installed copies lie (the drive of the "
            "destination, e.g. --drive C:=$WINEPREFIX/drive_c); without it no file can be judged");
    }
    return kExitOk;
}

// Reads the drives, the disc and the shared file. A shared file that cannot be read is a
// mistake in the command line (a wrong path, or the file of a machine where nothing was
// installed yet), never "no records".
int ReadVerifyInput(const Invocation& invocation, VerifyInput* input) {
    if (const int status = ReadDrives(invocation, &input->drives); status != kExitOk) return status;
    if (const int status = ReadDiscForCommand(invocation, &input->disc); status != kExitOk)
        return status;
    const char* sharedPath = invocation.Value("--shared-file");
    std::string reason;
    std::error_code error;
    input->sharedFile = fs::absolute(sharedPath, error);
    if (!fs::is_regular_file(sharedPath, error)) {
        return Usage(std::string("--shared-file ") + sharedPath + ": " +
                     (fs::exists(sharedPath, error) ? "not a file" : "no such file"));
    }
    std::optional<IniFile> shared = ini::Load(sharedPath, input->disc.codepage, &reason);
    if (!shared) return Usage(std::string("--shared-file ") + sharedPath + ": " + reason);
    input->shared = std::move(*shared);
    input->shared.codepage = input->disc.codepage;
    input->sources = SourceFiles(input->disc);
    return kExitOk;
}

Judgement JudgeAll(const VerifyInput& input, bool strict) {
    Judgement result;
    for (const DiscGroup& group : input.disc.groups) {
        for (const DiscFile& file : group.files) {
            const Verdict verdict = Judge(input, file);
            const bool current =
                verdict.outcome == Outcome::Current || verdict.outcome == Outcome::Adopted;
            if (!current) ++(group.required ? result.notCurrent : result.optionalNotCurrent);
            result.judged.push_back({&group, &file, verdict, current});
        }
    }
    result.failed = result.notCurrent > 0 || (strict && result.optionalNotCurrent > 0);
    return result;
}

void PrintHeading(const VerifyInput& input) {
    const Disc& disc = input.disc;
    std::printf("disc: %s\nlauncher: %s (%s)\n", disc.folder.string().c_str(),
                disc.launcher.c_str(), disc.chosenBy.c_str());
    std::printf("shared file: %s, section [%s]\n", input.sharedFile.string().c_str(),
                disc.baseName.c_str());
    if (InWindowsFolder(input.sharedFile)) {
        std::printf(
            "note: for a standard user under user account control the launcher's records are in\n"
            "      that user's %%LOCALAPPDATA%%\\VirtualStore\\Windows\\tivoroo.ini instead\n");
    }
    std::printf("destination: %s\n", disc.destination.c_str());
    if (!disc.script) std::printf("no install script: nothing is required\n");
}

// The text report: the heading, a line a file (with -q only the files not current), the
// counts and the result.
void PrintText(const VerifyInput& input, const Judgement& judgement, bool quiet) {
    if (!quiet) PrintHeading(input);
    const DiscGroup* shownGroup = nullptr;
    for (const Judged& entry : judgement.judged) {
        if (quiet && entry.current) continue;
        if (!quiet && entry.group != shownGroup) {
            std::printf("%s %d: %s\n", SectionName(*entry.group), entry.group->number,
                        entry.group->name.c_str());
            shownGroup = entry.group;
        }
        std::printf("  %-26s %s [%s]: %s; %s\n", OutcomeText(entry.verdict.outcome),
                    entry.file->name.c_str(), entry.file->key.c_str(), entry.verdict.detail.c_str(),
                    RemovalText(entry.verdict.removal));
    }
    if (quiet) return;
    const std::array<std::size_t, 5> counts = CountOutcomes(judgement.judged);
    std::printf("files: %zu", judgement.judged.size());
    for (const Outcome outcome : kOutcomes)
        std::printf(", %zu %s", counts[static_cast<std::size_t>(outcome)], OutcomeWord(outcome));
    std::printf("\n");
    if (judgement.notCurrent == 0) {
        std::printf(
            "result: every required file is current; the launcher starts the game at once\n");
    } else {
        std::printf(
            "result: %zu required file%s not current; the launcher shows the setup dialog\n",
            judgement.notCurrent, judgement.notCurrent == 1 ? " is" : "s are");
    }
}

}  // namespace

// Read, judge, print: each a step of its own.
int RunDiscVerify(const Invocation& invocation) {
    VerifyInput input;
    if (const int status = ReadVerifyInput(invocation, &input); status != kExitOk) return status;
    const bool strict = invocation.Has("--strict");
    const Judgement judgement = JudgeAll(input, strict);
    if (invocation.Has("--json")) {
        PrintJson(input.disc, input.sharedFile, judgement.judged, judgement.notCurrent, strict,
                  judgement.failed);
    } else {
        PrintText(input, judgement, invocation.Has("-q"));
    }
    return judgement.failed ? kExitFailed : kExitOk;
}

}  // namespace disctool
