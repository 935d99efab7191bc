#include "tools/disctool/discmaster.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "tools/disctool/disc.h"
#include "tools/disctool/discreport.h"
#include "tools/disctool/jolietread.h"
#include "tools/disctool/interrupt.h"
#include "tools/disctool/stagedfile.h"

extern char** environ;

namespace disctool {

namespace {

const Option kVolumeIdOption = {
    "--volume-id", "ID",
    "the volume name (default: the launcher's base name; at most 16 of\n"
    "A-Z, 0-9 and _)"};

}  // namespace

const OptionUse kDiscMasterOptions[5] = {{&kLauncherOption},
                                         {&kVolumeIdOption},
                                         {&kStrictOption, "warnings of the check stop it too"},
                                         {&kCodepageOption},
                                         {&kWindowsDriveOption}};

namespace {

// The volume name: at most 16 characters (what Joliet holds) of A-Z, 0-9 and '_'.
std::string VolumeId(const std::string& given) {
    std::string id;
    for (const char c : given) {
        if (id.size() == 16) break;
        if (c >= 'a' && c <= 'z')
            id += static_cast<char>(c - 'a' + 'A');
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')
            id += c;
        else
            id += '_';
    }
    return id.empty() ? "DISC" : id;
}

// The last-write times of a disc folder's files, from one walk of it.
struct FolderTimes {
    std::size_t withFractions = 0;  // files with fractions of a second, which ISO 9660 cannot keep
    std::int64_t newest = 0;        // the newest file's, in seconds since 1970
};

FolderTimes TimesOf(const fs::path& folder) {
    FolderTimes times;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        struct stat status {};
        if (stat(it->path().c_str(), &status) != 0 || !S_ISREG(status.st_mode)) continue;
        if (status.st_mtim.tv_nsec != 0) ++times.withFractions;
        times.newest = std::max<std::int64_t>(times.newest, status.st_mtim.tv_sec);
    }
    return times;
}

// How a program run to its end ended.
struct RunEnd {
    bool started = false;
    int status = -1;  // its exit status, or -1
    int signal = 0;   // the signal that ended it, or 0
};

// Runs argv (looked up on PATH) with environment, its standard output into the descriptor
// output and its messages read through a pipe into *messages. An interrupt of disctool stops
// it (interrupt.h).
RunEnd Run(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
           int output, std::string* messages) {
    RunEnd end;
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return end;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output, 1);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
    const auto pointers = [](const std::vector<std::string>& texts) {
        std::vector<char*> list;
        for (const std::string& text : texts) list.push_back(const_cast<char*>(text.c_str()));
        list.push_back(nullptr);
        return list;
    };
    std::vector<char*> arguments = pointers(argv);
    std::vector<char*> variables = pointers(environment);
    pid_t pid = 0;
    WatchInterrupts();
    end.started = posix_spawnp(&pid, arguments[0], &actions, nullptr, arguments.data(),
                               variables.data()) == 0;
    if (end.started) StopOnInterrupt(pid);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
        if (got > 0) {
            messages->append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    close(pipeEnds[0]);
    if (end.started) {
        int waited = 0;
        if (waitpid(pid, &waited, 0) == pid) {
            if (WIFEXITED(waited)) end.status = WEXITSTATUS(waited);
            if (WIFSIGNALED(waited)) end.signal = WTERMSIG(waited);
        }
        StopOnInterrupt(0);
    }
    return end;
}

// The time the image's volume dates are set to: SOURCE_DATE_EPOCH when it holds a number of
// seconds since 1970, as reproducible-build tools expect, else the last-write time of the disc
// folder's newest file; so that pressing one folder twice gives the same image byte for byte.
std::int64_t VolumeTime(const FolderTimes& times, bool* fromEpoch) {
    *fromEpoch = true;
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr && *epoch != '\0') {
        char* end = nullptr;
        errno = 0;
        const long long value = std::strtoll(epoch, &end, 10);
        if (*end == '\0' && errno == 0 && value >= 0) return value;
    }
    *fromEpoch = false;
    return times.newest;
}

// disctool's environment with SOURCE_DATE_EPOCH set to seconds, which makes xorriso take its
// volume dates, its volume identifier and the times of what it adds from there.
std::vector<std::string> PressEnvironment(std::int64_t seconds) {
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (std::string(*variable).rfind("SOURCE_DATE_EPOCH=", 0) != 0)
            environment.push_back(*variable);
    }
    environment.push_back("SOURCE_DATE_EPOCH=" + std::to_string(seconds));
    return environment;
}

// A time in seconds since 1970 as "YYYY-MM-DD HH:MM:SS" (UTC).
std::string TimeText(std::int64_t seconds) {
    const time_t time = static_cast<time_t>(seconds);
    struct tm parts {};
    char text[64] = "?";
    if (gmtime_r(&time, &parts) != nullptr)
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

// The files of the disc the launcher reads from it: the launcher, its script and game, the
// start-up picture and every listed file found; each as its path relative to the disc folder,
// once.
std::vector<fs::path> FilesToPress(const Disc& disc) {
    std::vector<fs::path> found;
    if (const auto launcher = FindWithoutCase(disc.folder, disc.launcher))
        found.push_back(*launcher);
    for (const auto& file : {disc.script, disc.game, disc.bitmapFile}) {
        if (file) found.push_back(*file);
    }
    for (const DiscGroup& group : disc.groups) {
        for (const DiscFile& file : group.files) {
            if (file.found && !file.refused) found.push_back(*file.found);
        }
    }
    std::vector<fs::path> relative;
    std::error_code error;
    for (const fs::path& path : found) {
        if (!fs::is_regular_file(path, error)) continue;
        const fs::path name = path.lexically_relative(disc.folder);
        if (std::find(relative.begin(), relative.end(), name) == relative.end())
            relative.push_back(name);
    }
    return relative;
}

// Reads the Joliet tree of the image just written and compares each file the launcher reads
// with the disc folder: present under the same name, the same size, and the same last-write
// time in whole seconds (the image keeps no fractions; a fraction on the disc is cut, as
// installs from the image carry the whole second). Returns the differences, one line each;
// *checked is the number of files compared.
std::vector<std::string> CompareImage(int image, const Disc& disc, std::size_t* checked) {
    std::string why;
    const std::optional<std::vector<ImageFile>> tree = ReadJolietTree(image, &why);
    if (!tree) return {why};
    std::map<std::string, const ImageFile*> pressed;
    for (const ImageFile& file : *tree) pressed.emplace(file.path, &file);
    std::vector<std::string> differences;
    *checked = 0;
    for (const fs::path& name : FilesToPress(disc)) {
        ++*checked;
        const std::string text = name.generic_string();
        struct stat status {};
        if (stat((disc.folder / name).c_str(), &status) != 0) {
            differences.push_back(text + ": cannot be read on the disc");
            continue;
        }
        const auto found = pressed.find(text);
        if (found == pressed.end()) {
            differences.push_back(text + ": not in the image under this name");
            continue;
        }
        const ImageFile& file = *found->second;
        if (file.size != static_cast<std::uint64_t>(status.st_size)) {
            differences.push_back(text + ": " + std::to_string(file.size) +
                                  " bytes in the image, " + std::to_string(status.st_size) +
                                  " on the disc");
        }
        if (file.writeTime != static_cast<std::int64_t>(status.st_mtim.tv_sec)) {
            differences.push_back(text + ": last written " + TimeText(file.writeTime) +
                                  " in the image, " + TimeText(status.st_mtim.tv_sec) +
                                  " on the disc (UTC, whole seconds)");
        }
    }
    return differences;
}

// Why image cannot be written as master writes it, or empty: only a new name or a regular file
// (which is then replaced; *replaces set) may be its output, never a folder, a device or a link.
std::string RefusedOutput(const fs::path& image, bool* replaces) {
    struct stat status {};
    *replaces = false;
    if (lstat(image.c_str(), &status) != 0) return errno == ENOENT ? "" : std::strerror(errno);
    if (S_ISREG(status.st_mode)) {
        *replaces = true;
        return {};
    }
    const char* what = S_ISDIR(status.st_mode)                              ? "a folder"
                       : S_ISLNK(status.st_mode)                            ? "a symbolic link"
                       : S_ISBLK(status.st_mode) || S_ISCHR(status.st_mode) ? "a device"
                                                                            : "not a regular file";
    return std::string("is ") + what + "; master writes only a new file or replaces a regular file";
}

// The disc's check before pressing: its findings printed; false (after saying so) when they
// stop the image.
bool PassesCheck(const Disc& disc, const FolderTimes& times, bool strict) {
    PrintFindings(disc, stdout);
    if (FindingsFail(disc, strict)) {
        std::fprintf(stderr, "disctool: %s: the disc has %s; no image written\n",
                     disc.folder.string().c_str(),
                     CountFindings(disc, Severity::kError) > 0 ? "errors" : "warnings");
        return false;
    }
    if (const std::size_t fractions = times.withFractions; fractions > 0) {
        std::printf(
            "note: %zu file%s last-write times with fractions of a second; the image keeps whole seconds, "
            "and installs from it carry those\n",
            fractions, fractions == 1 ? " has" : "s have");
    }
    return true;
}

// Whether the image would lie inside the disc folder (canonical), which it would then hold.
bool InsideFolder(const fs::path& image, const fs::path& folder) {
    std::error_code error;
    const fs::path where = fs::weakly_canonical(fs::absolute(image, error).parent_path(), error);
    return where == folder || where.string().rfind(folder.string() + "/", 0) == 0;
}

// Runs xorriso on the canonical folder into stream (so that no folder name is ever read as an
// option); false after saying why when it did not press the image.
bool Press(const fs::path& folder, const std::string& volume, std::int64_t volumeTime,
           std::FILE* stream) {
    std::string output;
    const RunEnd pressed = Run({"xorriso", "-as", "mkisofs", "-quiet", "-input-charset", "UTF-8",
                                "-J", "-joliet-long", "-V", volume, "-o", "-", folder.string()},
                               PressEnvironment(volumeTime), fileno(stream), &output);
    if (!pressed.started) {
        std::fprintf(stderr,
                     "disctool: xorriso could not be run; install it (apt-get install xorriso)\n");
    } else if (pressed.signal != 0) {
        std::fprintf(stderr, "%sdisctool: xorriso was killed by signal %d (%s); no image written\n",
                     output.c_str(), pressed.signal, strsignal(pressed.signal));
    } else if (pressed.status != 0) {
        std::fprintf(stderr, "%sdisctool: xorriso failed with exit status %d; no image written\n",
                     output.c_str(), pressed.status);
    }
    return pressed.started && pressed.signal == 0 && pressed.status == 0;
}

// Reads the image just pressed back; false after listing the differences.
bool HoldsTheDisc(std::FILE* stream, const Disc& disc, const fs::path& image,
                  std::size_t* checked) {
    std::fflush(stream);
    const std::vector<std::string> differences = CompareImage(fileno(stream), disc, checked);
    if (differences.empty()) return true;
    std::fprintf(
        stderr,
        "disctool: %s: the image read back does not hold the disc as listed; no image written\n",
        image.string().c_str());
    for (const std::string& line : differences) std::fprintf(stderr, "  %s\n", line.c_str());
    return false;
}

}  // namespace

int RunDiscMaster(const Invocation& invocation) {
    const fs::path image = invocation.operands[1];
    bool replaces = false;
    if (const std::string why = RefusedOutput(image, &replaces); !why.empty()) {
        std::fprintf(stderr, "disctool: %s: %s\n", image.string().c_str(), why.c_str());
        return kExitUsage;
    }
    Disc disc;
    if (const int status = ReadDiscForCommand(invocation, &disc); status != kExitOk) return status;
    const FolderTimes times = TimesOf(disc.folder);
    if (!PassesCheck(disc, times, invocation.Has("--strict"))) return kExitFailed;
    std::error_code error;
    const fs::path folder = fs::weakly_canonical(disc.folder, error);
    if (InsideFolder(image, folder)) {
        std::fprintf(stderr, "disctool: %s: the image cannot lie inside the disc folder\n",
                     image.string().c_str());
        return kExitUsage;
    }
    // xorriso writes the image to its standard output, a new file made exclusively beside the
    // image and renamed over it when complete.
    StagedFile staged(image.string().c_str());
    if (const std::string why = staged.Open(); !why.empty()) {
        std::fprintf(stderr, "disctool: %s: %s\n", image.string().c_str(), why.c_str());
        return kExitFailed;
    }
    const std::string volume =
        VolumeId(invocation.Has("--volume-id") ? invocation.Value("--volume-id") : disc.baseName);
    bool fromEpoch = false;
    const std::int64_t volumeTime = VolumeTime(times, &fromEpoch);
    std::size_t checked = 0;
    if (!Press(folder, volume, volumeTime, staged.Stream()) ||
        !HoldsTheDisc(staged.Stream(), disc, image, &checked))
        return kExitFailed;
    if (const std::string why = staged.Commit(); !why.empty()) {
        std::fprintf(stderr, "disctool: %s: %s\n", image.string().c_str(), why.c_str());
        return kExitFailed;
    }
    std::printf(
        "%s: %svolume %s, Joliet names; read back: %zu file%s with the disc's names, sizes and last-write times (whole seconds)\n",
        image.string().c_str(), replaces ? "replaced; " : "", volume.c_str(), checked,
        checked == 1 ? "" : "s");
    std::printf("volume dates: %s UTC (%s); pressing the same folder again gives the same bytes\n",
                TimeText(volumeTime).c_str(),
                fromEpoch ? "SOURCE_DATE_EPOCH" : "the disc's newest file");
    return kExitOk;
}

}  // namespace disctool
