// disctool picture encode [--transparent INDEX] IN... OUT.wiz: WIZ pictures from indexed
// PNG, PPM/PGM, PCX or IFF files.
#pragma once

#include "tools/disctool/commands.h"

namespace disctool {

// The options of the command.
extern const OptionUse kPictureEncodeOptions[1];

// Null when the last operand names a .wiz file, else the message.
const char* CheckPictureEncode(Operands operands);
// Encodes operands[0 .. n-1) into operands[n-1]. Returns kExitOk, or kExitFailed (one line on
// standard error, no output file) when an input cannot be read or has more than 256
// colours, an index is out of range, or the pictures do not fit a WIZ file.
int RunPictureEncode(const Invocation& invocation);

}  // namespace disctool
