// Hands fuzz input to loaders that take a path: the bytes are written to one file that
// lives in memory (an anonymous memory file named through /proc/self/fd, or failing that a
// file in /dev/shm or the temporary folder), rewritten for every input.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {

// Returns the path of a file that holds exactly data[0 .. size), valid until the next call.
// Aborts when no such file can be made, since the harness can do nothing useful then.
const char* InputPath(const std::uint8_t* data, std::size_t size);

}  // namespace fuzz
