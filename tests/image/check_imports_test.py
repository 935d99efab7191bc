"""The import check against small images made here: a function newer than the floor, one the
table does not know, a header asking for a newer system and a file cut short must each fail,
and an image that keeps to the floor must pass. Guards the check against passing whatever
the launcher imports."""
import os
import struct
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_imports  # noqa: E402
from pe_image import PeError, parse_image  # noqa: E402

SECTION_RVA = 0x1000
SECTION_OFFSET = 0x200


def make_image(machine, imports, subsystem_version=(4, 0), subsystem=2):
    """A PE image with one section holding the import table of imports {dll: [function]}."""
    wide = machine == "x86-64"
    thunk = "<Q" if wide else "<I"
    thunk_size = 8 if wide else 4
    # Layout inside the section: descriptors, then each DLL's lookup table, then the names.
    descriptors_size = 20 * (len(imports) + 1)
    tables_size = sum(thunk_size * (len(functions) + 1) for functions in imports.values())
    names = bytearray()
    section = bytearray(descriptors_size + tables_size)
    names_rva = SECTION_RVA + len(section)
    table_at = descriptors_size
    for index, (dll, functions) in enumerate(imports.items()):
        dll_rva = names_rva + len(names)
        names += dll.encode() + b"\0"
        struct.pack_into("<IIIII", section, 20 * index, SECTION_RVA + table_at, 0, 0, dll_rva, 0)
        for function in functions:
            struct.pack_into(thunk, section, table_at, names_rva + len(names))
            names += b"\0\0" + function.encode() + b"\0"
            table_at += thunk_size
        table_at += thunk_size
    section += names

    optional_size = 240 if wide else 224
    optional = bytearray(optional_size)
    struct.pack_into("<H", optional, 0, 0x20B if wide else 0x10B)
    struct.pack_into("<HH", optional, 40, 4, 0)
    struct.pack_into("<HH", optional, 48, *subsystem_version)
    struct.pack_into("<H", optional, 68, subsystem)
    directories_at = 112 if wide else 96
    struct.pack_into("<I", optional, directories_at - 4, 16)
    struct.pack_into("<II", optional, directories_at + 8, SECTION_RVA, descriptors_size)
    coff = struct.pack("<HHIIIHH", 0x8664 if wide else 0x14C, 1, 0, 0, 0, optional_size, 0x102)
    section_header = struct.pack("<8sIIIIIIHHI", b".idata", len(section), SECTION_RVA,
                                 len(section), SECTION_OFFSET, 0, 0, 0, 0, 0xC0000040)
    header = bytearray(b"MZ" + bytes(0x3A) + struct.pack("<I", 0x40))
    header += b"PE\0\0" + coff + optional + section_header
    assert len(header) <= SECTION_OFFSET
    return bytes(header + bytes(SECTION_OFFSET - len(header)) + section)


def run(machine, imports, **header):
    image = parse_image(make_image(machine, imports, **header))
    return check_imports.check(image, check_imports.FLOORS[machine])


class CheckImports(unittest.TestCase):
    def test_reads_what_was_written(self):
        imports = {"KERNEL32.dll": ["CloseHandle", "GetFileSize"], "USER32.dll": ["ShowWindow"]}
        for machine in ("i386", "x86-64"):
            image = parse_image(make_image(machine, imports))
            self.assertEqual(image.machine, machine)
            self.assertEqual(image.subsystem, "gui")
            self.assertEqual(image.imports, [("KERNEL32.dll", "CloseHandle"),
                                             ("KERNEL32.dll", "GetFileSize"),
                                             ("USER32.dll", "ShowWindow")])

    def test_an_image_within_the_floor_passes(self):
        failures, oldest = run("i386", {"KERNEL32.dll": ["CloseHandle"],
                                        "comctl32.dll": ["InitCommonControls"]})
        self.assertEqual(failures, [])
        self.assertEqual(check_imports.VERSIONS[oldest][0], "Windows NT 4.0")  # the header's 4.0

    def test_each_fault_fails_with_its_name(self):
        cases = [
            ("i386", {"KERNEL32.dll": ["CloseHandle", "GetTickCount64"]}, {},
             "KERNEL32.dll!GetTickCount64: first in Windows Vista"),
            ("i386", {"KERNEL32.dll": ["CloseHandle", "FrobnicateA"]}, {},
             "KERNEL32.dll!FrobnicateA: not in the table"),
            ("i386", {"EXTRA.dll": ["CloseHandle"]}, {}, "EXTRA.dll!CloseHandle: not in the table"),
            # A function of 64-bit Windows only is newer than the 32-bit floor.
            ("i386", {"KERNEL32.dll": ["RtlVirtualUnwind"]}, {}, "RtlVirtualUnwind: first in"),
            ("x86-64", {"KERNEL32.dll": ["GetTickCount64"]}, {}, "GetTickCount64: first in"),
            ("i386", {"KERNEL32.dll": ["CloseHandle"]}, {"subsystem_version": (6, 0)},
             "subsystem version 6.0"),
            ("i386", {}, {}, "no imports"),
            ("i386", {"KERNEL32.dll": ["CloseHandle"]}, {"subsystem": 3}, "console-subsystem image"),
        ]
        for machine, imports, header, expected in cases:
            with self.subTest(expected=expected):
                failures, _ = run(machine, imports, **header)
                self.assertEqual(len(failures), 1, failures)
                self.assertIn(expected, failures[0])

    def test_the_first_64_bit_windows_is_the_64_bit_floor(self):
        failures, _ = run("x86-64", {"KERNEL32.dll": ["RtlVirtualUnwind", "CloseHandle"]})
        self.assertEqual(failures, [])

    def test_a_file_cut_short_is_refused(self):
        data = make_image("i386", {"KERNEL32.dll": ["CloseHandle"]})
        for length in (0, 2, 0x40, 0x100, len(data) - 8):
            with self.subTest(length=length):
                with self.assertRaises(PeError):
                    parse_image(data[:length])


if __name__ == "__main__":
    unittest.main()
