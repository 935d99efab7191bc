#include "toolkit/picload.h"

#include "toolkit/pcxloadr.h"
#include "toolkit/picreason.h"
#include "toolkit/tooliff.h"
#include "toolkit/wizimage.h"

namespace {

// The fill colour of WIZ pictures: the bitmap shows it where the image draws nothing.
constexpr int kWizFill = 255;

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// True when text equals upper (an upper-case ASCII word) without regard to case. The
// comparison does not depend on the locale.
bool EqualsIgnoringCase(const char* text, const char* upper) {
    for (; *text && *upper; ++text, ++upper) {
        if (UpperAscii(*text) != *upper) return false;
    }
    return *text == *upper;
}

}  // namespace

const char* PICTURE_GetExtension(const char* path) {
    const char* rest = path;
    if (((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= 'a' && rest[0] <= 'z')) &&
        rest[1] == ':')
        rest += 2;
    // A dot before the last separator belongs to a folder name, not to the extension.
    const char* dot = nullptr;
    const char* p = rest;
    for (; *p; ++p) {
        if (*p == '\\' || *p == '/')
            dot = nullptr;
        else if (*p == '.')
            dot = p;
    }
    return dot ? dot : p;
}

RawPicture* PICTURE_Load(const char* path, const char** reason) {
    const char* extension = PICTURE_GetExtension(path);
    if (EqualsIgnoringCase(extension, ".LBM")) return IFF_Load(path, reason);
    if (EqualsIgnoringCase(extension, ".PCX")) return PCX_Load(path, reason);
    if (EqualsIgnoringCase(extension, ".WIZ")) return WIZ_LoadFile(path, kWizFill, reason);
    return PICREASON_Fail(reason, PICREASON_UnknownExtension);
}
