// What check, verify, script and master share about a disc: reading it by the options every
// disc command takes (--launcher, --windows-drive, --codepage), the findings in the form
// compilers use ("DEMO.inf:12: error: ... [code]") and in JSON, and the exit status they give.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "tools/disctool/commands.h"
#include "tools/disctool/disc.h"
#include "tools/disctool/json.h"

namespace disctool {

// The options the disc commands share, each declared once.
extern const Option kLauncherOption;      // --launcher NAME.EXE
extern const Option kWindowsDriveOption;  // --windows-drive X:
extern const Option kCodepageOption;      // --codepage N
extern const Option kStrictOption;        // --strict
extern const Option kJsonOption;          // --json
extern const Option kQuietOption;         // -q

// The version of the JSON reports' layout ("schema"), raised when a member changes meaning or
// goes away; new members may appear without it.
inline constexpr int kReportSchema = 1;

// The --windows-drive and --codepage values of invocation, checked; on a bad value one line on
// standard error and false.
bool ReadDiscOptions(const Invocation& invocation, std::string* windowsDrive, int* codepage);

// Reads the disc folder of operand 0 with the options above. Returns kExitOk, or kExitUsage
// after one line on standard error when an option is malformed or the folder cannot be read
// as a disc (not a folder, no launcher to be chosen).
int ReadDiscForCommand(const Invocation& invocation, Disc* disc);

// Where a finding points: "disc/FOO.inf:12" for a script line, the script for the script as a
// whole, the disc folder when there is no script.
std::string FindingLocation(const Disc& disc, const Finding& finding);

// Prints every finding as "LOCATION: error: MESSAGE [code]" (or "warning:", "note:") on out.
void PrintFindings(const Disc& disc, std::FILE* out);

// The number of findings of one severity.
std::size_t CountFindings(const Disc& disc, Severity severity);

// Whether the findings fail the command: an error, or with strict any warning. Notes never do.
bool FindingsFail(const Disc& disc, bool strict);

// Writes the members "errors", "warnings" and "notes": arrays of {code, message, line}.
void WriteFindingsJson(const Disc& disc, JsonWriter* json);

}  // namespace disctool
