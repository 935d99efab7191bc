// Loads the input as a PCX file through the file layer, as PCX_Load does for a
// picture on a disc: the bytes are put in a file in memory and the loader opens it by path.
#include <cstddef>
#include <cstdint>

#include "fuzz/inputfile.h"
#include "fuzz/loadcheck.h"
#include "toolkit/pcxloadr.h"
#include "fuzz/picturecap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= 12) {
        auto le16 = [data](std::size_t at) { return data[at] | (data[at + 1] << 8); };
        if (!fuzz::SizeAllowed(le16(8) - le16(4) + 1, le16(10) - le16(6) + 1)) return 0;
    }
    const char* reason = nullptr;
    RawPicture* picture = PCX_Load(fuzz::InputPath(data, size), &reason);
    fuzz::CheckLoad(picture, reason);
    return 0;
}
