// Memory functions of the imaging toolkit. Every toolkit record and buffer is allocated and
// released through these three, so a whole picture can be traced to one allocator.
#pragma once

#include <cstddef>

// Returns a zero-filled block of count * size bytes, or null when the product overflows or
// memory runs out. A request of 0 bytes yields a valid 1-byte block. Free with TOOLMEM_Free.
void* TOOLMEM_Alloc(std::size_t count, std::size_t size);

// Returns a block of byteCount bytes whose contents are not cleared, or null. A request of
// 0 bytes yields a valid 1-byte block. Free with TOOLMEM_Free.
void* TOOLMEM_AllocRaw(std::size_t byteCount);

// Releases a block from TOOLMEM_Alloc or TOOLMEM_AllocRaw; null is accepted and ignored.
void TOOLMEM_Free(void* block);
