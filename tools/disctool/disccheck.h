// disctool check DISC_FOLDER: everything the launcher will see on a product disc folder.
#pragma once

#include <cstdio>

#include "tools/disctool/commands.h"

namespace disctool {

extern const OptionUse kDiscCheckOptions[6];

// Prints the report (text, JSON with --json, only the findings with -q) on standard output.
// Returns kExitOk when the disc has no error (with --strict: no warning either), else
// kExitFailed; a malformed option or a folder or launcher that cannot be chosen gives one line
// on standard error and kExitUsage.
int RunDiscCheck(const Invocation& invocation);

// Prints every finding's code, weight and meaning, one a line, for check's --help.
void PrintFindingCodes(std::FILE* out);

}  // namespace disctool
