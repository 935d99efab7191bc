// What the launcher will see on a product disc folder: which launcher and install script,
// the proposed destination, the start-up picture and the component groups with their files,
// read by the launcher's own rules, and every finding an author should hear about.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/disctool/codepage.h"
#include "tools/disctool/findings.h"
#include "tools/disctool/inifile.h"
#include "rules/install_rules.h"

namespace disctool {

namespace fs = std::filesystem;

// Characters of a path the launcher builds (a file's name, DefaultDir, Bitmap, a recorded
// copy), less the terminator.
inline constexpr std::size_t kScriptPathChars = rules::kPathSize - 1;

struct Finding {
    FindingCode code;
    std::string message;  // one line for the author
    int line = 0;         // the install script's line it is about; 0 for the script or disc

    Severity severity() const { return KindOf(code).severity; }
};

struct DiscFile {
    int number = 0;                 // 1-based within its group
    std::string name;               // relative path as the launcher reads it
    std::string key;                // record key in the shared file
    bool refused = false;           // a name the launcher will not use (rules::IsSafeRelativeName)
    std::optional<fs::path> found;  // the file on the disc folder, matched without case
    std::uint64_t size = 0;         // bytes, when found
    int line = 0;                   // script line of its name (else its key); 0 when neither
};

struct DiscGroup {
    bool required = false;  // from "Required", else "Optional"
    int number = 0;         // 1-based within its section
    std::string name;       // as the check-list shows it (" (required)" appended)
    std::string description;
    std::int32_t fileCount = 0;   // as read
    std::vector<DiscFile> files;  // the files the launcher reads
    std::uint64_t bytes = 0;      // sizes of the files found, each listing counted
    int line = 0;                 // script line of its name (else its file count); 0 when neither
};

struct Disc {
    int codepage =
        kDefaultCodepage;  // the ANSI code page script text is read in; set before ReadDisc
    fs::path folder;
    std::string launcher;  // file name of the launcher ("FOO.EXE", or "FOO" from the script)
    std::string chosenBy;  // how the launcher was chosen
    std::string baseName;  // the section name in the shared file
    std::optional<fs::path> script;
    std::optional<fs::path> game;
    std::string defaultDir;           // General/DefaultDir as read
    std::string destination;          // the proposed destination folder (trailing backslash)
    bool defaultDestination = false;  // destination from the default rule
    std::string productName;          // General/ProductName as read; empty when missing
    std::string titles[4];            // BasDlgTitle, AdvDlgTitle, BasInstruct, AdvInstruct
    std::string bitmap;               // StartupOptions/Bitmap as read
    std::optional<fs::path> bitmapFile;
    int bitmapWidth = 0, bitmapHeight = 0;  // when it loads
    std::int32_t groupCount[2] = {0, 0};    // Required, Optional, as read
    std::vector<DiscGroup> groups;          // Required groups, then Optional
    std::vector<Finding> findings;

    bool HasErrors() const;
    std::uint64_t TotalBytes() const;
};

// The names of the four title and instruction keys of section "General", in Disc::titles order.
extern const char* const kScriptTitleKeys[4];

// The section a group is listed in: "Required" or "Optional".
const char* SectionName(const DiscGroup& group);

// The file or folder at the Windows relative name below folder, each component matched
// without regard to case (an exact match preferred), backslash or slash between them.
std::optional<fs::path> FindWithoutCase(const fs::path& folder, const std::string& name);

// The proposed destination for DefaultDir by the launcher's rule (rules::UsesDefaultDir), or
// the default folder windowsDrive\Tivoroo\BASE\ (*isDefault set).
std::string ProposedDestination(const std::string& defaultDir, const std::string& windowsDrive,
                                const std::string& baseName, bool* isDefault);

// Reads the disc folder. launcherOption is the --launcher value or null. Returns false, with
// *reason set, only when no launcher can be chosen; everything else becomes a finding.
bool ReadDisc(const fs::path& folder, const char* launcherOption, const std::string& windowsDrive,
              Disc* disc, std::string* reason);

// The word of a program's name that makes Windows take it for an installer and ask for
// administrator rights at every start ("install", "setup", "update", "patch", "upgrade",
// without regard to case), or null.
const char* InstallerWord(const std::string& name);

// Whether text (null: the default "C:") is a drive letter with its colon; sets *drive.
bool CheckWindowsDrive(const char* text, std::string* drive);

// Megabytes as the setup dialog shows them: bytes / 1048576 in single precision, "%.1f".
std::string Megabytes(std::uint64_t bytes);

}  // namespace disctool
