// The toolkit's allocator: thin wrappers over the C heap that refuse overflowing requests and
// never hand out a null block for a request of 0 bytes.
#include "toolkit/toolmem.h"

#include <cstdlib>
#include <limits>

void* TOOLMEM_Alloc(std::size_t count, std::size_t size) {
    if (size != 0 && count > std::numeric_limits<std::size_t>::max() / size) {
        return nullptr;
    }
    std::size_t bytes = count * size;
    if (bytes == 0) {
        bytes = 1;
    }
    return std::calloc(bytes, 1);
}

void* TOOLMEM_AllocRaw(std::size_t byteCount) {
    return std::malloc(byteCount == 0 ? 1 : byteCount);
}

void TOOLMEM_Free(void* block) { std::free(block); }
