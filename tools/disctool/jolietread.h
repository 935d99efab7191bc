// Reading back the Joliet tree of an ISO 9660 image, the names Windows shows for a pressed
// disc: every file with its name, size and recording time, read from the image's own
// directory records so that master can compare what it pressed with the disc folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace disctool {

struct ImageFile {
    std::string path;        // relative path, components joined by '/', in UTF-8
    std::uint64_t size = 0;  // bytes (the sizes of all its extents)
    std::int64_t writeTime;  // the recording time, seconds since 1970 (UTC); whole seconds
};

// The regular files of the Joliet tree of the image in the open file descriptor (read with
// pread, so the descriptor's position is not used), in directory order. Empty, with *reason
// set, when the image has no Joliet tree or its records do not fit the image. At most
// kMaxImageDepth folder levels are walked, and every folder at most once.
std::optional<std::vector<ImageFile>> ReadJolietTree(int descriptor, std::string* reason);

inline constexpr int kMaxImageDepth = 64;

}  // namespace disctool
