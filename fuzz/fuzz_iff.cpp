// Loads the input as an IFF file (ILBM or PBM) through the file layer, as IFF_Load does for a
// picture on a disc: the bytes are put in a file in memory and the loader opens it by path.
#include <cstdint>
#include <cstring>

#include "fuzz/inputfile.h"
#include "fuzz/loadcheck.h"
#include "fuzz/picturecap.h"
#include "toolkit/tooliff.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Any "BMHD" tag may be the header the loader reads; its first two fields are the size.
    for (std::size_t i = 0; i + 12 <= size; ++i)
        if (std::memcmp(data + i, "BMHD", 4) == 0) {
            auto be16 = [data](std::size_t at) { return (data[at] << 8) | data[at + 1]; };
            if (!fuzz::SizeAllowed(be16(i + 8), be16(i + 10))) return 0;
        }
    const char* reason = nullptr;
    RawPicture* picture = IFF_Load(fuzz::InputPath(data, size), &reason);
    fuzz::CheckLoad(picture, reason);
    return 0;
}
