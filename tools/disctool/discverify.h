// disctool verify DISC_FOLDER --shared-file PATH: which listed files the launcher would count
// installed and current, stale or missing, without changing anything.
#pragma once

#include "commands.h"

namespace disctool {

extern const Option DiscVerifyOptions[4];
extern const char* const DiscVerifyRequiredOptions[1];

// Prints one line per listed file. Returns ExitOk when every required file is current,
// ExitFailed otherwise (also when the disc folder or launcher cannot be read), ExitUsage
// with a malformed --drive or --windows-drive.
int RunDiscVerify(const Invocation& invocation);

}  // namespace disctool
