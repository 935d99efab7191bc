// disctool picture convert IN OUT: a picture decoded as the launcher does, written as an
// indexed PNG or a binary PPM.
#pragma once

#include "tools/disctool/commands.h"

namespace disctool {

// Null when OUT (operands[1]) names an output format by its extension, else the message.
const char* CheckPictureConvert(Operands operands);
// Converts operands[0] to operands[1]. Returns kExitOk, or kExitFailed (one line on standard
// error, OUT left as it was) when IN cannot be loaded or OUT cannot be written.
int RunPictureConvert(const Invocation& invocation);

}  // namespace disctool
