// The product's section of the shared file (the installed-products file in the Windows folder,
// one section per launcher base name): the record of each installed copy under its file key,
// and the start-up message's ShowStartupAgain flag. Sections of other products are never
// touched. Written through the platform's profile functions, which create the file and the
// section on the first write.
#pragma once

#include "launcher/product_paths.h"

// Keys that rules::IsSafeRecordKey refuses are never read, written or erased: the shared file
// would not give them back as the same key, and writing one could touch another record or
// start a new section.

// The recorded path of key into dest (kPathSize bytes), empty when nothing is recorded.
// Returns 0 with dest empty when the record is too long for a path (it names no copy of ours)
// or the key is unsafe.
int ReadRecord(const ProductPaths& paths, const char* key, char* dest);
// Records path as the installed copy of key. Returns 1, or 0 when the key is unsafe or the
// shared file could not be written.
int WriteRecord(const ProductPaths& paths, const char* key, const char* path);
// Removes the record of key; nothing for an unsafe key.
void EraseRecord(const ProductPaths& paths, const char* key);

// ShowStartupAgain as an integer, 1 when missing.
int ReadShowStartupAgain(const ProductPaths& paths);
// Writes ShowStartupAgain with "%d".
void WriteShowStartupAgain(const ProductPaths& paths, int showAgain);
