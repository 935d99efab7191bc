#include "tools/disctool/commandtree.h"

#include "tools/disctool/disccheck.h"
#include "tools/disctool/discmaster.h"
#include "tools/disctool/discnew.h"
#include "tools/disctool/discscript.h"
#include "tools/disctool/discverify.h"
#include "tools/disctool/picconvert.h"
#include "tools/disctool/picencode.h"
#include "tools/disctool/picinfo.h"

namespace disctool {
namespace {

const Command kPictureCommands[] = {
    {"info",
     "FILE",
     "show a picture's format, size, palette and structure",
     "Reads FILE as the launcher would, chosen by its extension (.WIZ, .PCX, .LBM), and\n"
     "prints its format, width, height and whether it carries its own palette. For a WIZ\n"
     "file it also lists the block tree (tags, offsets, sizes) and the images; for PCX the\n"
     "header fields; for IFF the chunks. Exit status 1 when the picture does not load, 2 when\n"
     "FILE cannot be read at all.",
     1,
     1,
     RunPictureInfo,
     {}},
    {"convert",
     "IN OUT",
     "decode a picture as the launcher does; write OUT as PNG or PPM",
     "Decodes IN exactly as the launcher would (by extension; WIZ with fill colour 255) and\n"
     "writes OUT by its extension: .png gives an indexed PNG with the picture's palette,\n"
     ".ppm a binary PPM (P6) of the colours. A picture without its own palette takes the\n"
     "toolkit's default palette. OUT is written whole or not at all: when IN does not load\n"
     "or the write fails, exit status is 1 (2 when IN cannot be read at all) and OUT is left\n"
     "as it was.",
     2,
     2,
     RunPictureConvert,
     {},
     CheckPictureConvert},
    {"encode",
     "IN... OUT.wiz",
     "write WIZ pictures from PNG, PPM, PCX or IFF",
     "Writes OUT.wiz from the pictures IN: an indexed PNG keeps its palette and indexes; a\n"
     "true-colour PNG, a PPM or a PGM may have at most 256 colours, numbered in order of\n"
     "first appearance (top-left first); PCX, IFF (.LBM) and WIZ files are read by the\n"
     "launcher's own loaders. One IN gives a single-image file; several give a MULT file\n"
     "in which images that all share one palette store it once (DEFA).\n"
     "\n"
     "Every line is coded as compactly as the WIZ runs allow, and the result is decoded\n"
     "with the launcher's loader before it is written. Exit status 1, with one line on\n"
     "standard error and no OUT written, when an input does not load, has more than 256\n"
     "colours or a pixel index outside its palette, or a line needs more than the 65535\n"
     "code bytes a WIZ line holds; 2 when an input cannot be read at all or INDEX is not\n"
     "0-255.",
     2,
     static_cast<std::size_t>(-1),
     RunPictureEncode,
     {},
     CheckPictureEncode,
     kPictureEncodeOptions},
};

const Command kTopCommands[] = {
    {"picture", nullptr, "inspect, convert and encode WIZ, PCX and IFF pictures",
     "Pictures as the launcher reads them: WIZ (.WIZ), PCX (.PCX) and IFF ILBM or PBM (.LBM).", 0,
     0, nullptr, kPictureCommands},
    {"new",
     "NAME FOLDER",
     "start a new disc: the launcher as NAME.EXE, NAME.inf and a group description",
     "Makes FOLDER (new or empty) a starting disc for the product NAME: the launcher copied\n"
     "as NAME.EXE, an install script NAME.inf with [General] (the product's name, titles and\n"
     "instructions) and [StartupOptions], in ASCII with CR LF line ends as the launcher reads\n"
     "it, and beside FOLDER a commented group description NAME.groups for \"disctool script\".\n"
     "It then says what to do next. NAME is 1 to 32 ASCII letters, digits, \"_\" or \"-\",\n"
     "without a word that makes Windows take the launcher for an installer.\n"
     "\n"
     "Exit status 0 when made, 1 when a file cannot be written, 2 when the name is refused,\n"
     "FOLDER is not new or empty, NAME.groups exists or no launcher is found.",
     2,
     2,
     RunDiscNew,
     {},
     nullptr,
     kDiscNewOptions},
    {"check",
     "DISC_FOLDER",
     "report everything the launcher will see on a disc folder",
     "Reads the disc folder as the launcher will: the launcher (--launcher, else the one .exe\n"
     "in the folder, else the one .inf), its install script NAME.inf, the game NAME.a32,\n"
     "the proposed destination, the start-up picture and the component groups with their\n"
     "files, sizes and megabytes. Names compare without regard to case, as on Windows.\n"
     "Each finding is one line \"DISC/NAME.inf:LINE: error: ... [code]\"; the codes are\n"
     "listed below.\n"
     "\n"
     "Exit status 0 when the disc has no error (with --strict: no warning), 1 when it has,\n"
     "2 when the command line is wrong or the folder cannot be read as a disc.",
     1,
     1,
     RunDiscCheck,
     {},
     nullptr,
     kDiscCheckOptions,
     PrintFindingCodes},
    {"verify",
     "DISC_FOLDER",
     "tell which listed files the launcher would count installed and current",
     "For every listed file, the launcher's own test against the shared file PATH, which is\n"
     "only read: a recorded copy with exactly the source's last-write time is current; a\n"
     "recorded copy that is missing or has another time is stale (the launcher would forget\n"
     "the record; a copy is told as touched when its bytes are the disc's, changed when they\n"
     "differ, with both times); with nothing recorded, a copy with the source's time in the proposed\n"
     "destination is current (would be adopted), else the file is missing. Where either\n"
     "time is a whole second (a pressed disc keeps no fractions), both are compared in whole\n"
     "seconds. Section and key names are looked up in the code page. The report names\n"
     "the shared file it read. Under user account control a standard user's records are not\n"
     "in C:\\Windows\\tivoroo.ini but in %LOCALAPPDATA%\\VirtualStore\\Windows\\tivoroo.ini.\n"
     "At least one --drive is needed. The report ends with the count of each outcome.\n"
     "\n"
     "Exit status 0 when every required file is current, 1 when one is not, 2 when the\n"
     "command line is wrong (no --drive) or the shared file or the disc folder cannot be read.",
     1,
     1,
     RunDiscVerify,
     {},
     nullptr,
     kDiscVerifyOptions},
    {"script",
     "DESCRIPTION SCRIPT.inf",
     "write an install script's [Required] and [Optional] sections from a description",
     "Writes the numbered [Required] and [Optional] sections of SCRIPT.inf from DESCRIPTION,\n"
     "a text of one statement a line (lines starting with ';' or '#' are comments):\n"
     "\n"
     "  required NAME            starts a group of [Required] with its row text\n"
     "  optional NAME            starts a group of [Optional]\n"
     "  desc TEXT                the group's description\n"
     "  file PATH                files of the group: a path under the disc folder, with * and\n"
     "  file PATH = KEY          ? inside a name and ** for any number of folders (DIR\\**:\n"
     "                           every file below DIR); = KEY gives the record key of a path\n"
     "                           that names one file\n"
     "\n"
     "The description is UTF-8 with any line ends (CR LF, LF or CR). A file without a key gets\n"
     "one made of its name (DATA\\LEVEL1.DAT: DATA_LEVEL1_DAT; letters beyond ASCII spelt out,\n"
     "U+00DC as UE), the same whatever else is listed. Nothing is written when a group lists no\n"
     "file or a file twice. Over an existing script, the files added and removed and the keys\n"
     "changed are listed. In each group the files of the deepest folders come\n"
     "first, so that setup asks the fewest folder questions. The other sections of an\n"
     "existing SCRIPT.inf ([General], [StartupOptions], comments) are kept as they stand, and\n"
     "the file keeps its form and line ends (CR LF, LF or CR): texts and names are written in\n"
     "the code page (--codepage, default 1252), or in UTF-8 or little-endian UTF-16 after the\n"
     "byte order mark the script starts with. A big-endian UTF-16 script, or one that is not\n"
     "what its mark says, is refused (exit status 2).\n"
     "\n"
     "Exit status 0 when written, 1 when the description does not fit the disc (each problem\n"
     "as \"DESCRIPTION:LINE: error: ...\"), 2 when an input cannot be read.",
     2,
     2,
     RunDiscScript,
     {},
     nullptr,
     kDiscScriptOptions},
    {"master",
     "DISC_FOLDER IMAGE.iso",
     "check a disc folder and master it as an ISO 9660 image with Joliet names",
     "Runs check on DISC_FOLDER and, when it finds no error (with --strict: no warning),\n"
     "writes IMAGE.iso through xorriso: ISO 9660 with Joliet names as Windows shows them,\n"
     "every file with its last-write time, which makes installs from the disc current.\n"
     "ISO 9660 keeps times to the second; a note tells when files have fractions. The\n"
     "image's Joliet tree is then read back, and every file the launcher reads from the disc\n"
     "(launcher, script, game, start-up picture, listed files) must be there under its name\n"
     "with its size and last-write time (whole seconds, a fraction on the disc cut); any\n"
     "difference is listed and no image is kept. IMAGE.iso must be a new name or a regular\n"
     "file, which is replaced. The volume dates are the newest file's last-write time, or\n"
     "SOURCE_DATE_EPOCH when set: the same folder gives the same image byte for byte.\n"
     "\n"
     "Exit status 0 when the image is written, 1 when the check fails, xorriso fails or is\n"
     "missing, or the image read back differs (nothing is written then), 2 when the command\n"
     "line is wrong or the folder cannot be read as a disc.",
     2,
     2,
     RunDiscMaster,
     {},
     nullptr,
     kDiscMasterOptions},
};

}  // namespace

const Command kRoot = {
    "disctool",
    nullptr,
    nullptr,
    "Authoring tool for product discs. \"disctool --version\" prints its version.\n"
    "\n"
    "Exit status of every command: 0 done and clean; 1 findings (an error, or with --strict\n"
    "a warning) or an operation that failed; 2 a command line that fits no command, or\n"
    "input that could not be read at all.",
    0,
    0,
    nullptr,
    kTopCommands};

}  // namespace disctool
