// Reading pictures to encode: indexed or true-colour PNG (libpng), PPM and PGM (binary and
// plain), and the toolkit's own loaders for WIZ, PCX and IFF. True-colour pictures must
// have at most 256 colours; they are numbered in order of first appearance (top-left first).
#pragma once

#include <string>

#include "tools/disctool/wizencode.h"

namespace disctool {

// Reads the picture at path into *picture. Returns an empty string, or why it could not.
std::string ReadIndexedPicture(const char* path, IndexedPicture* picture);

}  // namespace disctool
