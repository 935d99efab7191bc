// Why a picture did not load: the texts the loaders hand back through their reason
// argument, each written once here. disctool prints them, and uses the general ones for its
// own reads of picture files.
#pragma once

#include "toolkit/rawpict.h"

// Any format.
inline constexpr char PICREASON_NotFound[] = "file not found";
inline constexpr char PICREASON_Read[] = "cannot read the file";
inline constexpr char PICREASON_Memory[] = "out of memory";
inline constexpr char PICREASON_TooLarge[] = "picture too large";
inline constexpr char PICREASON_UnknownExtension[] = "unknown picture extension";

// WIZ.
inline constexpr char PICREASON_WizNoData[] = "no data";
inline constexpr char PICREASON_WizFileTooLarge[] = "WIZ file larger than 64 MiB";
inline constexpr char PICREASON_WizNoHeader[] = "no WIZH block";
inline constexpr char PICREASON_WizShortHeader[] = "WIZH block too short";
inline constexpr char PICREASON_WizBadSize[] = "bad picture size";

// PCX.
inline constexpr char PICREASON_PcxShort[] = "file too short for a PCX header";
inline constexpr char PICREASON_PcxFormat[] =
    "not a PCX picture of version 5 with 8 bits per pixel";
inline constexpr char PICREASON_PcxPlanes[] = "PCX with more than one plane";
inline constexpr char PICREASON_PcxNegative[] = "PCX whose xmax or ymax lies below xmin or ymin";

// IFF.
inline constexpr char PICREASON_IffNotForm[] = "not an IFF FORM";
inline constexpr char PICREASON_IffFormType[] = "IFF form other than ILBM and PBM";
inline constexpr char PICREASON_IffShortHeader[] = "IFF BMHD chunk shorter than 20 bytes";
inline constexpr char PICREASON_IffBodyFirst[] = "IFF BODY before BMHD and CMAP";
inline constexpr char PICREASON_IffNoBody[] = "IFF file without BODY";
inline constexpr char PICREASON_IffEmpty[] = "IFF picture of zero width or height";
inline constexpr char PICREASON_IffNoPlanes[] = "IFF ILBM without bit-planes";

// The loaders' one way out on failure: sets *reason to text when reason is not null and
// returns null. What the loader made so far is freed by its local owner.
inline RawPicture* PICREASON_Fail(const char** reason, const char* text) {
    if (reason != nullptr) *reason = text;
    return nullptr;
}
