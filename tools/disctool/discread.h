// The reading of a disc folder (disc.cpp), split in three: the folder, the launcher and the
// script's [General] and [StartupOptions] (disc.cpp), the component sections with their files
// (discsection.cpp), and the passes over what was read that add the findings about the disc
// as a whole (discpasses.cpp). What the three share is declared here; nothing outside them
// includes it. They state the facts of each finding; its words come from findingwords.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "rules/install_rules.h"
#include "tools/disctool/disc.h"
#include "tools/disctool/findingwords.h"
#include "tools/disctool/inifile.h"

namespace disctool::discread {

// Characters that the launcher's buffers for install-script values hold, less the terminator
// (paths: kScriptPathChars, disc.h).
inline constexpr std::size_t kScriptTitleChars =
    rules::kScriptTextSize - 1;  // titles, instructions
inline constexpr std::size_t kScriptValueChars = rules::kScriptValueSize - 1;  // component values

// Characters of one name component that the image's Joliet tree holds (with long Joliet
// names, which master asks for).
inline constexpr std::size_t kJolietNameChars = 103;

// A file name the way two listings of one file compare: without case, one kind of separator.
std::string NormalName(const std::string& name);

void Add(Disc* disc, FindingCode code, const std::string& message, int line = 0);

// The script line of the first entry of key in section, or 0 when there is none.
int LineOf(const IniFile& script, const std::string& section, const std::string& key);

// The file-count key of a group ("PC-Group<group>FileCount").
std::string FileCountKey(std::int64_t group);

// Reads the groups of one section (0: Required, 1: Optional) by the launcher's walk, with the
// findings about what it reads, and warns about its entries the launcher never reads.
void ReadSection(const IniFile& script, int sectionIndex, Disc* disc);

// The passes over the script as read: text that systems read differently.
void WarnOfUtf8(const IniFile& script, Disc* disc);
void ReportIssues(const IniFile& script, Disc* disc);
void WarnOfRepeatedSections(const IniFile& script, Disc* disc);

// The passes over the disc as read: its names, keys and size.
void WarnOfInstallerName(Disc* disc);
void CheckSectionName(Disc* disc);
void WarnOfSlowStart(Disc* disc);
void CheckRepeatedNames(Disc* disc);
void CheckKeys(Disc* disc);

}  // namespace disctool::discread
