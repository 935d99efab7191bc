#include "tools/disctool/discnew.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "rules/install_rules.h"
#include "tools/disctool/disc.h"
#include "tools/disctool/picwrite.h"

namespace disctool {

namespace {

const Option kFromOption = {
    "--from", "LAUNCHER.EXE",
    "the launcher to copy (default: launcher.exe beside disctool, else the one the\n"
    "win32, win32-release, win64 or win64-release build tree beside disctool's holds)"};

}  // namespace

const OptionUse kDiscNewOptions[1] = {{&kFromOption}};

namespace {

// The longest product name new takes: a launcher's base name, kept short for the shared
// file's section and the folders made of it.
constexpr std::size_t kMaxNameChars = 32;

// Why name cannot be a product's base name, or empty: ASCII letters, digits, '_' and '-'
// only (the same bytes in every code page), and no word that makes Windows ask for
// administrator rights.
std::string RefusedName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameChars)
        return "a name of 1 to " + std::to_string(kMaxNameChars) + " characters";
    for (const char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!plain) return "only ASCII letters, digits, \"_\" and \"-\"";
    }
    if (const char* word = InstallerWord(name); word != nullptr) {
        return std::string("no \"") + word +
               "\": Windows would take the launcher for an installer and ask for administrator "
               "rights at every start";
    }
    return {};
}

// disctool's own folder, from /proc/self/exe; empty when it cannot be read.
fs::path OwnFolder() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : self.parent_path();
}

// The launcher to copy: --from, else the first launcher.exe found where the build trees put it.
std::optional<fs::path> FindLauncher(const Invocation& invocation) {
    std::error_code error;
    if (invocation.Has("--from")) {
        const fs::path given = invocation.Value("--from");
        return fs::is_regular_file(given, error) ? std::optional<fs::path>(given) : std::nullopt;
    }
    const fs::path own = OwnFolder();
    if (own.empty()) return std::nullopt;
    std::vector<fs::path> candidates = {own / "launcher.exe"};
    for (const char* tree : {"win32", "win32-release", "win64", "win64-release"})
        candidates.push_back(own.parent_path().parent_path() / tree / "launcher" / "launcher.exe");
    for (const fs::path& candidate : candidates) {
        if (fs::is_regular_file(candidate, error)) return candidate;
    }
    return std::nullopt;
}

// The install script's text: CR LF line ends and ASCII only, so the same bytes in every code
// page the launcher reads.
std::string ScriptText(const std::string& name) {
    const std::vector<std::string> lines = {
        "; " + name + "'s install script, read by " + name +
            ".EXE in the ANSI code page (Windows-1252 here).",
        "; Its [Required] and [Optional] sections are written by \"disctool script\" from " + name +
            ".groups.",
        std::string("[") + rules::kGeneralSection + "]",
        std::string(rules::kProductNameKey) + "=" + name,
        "; " + std::string(rules::kDefaultDirKey) + "=C:\\Games\\" + name +
            "   (without it the launcher proposes C:\\" + rules::kDefaultInstallRoot + "\\" + name +
            "\\)",
        std::string(rules::kBasicTitleKey) + "=" + name + " Setup",
        std::string(rules::kAdvancedTitleKey) + "=" + name + " Setup",
        std::string(rules::kBasicInstructionKey) + "=" + name +
            " is not installed yet. Choose OK to install it.",
        std::string(rules::kAdvancedInstructionKey) +
            "=Choose the parts to install and the folder to install them in.",
        std::string("[") + rules::kStartupSection + "]",
        "; " + std::string(rules::kBitmapKey) +
            "=START.WIZ   (a start-up picture shown before the game; disctool picture encode)",
        std::string(rules::kBitmapKey) + "=",
    };
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::string GroupsText(const std::string& name, const std::string& folder) {
    return "; The groups of " + name +
           "'s setup, one statement a line (\"disctool script --help\" tells all).\n"
           "; Write the install script's groups from it with\n"
           ";   disctool script " +
           name + ".groups " + folder + "/" + name +
           ".inf\n"
           ";\n"
           ";   required NAME     a group always installed (its row in the setup dialog)\n"
           ";   optional NAME     a group the player may leave out\n"
           ";   desc TEXT         the group's description\n"
           ";   file PATH         files under the disc folder: * and ? within a name,\n"
           ";                     DIR\\** for every file below DIR\n"
           ";   file PATH = KEY   the record key of one file (default: made of its name)\n"
           "\n"
           "required Game data\n"
           "  desc The files the game needs on the hard disk.\n"
           "  file DATA\\**\n";
}

bool CopyFile(const fs::path& from, const fs::path& to, std::string* why) {
    std::ifstream in(from, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    if (!in && !in.eof()) {
        *why = from.string() + ": cannot be read";
        return false;
    }
    *why = WriteFileBytes(to.c_str(), bytes);
    if (!why->empty()) *why = to.string() + ": " + *why;
    return why->empty();
}

bool WriteText(const fs::path& path, const std::string& text, std::string* why) {
    *why = WriteFileBytes(path.c_str(), std::vector<std::uint8_t>(text.begin(), text.end()));
    if (!why->empty()) *why = path.string() + ": " + *why;
    return why->empty();
}

int Refuse(const std::string& message) {
    std::fprintf(stderr, "disctool: %s\n", message.c_str());
    return kExitUsage;
}

// Why the disc folder and the description beside it cannot be made, or empty.
std::string RefusedPlaces(const fs::path& folder, const fs::path& groups) {
    std::error_code error;
    if (fs::exists(folder, error) &&
        (!fs::is_directory(folder, error) || !fs::is_empty(folder, error)))
        return folder.string() + ": exists and is not an empty folder; new starts a disc afresh";
    if (fs::exists(groups, error))
        return groups.string() + ": exists; new writes no file over another";
    return {};
}

void PrintNextSteps(const std::string& name, const fs::path& folder, const fs::path& groups) {
    const std::string disc = folder.string();
    std::printf(
        "%s: a new disc: %s.EXE (the launcher), %s.inf (the install script)\n"
        "%s: its groups, for disctool script\n"
        "next:\n"
        "  1. put the game in %s/%s.a32 and the files to install below %s/DATA\n"
        "  2. list them in %s and write the script's groups:\n"
        "       disctool script %s %s/%s.inf\n"
        "  3. disctool check %s   until it reports nothing to fix\n"
        "  4. disctool master %s %s.iso\n",
        disc.c_str(), name.c_str(), name.c_str(), groups.string().c_str(), disc.c_str(),
        name.c_str(), disc.c_str(), groups.string().c_str(), groups.string().c_str(), disc.c_str(),
        name.c_str(), disc.c_str(), disc.c_str(), name.c_str());
}

}  // namespace

int RunDiscNew(const Invocation& invocation) {
    const std::string name = invocation.operands[0];
    const fs::path folder = invocation.operands[1];
    if (const std::string why = RefusedName(name); !why.empty())
        return Refuse(name + ": the product's name must be " + why);
    const fs::path groups = folder.parent_path() / (name + ".groups");
    if (const std::string why = RefusedPlaces(folder, groups); !why.empty()) return Refuse(why);
    const std::optional<fs::path> launcher = FindLauncher(invocation);
    if (!launcher) {
        return Refuse(invocation.Has("--from")
                          ? std::string(invocation.Value("--from")) + ": no such file"
                          : "no launcher.exe found beside disctool or in a Windows build tree; "
                            "build one (cmake --preset win32) or give --from LAUNCHER.EXE");
    }
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) return Refuse(folder.string() + ": cannot be made: " + error.message());
    std::string why;
    if (!CopyFile(*launcher, folder / (name + ".EXE"), &why) ||
        !WriteText(folder / (name + ".inf"), ScriptText(name), &why) ||
        !WriteText(groups, GroupsText(name, folder.string()), &why)) {
        std::fprintf(stderr, "disctool: %s\n", why.c_str());
        return kExitFailed;
    }
    PrintNextSteps(name, folder, groups);
    return kExitOk;
}

}  // namespace disctool
