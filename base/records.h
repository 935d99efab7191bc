// The product's section of the shared file (the installed-products file in the Windows folder,
// one section per launcher base name): the record of each installed copy under its file key,
// and the start-up message's ShowStartupAgain flag. Sections of other products are never
// touched. Written through the platform's profile functions, which create the file and the
// section on the first write.
#pragma once

#include "base/product_paths.h"

// Keys that rules::IsSafeRecordKey refuses, and every key of a base name that
// rules::IsSafeSectionName refuses, are never read, written or erased: the shared file would
// not give them back as the same key, and writing one could touch another record or start a
// new section.

// 1 when key of this product can be read, written and erased in the shared file, else 0.
int IsRecordable(const ProductPaths& paths, const char* key);

// The record rule: a value of the shared file is the record of a copy only when it is a full
// drive or network path (rules::IsFullPathShape) that equals its own full-path resolution up
// to ASCII case, slashes for backslashes and trailing dots and spaces (an older build, another
// program or a hand-edited file may spell it "c:\GAMES/X\GAME.DAT."); the copy is then named
// by that resolution. Any other value ("GAME.DAT", "C:GAME.DAT", "\GAME.DAT",
// "C:\A\..\GAME.DAT", "C:\A\\GAME.DAT") would be resolved against the current folder or
// names a file by another path: it is no record, never resolved and never deleted.
// ResolveRecordPath writes the resolution into full (kPathSize bytes) and returns 1 for a
// record, else 0 with full empty; IsRecordPath says only whether value is one.
int ResolveRecordPath(const char* value, char* full);
int IsRecordPath(const char* value);

// What ReadRecord found.
enum RecordRead {
    kRecordRefused = 0,  // the key is unsafe, or the value is too long for a path: left as it is
    kRecordRead = 1,     // dest holds the recorded copy's path (its resolution), or is empty:
                         // nothing recorded
    kRecordNoCopy = 2,   // a value that is no record (IsRecordPath): names no copy
};
// The recorded path of key into dest (kPathSize bytes); dest is empty unless the result is
// kRecordRead with a copy recorded.
int ReadRecord(const ProductPaths& paths, const char* key, char* dest);
// Records path, by its full-path resolution (so that it reads back as a record), as the
// installed copy of key. Returns 1, or 0 when the key is unsafe, the path cannot be resolved
// to a full path that fits, or the shared file could not be written.
int WriteRecord(const ProductPaths& paths, const char* key, const char* path);
// Removes the record of key. Returns 1, or 0 when the key is unsafe (nothing is touched) or
// the shared file could not be written.
int EraseRecord(const ProductPaths& paths, const char* key);

// ShowStartupAgain as an integer, 1 when missing or when the base name is unsafe.
int ReadShowStartupAgain(const ProductPaths& paths);
// Writes ShowStartupAgain with "%d"; nothing when the base name is unsafe.
void WriteShowStartupAgain(const ProductPaths& paths, int showAgain);
