// disctool new NAME FOLDER: a starting disc for a new product, from which a disc maker goes to
// a clean check in minutes: the launcher copied as NAME.EXE, an install script NAME.inf with
// its [General] and [StartupOptions] sections (in the code page and line ends the launcher
// reads), and beside the folder a commented group description NAME.groups for "disctool
// script", with what to do next.
#pragma once

#include "tools/disctool/commands.h"

namespace disctool {

extern const OptionUse kDiscNewOptions[1];

int RunDiscNew(const Invocation& invocation);

}  // namespace disctool
