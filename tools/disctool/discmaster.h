// disctool master DISC_FOLDER IMAGE.iso: an ISO 9660 image of the disc folder with Joliet
// names, made by xorriso, in which every file keeps its last-write time (to the second, as
// ISO 9660 keeps it), so that installs from the pressed disc stay current. The disc is
// checked first, and an error stops it.
#pragma once

#include "tools/disctool/commands.h"

namespace disctool {

extern const OptionUse kDiscMasterOptions[5];

// Prints the check's findings, then writes IMAGE.iso whole or not at all. Returns kExitOk,
// kExitFailed when the check finds an error (with --strict: a warning), xorriso fails or is
// missing, or the image's Joliet tree read back differs from the disc folder; kExitUsage for a malformed option or a folder that is no disc.
int RunDiscMaster(const Invocation& invocation);

}  // namespace disctool
