// The command tree of disctool: commands grouped by what they work on, each group one table
// (tools/disctool/commandtree.cpp), under the root whose name is the program's.
#pragma once

#include "tools/disctool/commands.h"

namespace disctool {

extern const Command kRoot;

}  // namespace disctool
