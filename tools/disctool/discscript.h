// disctool script DESCRIPTION SCRIPT.inf: writes the numbered [Required] and [Optional]
// sections of an install script from a short description of its groups, so that nobody
// numbers "PC-Group<g>File<f>..." lines by hand.
//
// The description is text, one statement a line; blank lines and lines starting with ';' or
// '#' are skipped, indentation is free:
//
//   required Game program                      a group of [Required], with its row text
//   optional Introduction film                 a group of [Optional]
//   desc The opening film.                     the group's description
//   file DATA\LEVELS\*.DAT                     files of the group: paths under the disc folder,
//   file MOVIES\INTRO.AVI = IntroFilm          with * and ? inside a name and ** for any
//                                              number of folders; "= KEY" gives the key of a
//                                              path that names one file
#pragma once

#include <string>
#include <vector>

#include "tools/disctool/commands.h"
#include "tools/disctool/disc.h"

namespace disctool {

extern const OptionUse kDiscScriptOptions[3];

// The key disctool gives a file when the description gives none: its relative name with
// letters beyond ASCII spelt in ASCII (U+00DC gives "UE", U+00DF "ss", U+00E9 "e") and every
// run of other characters than ASCII letters and digits made one '_'
// ("DATA\LEVELS\LEVEL1.DAT" gives "DATA_LEVELS_LEVEL1_DAT"). It depends on the name alone,
// so a file keeps its key, and its installed copy its record, whatever else a new disc lists.
std::string DerivedKey(const std::string& name);

// The files under folder whose relative names (components joined by '\') match pattern,
// components compared without regard to ASCII case; sorted by name. '*' matches any run of
// characters within a name, '?' one character, a component "**" any number of folders (as the
// last component: every file below).
std::vector<std::string> MatchFiles(const fs::path& folder, const std::string& pattern);

// Writes the sections; the script's other sections and lines ([General], [StartupOptions],
// comments) are kept as they stand. Returns kExitOk, kExitFailed after "DESCRIPTION:LINE:
// error: ..." lines on standard error when the description does not fit the disc (a pattern
// that matches nothing, a name the code page cannot hold, a limit passed), or kExitUsage when
// an input cannot be read.
int RunDiscScript(const Invocation& invocation);

}  // namespace disctool
