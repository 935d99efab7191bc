// disctool verify DISC_FOLDER --shared-file PATH: which listed files the launcher would count
// installed and current, stale or missing, without changing anything.
#pragma once

#include "tools/disctool/commands.h"

namespace disctool {

extern const OptionUse kDiscVerifyOptions[8];

// Prints one line per listed file (with -q only those not current; with --json a JSON
// report). Returns kExitOk when every required file is current (with --strict: every listed
// file), else kExitFailed; kExitUsage with a malformed option, a shared file that cannot be
// read, or a disc folder or launcher that cannot be read.
int RunDiscVerify(const Invocation& invocation);

}  // namespace disctool
