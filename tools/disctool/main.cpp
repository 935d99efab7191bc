// disctool: checks and prepares the pictures of a product disc with the same loaders the
// launcher uses. Commands are grouped by what they work on; each group is one table below.
#include "commands.h"
#include "disccheck.h"
#include "discverify.h"
#include "picconvert.h"
#include "picencode.h"
#include "picinfo.h"

namespace {

using disctool::Command;

const Command pictureCommands[] = {
    {"info", "FILE", "show a picture's format, size, palette and structure",
     "Reads FILE as the launcher would, chosen by its extension (.WIZ, .PCX, .LBM), and\n"
     "prints its format, width, height and whether it carries its own palette. For a WIZ\n"
     "file it also lists the block tree (tags, offsets, sizes) and the images; for PCX the\n"
     "header fields; for IFF the chunks. Exit status 1 when the picture cannot be loaded.",
     1, 1, disctool::RunPictureInfo, {}},
    {"convert", "IN OUT", "decode a picture as the launcher does; write OUT as PNG or PPM",
     "Decodes IN exactly as the launcher would (by extension; WIZ with fill colour 255) and\n"
     "writes OUT by its extension: .png gives an indexed PNG with the picture's palette,\n"
     ".ppm a binary PPM (P6) of the colours. A picture without its own palette takes the\n"
     "toolkit's default palette. OUT is written whole or not at all: when IN cannot be\n"
     "loaded or the write fails, exit status is 1 and OUT is left as it was.",
     2, 2, disctool::RunPictureConvert, {}, disctool::CheckPictureConvert},
    {"encode", "[--transparent INDEX] IN... OUT.wiz", "write WIZ pictures from PNG, PPM, PCX or IFF",
     "Writes OUT.wiz from the pictures IN: an indexed PNG keeps its palette and indexes; a\n"
     "true-colour PNG, a PPM or a PGM may have at most 256 colours, numbered in order of\n"
     "first appearance (top-left first); PCX, IFF (.LBM) and WIZ files are read by the\n"
     "launcher's own loaders. One IN gives a single-image file; several give a MULT file\n"
     "in which images that all share one palette store it once (DEFA).\n"
     "\n"
     "--transparent INDEX  codes pixels of palette index INDEX (0-255) as transparent runs.\n"
     "                     The launcher fills a picture with colour 255 before drawing it,\n"
     "                     so those pixels show palette entry 255, not INDEX.\n"
     "\n"
     "Every line is coded as compactly as the WIZ runs allow, and the result is decoded\n"
     "with the launcher's loader before it is written. Exit status 1, with one line on\n"
     "standard error and no OUT written, when an input cannot be read, has more than 256\n"
     "colours or a pixel index outside its palette, INDEX is not 0-255, or a line needs more\n"
     "than the 65535 code bytes a WIZ line holds.",
     2, static_cast<std::size_t>(-1), disctool::RunPictureEncode, {},
     disctool::CheckPictureEncode, disctool::PictureEncodeOptions},
};

const Command topCommands[] = {
    {"picture", nullptr, "inspect, convert and encode WIZ, PCX and IFF pictures",
     "Pictures as the launcher reads them: WIZ (.WIZ), PCX (.PCX) and IFF ILBM or PBM (.LBM).",
     0, 0, nullptr, pictureCommands},
    {"check", "[--launcher NAME.EXE] [--json] DISC_FOLDER",
     "report everything the launcher will see on a disc folder",
     "Reads the disc folder as the launcher will: the launcher (--launcher, else the one .exe\n"
     "in the folder, else the one .inf), its install script NAME.inf, the game NAME.a32,\n"
     "the proposed destination, the start-up picture and the component groups with their\n"
     "files, sizes and megabytes. Names compare without regard to case, as on Windows.\n"
     "Errors: no install script, a listed file missing, an empty file name or key, a name\n"
     "the launcher refuses (drive, leading backslash, \"..\"), a start-up picture that is\n"
     "missing or does not load, no game, a count over the launcher's limits. Warnings:\n"
     "entries the launcher never reads, a key shared by two files or equal to\n"
     "ShowStartupAgain, a DefaultDir without a drive letter, values that are cut.\n"
     "\n"
     "--json               the same report as JSON\n"
     "--windows-drive X:   the Windows drive for the default destination (default C:)\n"
     "\n"
     "Exit status 0 when the disc has no error, 1 otherwise.",
     1, 1, disctool::RunDiscCheck, {}, nullptr, disctool::DiscCheckOptions},
    {"verify", "--shared-file PATH [--launcher NAME.EXE] [--drive X:=DIR]... DISC_FOLDER",
     "tell which listed files the launcher would count installed and current",
     "For every listed file, the launcher's own test against the shared file PATH, which is\n"
     "only read: a recorded copy with exactly the source's last-write time is current; a\n"
     "recorded copy that is missing or has another time is stale (the launcher would forget\n"
     "the record); with nothing recorded, a copy with the source's time in the proposed\n"
     "destination is current (would be adopted), else the file is missing.\n"
     "\n"
     "--drive X:=DIR       where Windows drive X: lies on this machine, for recorded paths\n"
     "                     and the destination; may be given for several drives\n"
     "--windows-drive X:   the Windows drive for the default destination (default C:)\n"
     "\n"
     "Exit status 0 when every required file is current, 1 otherwise.",
     1, 1, disctool::RunDiscVerify, {}, nullptr, disctool::DiscVerifyOptions,
     disctool::DiscVerifyRequiredOptions},
};

const Command root = {
    "disctool", nullptr, nullptr,
    "Authoring tool for product discs. Exit status: 0 done, 1 a file could not be read,\n"
    "decoded or written, 2 a command line that fits no command.",
    0, 0, nullptr, topCommands};

}  // namespace

int main(int argc, char** argv) {
    return disctool::Dispatch(root, argc, argv);
}
