// disctool check DISC_FOLDER: everything the launcher will see on a product disc folder.
#pragma once

#include "commands.h"

namespace disctool {

extern const Option DiscCheckOptions[3];

// Prints the report (text, or JSON with --json) on standard output. Returns ExitOk when the
// disc has no error, else ExitFailed; a folder or launcher that cannot be chosen gives one
// line on standard error and ExitFailed.
int RunDiscCheck(const Invocation& invocation);

}  // namespace disctool
