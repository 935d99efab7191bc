// End-to-end tests of disctool: each runs the built tool as a separate process on files made
// in a fresh folder, by the test itself or by other programs (netpbm, ImageMagick), and
// checks its exit status, its output streams and the files it leaves.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <zlib.h>

#include "toolkit/picload.h"
#include "toolkit/rawpal.h"
#include "toolkit/rawpict.h"
#include "tests/support/testbytes.h"
#include "tests/tools/tool_fixture.h"
#include "toolkit/wizimage.h"
#include "tools/disctool/commandtree.h"

namespace {

using namespace tooltest;

// ---- pictures --------------------------------------------------------------------------

// An RGB picture as a PPM holds it.
struct Image {
    int width = 0;
    int height = 0;
    Bytes rgb;
    bool operator==(const Image&) const = default;
};

// Colour k of the test pictures; distinct for k < 256.
void TestColour(int k, std::uint8_t* rgb) {
    rgb[0] = static_cast<std::uint8_t>(k);
    rgb[1] = static_cast<std::uint8_t>((k * 67 + 13) & 255);
    rgb[2] = static_cast<std::uint8_t>((k * 151 + 101) & 255);
}

// The palette index of pixel (x, y) in a test picture of n colours: even rows in runs of
// five, odd rows changing at every pixel, so coders meet both runs and literals.
int TestIndex(int x, int y, int colours) {
    return (y % 2 == 0 ? x / 5 + y : x * 7 + y * 3) % colours;
}

Image MakeImage(int width, int height, int colours) {
    Image image{width, height, Bytes(static_cast<std::size_t>(3 * width * height))};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            TestColour(TestIndex(x, y, colours),
                       image.rgb.data() + 3 * static_cast<std::size_t>(y * width + x));
        }
    }
    return image;
}

std::string PpmBytes(const Image& image) {
    return "P6\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n" +
           std::string(image.rgb.begin(), image.rgb.end());
}

// Parses a binary PPM of maxval 255; width -1 when the bytes are not one.
Image ParsePpm(const std::string& bytes) {
    Image image{-1, -1, {}};
    std::size_t p = 0;
    auto next = [&]() -> std::string {
        while (p < bytes.size()) {
            if (bytes[p] == '#') {
                while (p < bytes.size() && bytes[p] != '\n') ++p;
            } else if (std::isspace(static_cast<unsigned char>(bytes[p]))) {
                ++p;
            } else {
                break;
            }
        }
        const std::size_t start = p;
        while (p < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[p]))) ++p;
        return bytes.substr(start, p - start);
    };
    if (next() != "P6") return image;
    const int width = std::atoi(next().c_str());
    const int height = std::atoi(next().c_str());
    if (next() != "255" || p >= bytes.size()) return image;
    ++p;
    const std::size_t length =
        3 * static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (bytes.size() - p != length) return image;
    image = {width, height, Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(p), bytes.end())};
    return image;
}

// ---- hand-made WIZ and IFF files ---------------------------------------------------------

using testbytes::PutBE16;
using testbytes::PutBE32;
using testbytes::PutLE32;

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// A WIZ block: tag, big-endian size of the whole block, payload.
Bytes WizBlock(const char* tag, const Bytes& payload) {
    Bytes block(tag, tag + 4);
    PutBE32(block, static_cast<std::uint32_t>(8 + payload.size()));
    Append(block, payload);
    return block;
}

Bytes Wizh(std::uint32_t compression, std::uint32_t width, std::uint32_t height) {
    Bytes payload;
    PutLE32(payload, compression);
    PutLE32(payload, width);
    PutLE32(payload, height);
    return WizBlock("WIZH", payload);
}

// An RGBS block whose entry i is TestColour(255 - i).
Bytes TestRgbs() {
    Bytes payload(768);
    for (int i = 0; i < 256; ++i) TestColour(255 - i, payload.data() + 3 * i);
    return WizBlock("RGBS", payload);
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) Append(all, part);
    return all;
}

// The 40-byte single-image file: 2 x 1, one line filling both pixels with colour 5.
Bytes TwoPixelWiz() {
    return WizBlock("IMAG", Cat({Wizh(1, 2, 1), WizBlock("WIZD", {0x02, 0x00, 0x06, 0x05})}));
}

// A "MULT" file of three images: 0 takes the shared palette of "DEFA", 1 has its own, 2 has
// compression 0.
Bytes ThreeImageWiz() {
    const Bytes line = {0x02, 0x00, 0x06, 0x05};
    const std::vector<Bytes> images = {
        WizBlock("IMAG", Cat({Wizh(1, 2, 1), WizBlock("WIZD", line)})),
        WizBlock("IMAG", Cat({Wizh(1, 2, 1), TestRgbs(), WizBlock("WIZD", line)})),
        WizBlock("IMAG", Cat({Wizh(0, 4, 3), WizBlock("WIZD", line)})),
    };
    Bytes table;
    std::uint32_t entry = 8 + 4 * static_cast<std::uint32_t>(images.size());
    for (const Bytes& image : images) {
        PutLE32(table, entry);
        entry += static_cast<std::uint32_t>(image.size());
    }
    Bytes wrap = WizBlock("OFFS", table);
    for (const Bytes& image : images) Append(wrap, image);
    return WizBlock("MULT", Cat({WizBlock("DEFA", TestRgbs()), WizBlock("WRAP", wrap)}));
}

// An IFF chunk: id, big-endian size of the data alone, data, a pad byte after odd data.
Bytes IffChunk(const char* id, const Bytes& data) {
    Bytes chunk(id, id + 4);
    PutBE32(chunk, static_cast<std::uint32_t>(data.size()));
    Append(chunk, data);
    if (data.size() % 2 != 0) chunk.push_back(0);
    return chunk;
}

// ByteRun1 packing of one row: runs of three or more equal bytes as runs, the rest as
// literals of up to 128 bytes.
Bytes PackByteRun1(const Bytes& row) {
    Bytes out;
    std::size_t i = 0;
    while (i < row.size()) {
        std::size_t run = 1;
        while (i + run < row.size() && run < 128 && row[i + run] == row[i]) ++run;
        if (run >= 3) {
            out.push_back(static_cast<std::uint8_t>(257 - run));
            out.push_back(row[i]);
            i += run;
            continue;
        }
        std::size_t literal = 0;
        while (i + literal < row.size() && literal < 128) {
            const std::size_t at = i + literal;
            if (at + 2 < row.size() && row[at] == row[at + 1] && row[at] == row[at + 2]) break;
            ++literal;
        }
        out.push_back(static_cast<std::uint8_t>(literal - 1));
        out.insert(out.end(), row.begin() + static_cast<std::ptrdiff_t>(i),
                   row.begin() + static_cast<std::ptrdiff_t>(i + literal));
        i += literal;
    }
    return out;
}

// An IFF "PBM " file of the test picture of n colours: BMHD, a full CMAP, and a BODY of one
// byte per pixel, plain or packed.
Bytes TestPbm(int width, int height, int colours, bool packed) {
    Bytes bmhd;
    PutBE16(bmhd, static_cast<std::uint32_t>(width));
    PutBE16(bmhd, static_cast<std::uint32_t>(height));
    PutBE32(bmhd, 0);  // x, y
    bmhd.insert(bmhd.end(), {8, 0, static_cast<std::uint8_t>(packed ? 1 : 0), 0});
    PutBE16(bmhd, 0);  // transparent colour
    bmhd.insert(bmhd.end(), {1, 1});
    PutBE16(bmhd, static_cast<std::uint32_t>(width));
    PutBE16(bmhd, static_cast<std::uint32_t>(height));
    Bytes cmap(768);
    for (int k = 0; k < 256; ++k) TestColour(k, cmap.data() + 3 * k);
    Bytes body;
    for (int y = 0; y < height; ++y) {
        Bytes row;
        for (int x = 0; x < width; ++x)
            row.push_back(static_cast<std::uint8_t>(TestIndex(x, y, colours)));
        Append(body, packed ? PackByteRun1(row) : row);
    }
    Bytes form = {'P', 'B', 'M', ' '};
    Append(form, IffChunk("BMHD", bmhd));
    Append(form, IffChunk("CMAP", cmap));
    Append(form, IffChunk("BODY", body));
    return IffChunk("FORM", form);
}

// ---- the fixture -------------------------------------------------------------------------

class Disctool : public ToolTest {
protected:
    Disctool() : ToolTest("disctool-test") {}
    void SetUp() override {
        ToolTest::SetUp();
        if (HasFatalFailure()) return;
        m_work = m_root / "work";
        fs::create_directory(m_work);
    }

    // Runs a shell command line in which {ppm} and {out} stand for the two paths.
    Result Shell(std::string command, const fs::path& ppm, const fs::path& out) {
        for (const auto& [key, value] : {std::pair<std::string, std::string>{"{ppm}", ppm.string()},
                                         {"{out}", out.string()}}) {
            for (std::size_t at; (at = command.find(key)) != std::string::npos;) {
                command.replace(at, key.size(), "'" + value + "'");
            }
        }
        return Spawn({"/bin/sh", "-c", command}, m_logs);
    }

    // Writes the test picture as work/original.ppm and has command turn it into work/name.
    // Returns the new file's path, or an empty path (with a failure recorded) when the
    // command failed.
    fs::path MakeWithProgram(const char* command, const char* name, const Image& image) {
        const fs::path ppm = m_work / "original.ppm";
        const fs::path out = m_work / name;
        WriteFile(ppm, PpmBytes(image));
        const Result made = Shell(command, ppm, out);
        if (made.status != 0 || !fs::exists(out)) {
            ADD_FAILURE() << "could not run: " << command << "\n" << made.err;
            return {};
        }
        return out;
    }

    fs::path Write(const char* name, const Bytes& bytes) {
        WriteFile(m_work / name, bytes);
        return m_work / name;
    }

    std::set<std::string> WorkFiles() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_work))
            names.insert(entry.path().filename());
        return names;
    }

    // Converts input to a PPM and a PNG; returns the PPM's picture and checks that the PNG is
    // an 8-bit indexed file showing the same colours.
    Image ConvertBothWays(const fs::path& input) {
        const fs::path ppm = m_work / "converted.ppm";
        const fs::path png = m_work / "converted.png";
        Result result = Tool({"picture", "convert", input, ppm});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out + result.err, "");
        result = Tool({"picture", "convert", input, png});
        EXPECT_EQ(result.status, 0) << result.err;
        const Image fromPpm = ParsePpm(ReadFile(ppm));
        const std::string pngBytes = ReadFile(png);
        EXPECT_GT(pngBytes.size(), 26u);
        if (pngBytes.size() > 26) {
            EXPECT_EQ(pngBytes[24], 8) << "bit depth";
            EXPECT_EQ(pngBytes[25], 3) << "colour type: indexed";
        }
        const Result decoded = Spawn({"pngtopam", png.string()}, m_logs);
        EXPECT_EQ(decoded.status, 0) << decoded.err;
        EXPECT_EQ(ParsePpm(decoded.out), fromPpm) << "the PNG and the PPM differ";
        return fromPpm;
    }

    fs::path m_work;
};

// ---- command line ------------------------------------------------------------------------

TEST_F(Disctool, HelpOnEveryLevelGoesToStandardOutput) {
    const struct {
        std::vector<std::string> arguments;
        const char* usage;
    } cases[] = {
        {{"--help"}, "usage: disctool <command> [arguments]\n"},
        {{"picture", "--help"}, "usage: disctool picture <command> [arguments]\n"},
        {{"picture", "info", "--help"}, "usage: disctool picture info FILE\n"},
        {{"picture", "convert", "--help"}, "usage: disctool picture convert IN OUT\n"},
        {{"picture", "convert", "in.pcx", "--help"}, "usage: disctool picture convert IN OUT\n"},
    };
    for (const auto& c : cases) {
        const Result result = Tool(c.arguments);
        SCOPED_TRACE(c.usage);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out.rfind(c.usage, 0), 0u) << result.out;
        EXPECT_EQ(result.err, "");
    }
    const Result top = Tool({"--help"});
    EXPECT_NE(top.out.find("picture"), std::string::npos);
    const Result group = Tool({"picture", "--help"});
    EXPECT_NE(group.out.find("info FILE"), std::string::npos);
    EXPECT_NE(group.out.find("convert IN OUT"), std::string::npos);
}

// Every leaf of the command tree: its usage line (in --help and after a usage error) names
// every option the leaf accepts, --help lists each with its help, and the leaf accepts each
// one. Read from the tables themselves, so a usage cannot drift from what a command takes.
TEST_F(Disctool, EveryUsageNamesEveryOptionItsCommandTakes) {
    std::vector<std::pair<std::vector<std::string>, const disctool::Command*>> leaves;
    std::vector<std::pair<std::vector<std::string>, const disctool::Command*>> pending{
        {{}, &disctool::kRoot}};
    while (!pending.empty()) {
        auto [path, command] = pending.back();
        pending.pop_back();
        if (command->run != nullptr) leaves.emplace_back(path, command);
        for (const disctool::Command& child : command->children) {
            std::vector<std::string> words = path;
            words.push_back(child.name);
            pending.emplace_back(words, &child);
        }
    }
    ASSERT_EQ(leaves.size(), 8u);
    std::size_t options = 0;
    for (const auto& [path, command] : leaves) {
        std::string name = "disctool";
        for (const std::string& word : path) name += " " + word;
        SCOPED_TRACE(name);
        std::vector<std::string> help = path;
        help.push_back("--help");
        const Result full = Tool(help);
        ASSERT_EQ(full.status, 0) << full.err;
        const std::string usage = full.out.substr(0, full.out.find('\n'));
        EXPECT_EQ(usage, "usage: " + name + " " + disctool::Synopsis(*command));
        std::vector<std::string> wrong = path;
        wrong.push_back("--no-such-option");
        const Result refused = Tool(wrong);
        EXPECT_EQ(refused.status, 2);
        EXPECT_NE(refused.err.find("\n" + usage + "\n"), std::string::npos) << refused.err;
        for (const disctool::OptionUse& use : command->options) {
            const disctool::Option& option = *use.option;
            SCOPED_TRACE(option.name);
            ++options;
            std::string words = option.name;
            if (option.valueName != nullptr) words = words + " " + option.valueName;
            EXPECT_NE(usage.find(use.required ? " " + words + " " : "[" + words + "]"),
                      std::string::npos);
            const std::string helpLine =
                std::string(use.Help()).substr(0, std::string(use.Help()).find('\n'));
            EXPECT_NE(full.out.find("\n  " + words + " "), std::string::npos) << full.out;
            EXPECT_NE(full.out.find(" " + helpLine + "\n"), std::string::npos) << full.out;
            std::vector<std::string> given = path;
            given.push_back(option.name);
            if (option.valueName != nullptr) given.push_back("1");
            given.push_back("--help");
            EXPECT_EQ(Tool(given).status, 0) << "the command refuses it";
        }
    }
    EXPECT_GE(options, 20u);
    // The options the usages once left out although the commands took them.
    for (const char* leaf : {"check", "verify", "master"}) {
        const Result full = Tool({leaf, "--help"});
        const std::string usage = full.out.substr(0, full.out.find('\n'));
        EXPECT_NE(usage.find("[--codepage N]"), std::string::npos) << usage;
        EXPECT_NE(usage.find("[--windows-drive X:]"), std::string::npos) << usage;
    }
}

TEST_F(Disctool, CommandLinesThatFitNoCommandGiveUsageAndStatusTwo) {
    const std::vector<std::string> cases[] = {
        {},
        {"frobnicate"},
        {"--verbose"},
        {"picture"},
        {"picture", "encode"},
        {"picture", "info"},
        {"picture", "info", "a.pcx", "b.pcx"},
        {"picture", "info", "--all", "a.pcx"},
        {"picture", "convert", "a.pcx"},
        {"picture", "convert", "a.pcx", "b.gif"},
        {"picture", "convert", "a.pcx", "b.png", "c.png"},
        {"picture", "encode", "a.pcx"},
        {"picture", "encode", "a.pcx", "b.png"},
        {"picture", "encode", "--transparent"},
        {"picture", "encode", "--opaque", "a.pcx", "b.wiz"},
        {"check", "--json=yes", "disc"},
        {"verify", "disc"},
    };
    for (const auto& arguments : cases) {
        const Result result = Tool(arguments);
        SCOPED_TRACE(testing::PrintToString(arguments));
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("disctool: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find("\nusage: disctool"), std::string::npos) << result.err;
    }
    EXPECT_TRUE(WorkFiles().empty());
}

// ---- convert -----------------------------------------------------------------------------

// Files written by other programs that the loaders read; every one must convert to exactly
// the picture it was made from.
TEST_F(Disctool, ConvertReproducesPicturesWrittenByOtherPrograms) {
    const struct {
        const char* command;
        const char* name;
        int width, height, colours;
    } cases[] = {
        // PCX, 8 bits per pixel in one plane; odd widths give odd bytes per line.
        {"ppmtopcx -quiet {ppm} > {out}", "pic.pcx", 21, 7, 28},
        {"ppmtopcx -quiet -8bit {ppm} > {out}", "pic.pcx", 13, 5, 12},
        {"ppmtopcx -quiet {ppm} > {out}", "PIC.PCX", 64, 40, 256},
        {"convert {ppm} -colors 256 PCX:{out}", "pic.pcx", 21, 7, 28},
        {"convert {ppm} -type Palette PCX:{out}", "pic.Pcx", 70, 9, 200},
        // ILBM: ByteRun1 and plain rows, 1 to 8 planes, widths not a multiple of 16.
        {"ppmtoilbm -quiet {ppm} > {out}", "pic.lbm", 21, 7, 28},
        {"ppmtoilbm -quiet -nocompress {ppm} > {out}", "pic.lbm", 21, 7, 28},
        {"ppmtoilbm -quiet {ppm} > {out}", "pic.lbm", 19, 4, 2},
        {"ppmtoilbm -quiet -maxplanes 8 {ppm} > {out}", "pic.LBM", 64, 40, 256},
        {"ppmtoilbm -quiet -fixplanes 8 -nocompress {ppm} > {out}", "pic.lbm", 33, 3, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const Image original = MakeImage(c.width, c.height, c.colours);
        const fs::path input = MakeWithProgram(c.command, c.name, original);
        if (input.empty()) continue;
        EXPECT_EQ(ConvertBothWays(input), original);
        fs::remove(input);
    }
}

// No program at hand writes the chunky "PBM " form; the files are made here and netpbm's
// reader confirms them.
TEST_F(Disctool, ConvertReadsChunkyIffPlainAndPacked) {
    for (const bool packed : {false, true}) {
        SCOPED_TRACE(packed ? "ByteRun1" : "plain");
        const Image original = MakeImage(23, 6, 40);
        const fs::path input = Write("chunky.lbm", TestPbm(23, 6, 40, packed));
        const Result reference = Spawn({"ilbmtoppm", input.string()}, m_logs);
        ASSERT_EQ(ParsePpm(reference.out), original)
            << "fixture not read by ilbmtoppm: " << reference.err;
        EXPECT_EQ(ConvertBothWays(input), original);
    }
}

TEST_F(Disctool, ConvertDrawsWizPicturesOverFillColour255) {
    const std::uint8_t* defaults = RAWPAL_DefaultColours();
    Bytes rgbs(768);
    for (int i = 0; i < 256; ++i) TestColour(255 - i, rgbs.data() + 3 * i);
    const struct {
        const char* name;
        Bytes file;
        int width, height;
        Bytes indexes;  // expected palette indexes, row by row
        const std::uint8_t* palette;
    } cases[] = {
        {"worked example", TwoPixelWiz(), 2, 1, {5, 5}, defaults},
        // transparent 1, fill 2 with 7; the transparent pixel keeps the fill colour 255.
        {"own palette and a transparent run",
         WizBlock("IMAG", Cat({Wizh(1, 3, 1), TestRgbs(),
                               WizBlock("WIZD", {0x03, 0x00, 0x03, 0x06, 0x07})})),
         3,
         1,
         {255, 7, 7},
         rgbs.data()},
        {"compression 0 leaves the fill colour",
         WizBlock("IMAG", Cat({Wizh(0, 2, 2), WizBlock("WIZD", {0x02, 0x00, 0x06, 0x05})})),
         2,
         2,
         {255, 255, 255, 255},
         defaults},
        {"first image of a MULT file with the shared palette",
         ThreeImageWiz(),
         2,
         1,
         {5, 5},
         rgbs.data()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Image expected{c.width, c.height, {}};
        for (const std::uint8_t index : c.indexes) {
            const std::uint8_t* rgb = c.palette + 3 * index;
            expected.rgb.insert(expected.rgb.end(), rgb, rgb + 3);
        }
        EXPECT_EQ(ConvertBothWays(Write("pic.wiz", c.file)), expected);
    }
}

// Files the loaders do not read, from other programs and made here: each gives status 1,
// one line on standard error naming the file and a reason, and no output file.
TEST_F(Disctool, ConvertRefusesWhatTheLoadersDoNotRead) {
    const struct {
        const char* command;
        const char* name;
        int colours;
        const char* reasonWord;  // a word the reason must contain, in any case
    } cases[] = {
        {"ppmtopcx -quiet {ppm} > {out}", "planar16.pcx", 12, "8 bits"},        // 1 bit, 4 planes
        {"ppmtopcx -quiet -packed {ppm} > {out}", "packed.pcx", 12, "8 bits"},  // 4 bits per pixel
        {"ppmtopcx -quiet -24bit {ppm} > {out}", "rgb.pcx", 28, "plane"},  // 3 planes of 8 bits
        {"convert {ppm} PCX:{out}", "magick-rgb.pcx", 28, "plane"},        // 3 planes of 8 bits
        {"ppmtopcx -quiet -8bit {ppm} > {out} && printf '\\003' | "
         "dd of={out} bs=1 seek=1 conv=notrunc 2>/dev/null",
         "version3.pcx", 28, "version"},
        {"ppmtoilbm -quiet {ppm} > {out}", "deep.lbm", 256, "CMAP"},  // 24 planes, no CMAP
        {"ppmtoilbm -quiet {ppm} > {out} && printf 'ACBM' | "
         "dd of={out} bs=1 seek=8 conv=notrunc 2>/dev/null",
         "acbm.lbm", 28, "ILBM"},
        {"ppmtoilbm -quiet {ppm} > {out} && printf 'LIST' | "
         "dd of={out} bs=1 seek=0 conv=notrunc 2>/dev/null",
         "list.lbm", 28, "FORM"},
        {"convert {ppm} GIF:{out}", "pic.gif", 28, "extension"},  // no loader for it
        {"head -c 60 /dev/zero > {out}", "zeros.wiz", 28, "WIZH"},
        {"true > {out}", "empty.pcx", 28, "PCX"},
        {"printf 'FORM\\000\\000\\000\\004PBM ' > {out}", "nobody.lbm", 28, "BODY"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const fs::path input = MakeWithProgram(c.command, c.name, MakeImage(16, 16, c.colours));
        if (input.empty()) continue;
        const std::set<std::string> before = WorkFiles();
        for (const char* output : {"out.png", "out.ppm"}) {
            const Result result = Tool({"picture", "convert", input, m_work / output});
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.out, "");
            const std::string prefix = "disctool: " + input.string() + ": ";
            EXPECT_EQ(result.err.rfind(prefix, 0), 0u) << result.err;
            EXPECT_GT(result.err.size(), prefix.size() + 1) << "no reason given";
            EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "not one line";
            EXPECT_NE(Lower(result.err).find(Lower(c.reasonWord)), std::string::npos) << result.err;
            EXPECT_EQ(WorkFiles(), before) << "a file was left behind";
        }
        fs::remove(input);
    }
}

TEST_F(Disctool, ConvertOfAMissingFileSaysSoAndKeepsAnExistingOutput) {
    const fs::path output = m_work / "keep.ppm";
    WriteFile(output, std::string("earlier result"));
    const Result result = Tool({"picture", "convert", m_work / "absent.pcx", output});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "disctool: " + (m_work / "absent.pcx").string() + ": file not found\n");
    EXPECT_EQ(ReadFile(output), "earlier result");
}

TEST_F(Disctool, ConvertThatCannotWriteNamesTheOutputAndLeavesNothing) {
    const fs::path input = Write("pic.wiz", TwoPixelWiz());
    const struct {
        Bytes file;
        fs::path output;
    } cases[] = {
        {TwoPixelWiz(), m_work / "no such folder" / "out.png"},
        {TwoPixelWiz(), m_work / "subfolder.ppm"},              // a folder in the way
        {WizBlock("IMAG", Wizh(1, 0, 4)), m_work / "out.png"},  // a picture of 0 x 4
    };
    fs::create_directory(m_work / "subfolder.ppm");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output.string());
        WriteFile(input, c.file);
        const std::set<std::string> before = WorkFiles();
        const Result result = Tool({"picture", "convert", input, c.output});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err.rfind("disctool: " + c.output.string() + ": ", 0), 0u) << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "not one line";
        EXPECT_EQ(WorkFiles(), before);
        EXPECT_TRUE(fs::is_empty(m_work / "subfolder.ppm"));
    }
}

TEST_F(Disctool, ConvertReplacesAnExistingOutputWithReadablePermissions) {
    const fs::path input = Write("pic.wiz", TwoPixelWiz());
    const fs::path output = m_work / "out.ppm";
    WriteFile(output, std::string("earlier result"));
    const mode_t mask = umask(022);
    const Result result = Tool({"picture", "convert", input, output});
    umask(mask);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ParsePpm(ReadFile(output)).width, 2);
    EXPECT_EQ(fs::status(output).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
}

// ---- info --------------------------------------------------------------------------------

TEST_F(Disctool, InfoShowsFormatSizePaletteAndStructure) {
    const struct {
        const char* name;
        const char* command;  // null: the file is bytes
        Bytes bytes;
        int status;
        std::vector<std::string> lines;  // each must appear as a whole line
    } cases[] = {
        {"two.wiz",
         nullptr,
         TwoPixelWiz(),
         0,
         {"format: WIZ", "length: 40 bytes", "width: 2", "height: 1",
          "palette: none (the toolkit default palette)", "layout: single image",
          "  0: \"IMAG\" size 40", "    8: \"WIZH\" size 20: compression 1, width 2, height 1",
          "    28: \"WIZD\" size 12", "images: 1",
          "  image 0: 2 x 1, compression 1, palette none (the toolkit default palette), "
          "WIZD pixels"}},
        {"three.wiz",
         nullptr,
         ThreeImageWiz(),
         0,
         {"palette: shared (RGBS in DEFA)", "layout: several images (MULT)", "images: 3",
          "    8: \"DEFA\" size 784", "      16: \"RGBS\" size 776: 256 colours",
          "      800: \"OFFS\" size 20: 3 entries 20, 60, 876",
          "  image 0: 2 x 1, compression 1, palette shared (RGBS in DEFA), WIZD pixels",
          "  image 1: 2 x 1, compression 1, palette own, WIZD pixels",
          "  image 2: 4 x 3, compression 0, palette shared (RGBS in DEFA), WIZD pixels"}},
        {"oddblock.wiz",
         nullptr,
         WizBlock("IMAG", Cat({WizBlock("XTRA", {1, 2, 3}), Wizh(1, 2, 1),
                               WizBlock("WIZD", {0x02, 0x00, 0x06, 0x05})})),
         0,
         {"    8: \"XTRA\" size 11", "    19: \"WIZH\" size 20: compression 1, width 2, height 1"}},
        // A child that claims more than its container hides what follows, WIZH included.
        {"broken.wiz",
         nullptr,
         WizBlock("IMAG", Cat({{'X', 'T', 'R', 'A', 0, 0, 0, 64, 0, 0, 0, 0}, Wizh(1, 2, 1)})),
         1,
         {"    8: \"XTRA\" size 64 reaches past its container; the walk stops here"}},
        {"pic.pcx",
         "ppmtopcx -quiet {ppm} > {out}",
         {},
         0,
         {"format: PCX", "width: 21", "height: 7", "palette: own",
          "header: manufacturer 10, version 5, encoding 1, bits per pixel 8",
          "window: xmin 0, ymin 0, xmax 20, ymax 6", "planes: 1, bytes per line: 21",
          "palette marker: 0x0C"}},
        {"rgb.pcx",
         "ppmtopcx -quiet -24bit {ppm} > {out}",
         {},
         1,
         {"format: PCX", "planes: 3, bytes per line: 21"}},
        {"pic.lbm",
         "ppmtoilbm -quiet {ppm} > {out}",
         {},
         0,
         {"format: IFF", "width: 21", "height: 7", "palette: own",
          "  12: \"BMHD\" size 20: 21 x 7, 5 planes, masking 0, compression 1",
          "  40: \"CMAP\" size 51: 17 colours (and a pad byte)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path input = c.command != nullptr
                                   ? MakeWithProgram(c.command, c.name, MakeImage(21, 7, 28))
                                   : Write(c.name, c.bytes);
        if (input.empty()) continue;
        const Result result = Tool({"picture", "info", input});
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_EQ(result.out.rfind("file: " + input.string() + "\n", 0), 0u) << result.out;
        const std::string text = "\n" + result.out;
        for (const std::string& line : c.lines) {
            EXPECT_NE(text.find("\n" + line + "\n"), std::string::npos)
                << "missing line: " << line << "\n"
                << result.out;
        }
        if (c.status == 0) {
            EXPECT_EQ(result.err, "");
        } else {
            EXPECT_EQ(result.err.rfind("disctool: " + input.string() + ": ", 0), 0u) << result.err;
            EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "not one line";
        }
    }
}

TEST_F(Disctool, InfoOnFilesThatCannotBeReadGivesOneLineAndNoReport) {
    for (const char* name : {"absent.wiz", "absent.pcx", "picture.gif"}) {
        SCOPED_TRACE(name);
        const fs::path input = m_work / name;
        if (std::string(name) == "picture.gif") WriteFile(input, std::string("GIF89a"));
        const Result result = Tool({"picture", "info", input});
        EXPECT_EQ(result.status, std::string(name) == "picture.gif" ? 1 : 2)
            << "2: nothing could be read";
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("disctool: " + input.string() + ": ", 0), 0u) << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "not one line";
    }
}

// ---- encode ------------------------------------------------------------------------------

void PutChunk(Bytes& png, const char* type, const Bytes& data) {
    PutBE32(png, static_cast<std::uint32_t>(data.size()));
    Bytes body(type, type + 4);
    Append(body, data);
    Append(png, body);
    PutBE32(png, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

// An 8-bit indexed PNG with a palette of paletteSize entries (colour k = TestColour(k)).
Bytes IndexedPng(int width, int height, int paletteSize, const Bytes& indexes) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    PutBE32(header, static_cast<std::uint32_t>(width));
    PutBE32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 3, 0, 0, 0});
    PutChunk(png, "IHDR", header);
    Bytes palette(static_cast<std::size_t>(3 * paletteSize));
    for (int k = 0; k < paletteSize; ++k) TestColour(k, palette.data() + 3 * k);
    PutChunk(png, "PLTE", palette);
    Bytes raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        const auto row = indexes.begin() + static_cast<std::ptrdiff_t>(y * width);
        raw.insert(raw.end(), row, row + width);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(packedSize);
    compress(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(packedSize);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});
    return png;
}

using Loaded = std::unique_ptr<RawPicture, decltype(&RAWPICT_Free)>;

// Pictures made by other programs, encoded and decoded again as the launcher does: the
// colours come back exactly as the reference decoder reads the input.
TEST_F(Disctool, EncodeRoundTripsPicturesFromOtherPrograms) {
    const struct {
        const char* command;
        const char* name;
        const char* reference;  // writes the input as a PPM on standard output
    } cases[] = {
        {"convert -seed 3 -size 96x60 plasma:fractal -colors 256 PNG8:{out}", "plasma.png",
         "pngtopam {out}"},
        {"convert rose: -colors 100 PNG8:{out}", "rose.png", "pngtopam {out}"},
        {"convert -size 37x150 gradient:navy-orange -colors 256 PNG8:{out}", "gradient.png",
         "pngtopam {out}"},
        {"convert logo: -resize 25% -colors 64 PCX:{out}", "logo.pcx", "pcxtoppm {out}"},
        {"ppmpat -gingham3 -color red,green,blue 45 31 | ppmtopcx -quiet -8bit > {out}",
         "pattern.pcx", "pcxtoppm {out}"},
        {"ppmtoilbm -quiet -maxplanes 8 {ppm} > {out}", "test.lbm", "ilbmtoppm {out}"},
        {"cp {ppm} {out}", "test.ppm", "cat {out}"},
        {"pnmtoplainpnm {ppm} > {out}", "plain.ppm", "ppmtoppm < {out}"},
        {"convert -size 1x1 xc:orange PNG8:{out}", "dot.png", "pngtopam {out}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const fs::path input = MakeWithProgram(c.command, c.name, MakeImage(29, 11, 150));
        if (input.empty()) continue;
        const Result reference = Shell(c.reference, m_work / "original.ppm", input);
        const Image expected = ParsePpm(reference.out);
        ASSERT_GT(expected.width, 0) << reference.err;
        const fs::path wiz = m_work / "out.wiz";
        const Result encoded = Tool({"picture", "encode", input, wiz});
        ASSERT_EQ(encoded.status, 0) << encoded.err;
        EXPECT_EQ(encoded.out + encoded.err, "");
        EXPECT_EQ(ReadFile(wiz).substr(0, 4), "IMAG");
        EXPECT_EQ(ConvertBothWays(wiz), expected);
    }
}

TEST_F(Disctool, EncodeCodesTheTransparentIndexAsTheLaunchersFillColour) {
    // Colours are numbered by first appearance: the top-left colour is index 0.
    const Image image = MakeImage(23, 4, 3);
    const std::string ppm = PpmBytes(image);
    const fs::path input = Write("three.ppm", Bytes(ppm.begin(), ppm.end()));
    const fs::path wiz = m_work / "out.WIZ";
    const Result encoded = Tool({"picture", "encode", "--transparent", "0", input, wiz});
    ASSERT_EQ(encoded.status, 0) << encoded.err;
    const Loaded loaded(WIZ_LoadFile(wiz.c_str(), 255), &RAWPICT_Free);
    ASSERT_NE(loaded, nullptr);
    const std::uint8_t* topLeft = image.rgb.data();
    for (std::size_t p = 0; p < 23 * 4; ++p) {
        const std::uint8_t index = loaded->bitmap->pixels[p];
        const bool clear = std::equal(topLeft, topLeft + 3,
                                      image.rgb.begin() + static_cast<std::ptrdiff_t>(3 * p));
        if (clear) {
            EXPECT_EQ(index, 255) << p;
        } else {
            ASSERT_LT(index, 3) << p;
            EXPECT_TRUE(std::equal(loaded->palette->rgb + 3 * index,
                                   loaded->palette->rgb + 3 * index + 3,
                                   image.rgb.begin() + static_cast<std::ptrdiff_t>(3 * p)))
                << p;
        }
    }
}

TEST_F(Disctool, EncodeOfSeveralPicturesWritesAMultFileSharingOnePaletteWhenItCan) {
    const fs::path a = Write("a.lbm", TestPbm(23, 6, 40, true));
    const fs::path b = Write("b.lbm", TestPbm(10, 3, 5, false));
    const Image other = MakeImage(7, 2, 4);
    const std::string otherPpm = PpmBytes(other);
    const fs::path c = Write("c.ppm", Bytes(otherPpm.begin(), otherPpm.end()));
    const struct {
        std::vector<fs::path> inputs;
        bool shared;
    } cases[] = {{{a, b, a}, true}, {{a, c}, false}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.shared ? "shared" : "own palettes");
        std::vector<std::string> arguments = {"picture", "encode"};
        for (const fs::path& input : k.inputs) arguments.push_back(input);
        arguments.push_back(m_work / "multi.wiz");
        const Result encoded = Tool(arguments);
        ASSERT_EQ(encoded.status, 0) << encoded.err;
        std::string bytes = ReadFile(m_work / "multi.wiz");
        Bytes file(bytes.begin(), bytes.end());
        const WIZ_MEMFILE memfile{static_cast<std::uint32_t>(file.size()), file.data()};
        EXPECT_EQ(bytes.substr(0, 4), "MULT");
        EXPECT_EQ(WIZ_FindChild("DEFA", file.data(), memfile.size) != nullptr, k.shared);
        const std::uint8_t* wrap = WIZ_FindChild("WRAP", file.data(), memfile.size);
        ASSERT_NE(wrap, nullptr);
        const std::uint8_t* offs = WIZ_FindChild(
            "OFFS", wrap, memfile.size - static_cast<std::uint32_t>(wrap - file.data()));
        ASSERT_NE(offs, nullptr);
        for (std::uint32_t i = 0; i < k.inputs.size(); ++i) {
            SCOPED_TRACE(i);
            // Each image container is tagged "IMAG".
            const std::size_t image =
                static_cast<std::size_t>(offs - file.data()) + WIZ_GetLE32(offs + 8 + 4 * i);
            ASSERT_LE(image + 4, bytes.size());
            EXPECT_EQ(bytes.substr(image, 4), "IMAG");
            const Loaded decoded(WIZ_LoadImage(&memfile, i, 255), &RAWPICT_Free);
            ASSERT_NE(decoded, nullptr);
            const RawBitmap& got = *decoded->bitmap;
            if (k.inputs[i] == c) {  // no toolkit loader for PPM: compare with its colours
                ASSERT_EQ(got.size, other.width * other.height);
                for (std::int32_t p = 0; p < got.size; ++p) {
                    const std::uint8_t* g = decoded->palette->rgb + 3 * got.pixels[p];
                    EXPECT_TRUE(std::equal(g, g + 3, other.rgb.begin() + 3 * p)) << p;
                }
                continue;
            }
            const Loaded original(PICTURE_Load(k.inputs[i].c_str()), &RAWPICT_Free);
            ASSERT_NE(original, nullptr);
            const RawBitmap& want = *original->bitmap;
            ASSERT_EQ(got.width, want.width);
            ASSERT_EQ(got.height, want.height);
            for (std::int32_t p = 0; p < got.size; ++p) {
                const std::uint8_t* g = decoded->palette->rgb + 3 * got.pixels[p];
                const std::uint8_t* w = original->palette->rgb + 3 * want.pixels[p];
                EXPECT_TRUE(std::equal(g, g + 3, w)) << p;
            }
        }
        EXPECT_EQ(WIZ_LoadImage(&memfile, static_cast<std::uint32_t>(k.inputs.size()), 255),
                  nullptr);
    }
}

TEST_F(Disctool, EncodeRefusalsGiveOneLineStatusOneAndNoOutput) {
    Image many = MakeImage(257, 1, 1);
    for (int k = 0; k < 257; ++k) {
        many.rgb[3 * static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(k);
        many.rgb[3 * static_cast<std::size_t>(k) + 1] = static_cast<std::uint8_t>(k >> 8);
    }
    const std::string manyBytes = PpmBytes(many);
    const fs::path tooMany = Write("many.ppm", Bytes(manyBytes.begin(), manyBytes.end()));
    const fs::path outOfRange = Write("range.png", IndexedPng(3, 2, 4, {0, 1, 2, 3, 4, 0}));
    const fs::path good = Write("good.png", IndexedPng(3, 2, 5, {0, 1, 2, 3, 4, 0}));
    const fs::path gif = Write("pic.gif", Bytes{'G', 'I', 'F', '8', '9', 'a'});
    const struct {
        std::vector<std::string> arguments;  // the output work/out.wiz follows
        const char* subject;
        const char* reasonWord;
        int status;  // 2: a usage error or an input that cannot be read at all
    } cases[] = {
        {{tooMany}, "many.ppm", "256 colours", 1},
        {{outOfRange}, "range.png", "out of range", 1},
        {{"--transparent", "256", good}, "--transparent", "0 to 255", 2},
        {{"--transparent=-1", good}, "--transparent", "0 to 255", 2},
        {{"--transparent", "two", good}, "--transparent", "0 to 255", 2},
        {{good, m_work / "absent.pcx"}, "absent.pcx", "not found", 2},
        {{gif}, "pic.gif", "extension", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.subject);
        const std::set<std::string> before = WorkFiles();
        std::vector<std::string> arguments = {"picture", "encode"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        arguments.push_back(m_work / "out.wiz");
        const Result result = Tool(arguments);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find(c.subject), std::string::npos) << result.err;
        EXPECT_NE(Lower(result.err).find(Lower(c.reasonWord)), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "not one line";
        EXPECT_EQ(WorkFiles(), before) << "a file was left behind";
    }
    const Result fine = Tool({"picture", "encode", good, m_work / "out.wiz"});
    EXPECT_EQ(fine.status, 0) << fine.err;
}

}  // namespace
