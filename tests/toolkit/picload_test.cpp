#include "toolkit/picload.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/toolkit/fixtures.h"
#include "toolkit/picreason.h"
#include "toolkit/rawpict.h"

namespace {

using fixtures::Bytes;

struct ExtensionCase {
    const char* path;
    const char* extension;
};

void PrintTo(const ExtensionCase& c, std::ostream* os) { *os << c.path; }

class PictureExtension : public testing::TestWithParam<ExtensionCase> {};

TEST_P(PictureExtension, SplitsLikeThePlatform) {
    const ExtensionCase& c = GetParam();
    const char* extension = PICTURE_GetExtension(c.path);
    EXPECT_STREQ(extension, c.extension);
    // The result points into the path.
    EXPECT_EQ(extension, c.path + std::strlen(c.path) - std::strlen(c.extension));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PictureExtension,
    testing::Values(ExtensionCase{"C:\\GAME\\START.LBM", ".LBM"},
                    ExtensionCase{"start.pcx", ".pcx"}, ExtensionCase{"C:start.Wiz", ".Wiz"},
                    ExtensionCase{"d:/disc/pic.v2.lbm", ".lbm"},
                    ExtensionCase{"C:\\PICS.OLD\\START", ""}, ExtensionCase{"pics.old/start", ""},
                    ExtensionCase{"folder.pcx\\", ""}, ExtensionCase{"START", ""},
                    ExtensionCase{"C:", ""}, ExtensionCase{"", ""}, ExtensionCase{"name.", "."}));

// A 2 x 1 PBM picture with pixels 7 and 9.
Bytes SmallIff() {
    Bytes out;
    fixtures::PutTag(out, "FORM");
    fixtures::PutBE32(out, 4 + 28 + 14 + 10);
    fixtures::PutTag(out, "PBM ");
    fixtures::PutTag(out, "BMHD");
    fixtures::PutBE32(out, 20);
    fixtures::PutBytes(out, {0, 2, 0, 1, 0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 1, 1, 0, 2, 0, 1});
    fixtures::PutTag(out, "CMAP");
    fixtures::PutBE32(out, 6);
    fixtures::PutBytes(out, {1, 2, 3, 4, 5, 6});
    fixtures::PutTag(out, "BODY");
    fixtures::PutBE32(out, 2);
    fixtures::PutBytes(out, {7, 9});
    return out;
}

// A 2 x 1 PCX picture with pixels 7 and 9.
Bytes SmallPcx() {
    Bytes out(128, 0);
    out[0] = 10;
    out[1] = 5;
    out[2] = 1;
    out[3] = 8;
    out[8] = 1;  // xmax
    out[65] = 1;
    out[66] = 2;  // bytes per line
    fixtures::PutBytes(out, {7, 9, 0x0C});
    out.resize(out.size() + 768, 0x11);
    return out;
}

struct DispatchCase {
    const char* name;    // file name, extension included
    bool iffContent;     // true: the file holds the IFF picture, else the PCX one
    const char* reason;  // null: loads with pixels 7 and 9
};

void PrintTo(const DispatchCase& c, std::ostream* os) { *os << c.name; }

class PictureDispatch : public testing::TestWithParam<DispatchCase> {};

TEST_P(PictureDispatch, ChoosesTheLoaderByExtension) {
    const DispatchCase& c = GetParam();
    std::string path = fixtures::WriteTempFile(c.name, c.iffContent ? SmallIff() : SmallPcx());
    const char* reason = "unset";
    RawPicture* picture = PICTURE_Load(path.c_str(), &reason);
    if (c.reason) {
        EXPECT_EQ(picture, nullptr);
        EXPECT_STREQ(reason, c.reason);
        return;
    }
    ASSERT_NE(picture, nullptr) << reason;
    ASSERT_EQ(picture->bitmap->size, 2);
    EXPECT_EQ(picture->bitmap->pixels[0], 7);
    EXPECT_EQ(picture->bitmap->pixels[1], 9);
    RAWPICT_Free(picture);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PictureDispatch,
    testing::Values(DispatchCase{"a.lbm", true, nullptr}, DispatchCase{"b.Lbm", true, nullptr},
                    DispatchCase{"c.LBM", true, nullptr}, DispatchCase{"d.pcx", false, nullptr},
                    DispatchCase{"e.PcX", false, nullptr},
                    // The content does not choose the loader: the extension does.
                    DispatchCase{"f.lbm", false, PICREASON_IffNotForm},
                    DispatchCase{"g.pcx", true, PICREASON_PcxShort},
                    DispatchCase{"h.bmp", true, PICREASON_UnknownExtension},
                    DispatchCase{"i.lbmx", true, PICREASON_UnknownExtension},
                    DispatchCase{"noextension", true, PICREASON_UnknownExtension}));

TEST(PictureLoad, WizExtensionGoesToTheWizLoader) {
    // Not a WIZ file: the WIZ loader refuses it with a reason of its own.
    std::string path = fixtures::WriteTempFile("pic.WiZ", SmallPcx());
    const char* reason = nullptr;
    EXPECT_EQ(PICTURE_Load(path.c_str(), &reason), nullptr);
    ASSERT_NE(reason, nullptr);
    EXPECT_STRNE(reason, PICREASON_UnknownExtension);
}

TEST(PictureLoad, DotOnlyInAFolderNameIsNoExtension) {
    const char* reason = nullptr;
    EXPECT_EQ(PICTURE_Load("C:\\PICS.LBM\\START", &reason), nullptr);
    EXPECT_STREQ(reason, PICREASON_UnknownExtension);
}

TEST(PictureLoad, MissingFileNamesWhy) {
    const char* reason = nullptr;
    EXPECT_EQ(PICTURE_Load("no-such-folder/none.lbm", &reason), nullptr);
    EXPECT_STREQ(reason, PICREASON_NotFound);
}

}  // namespace
