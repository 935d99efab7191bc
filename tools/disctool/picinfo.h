// disctool picture info FILE: what the launcher will see in a picture file.
#pragma once

#include "tools/disctool/commands.h"

namespace disctool {

// Prints the picture's format, size, palette and structure on standard output. Returns
// kExitOk, or kExitFailed (with one line on standard error) when the picture cannot be loaded.
int RunPictureInfo(const Invocation& invocation);

}  // namespace disctool
