"""Reads a Windows PE image (.exe or .dll, 32 or 64 bits) as a file, without running it: the
machine, the subsystem and the versions the header asks for, and the import table.

    from pe_image import read_image
    image = read_image("launcher.exe")
    image.machine, image.subsystem, image.subsystem_version, image.imports

Run as a program, it prints the header facts and one "DLL function" line per import.
Every offset is checked against the file before it is read, every walk over a table is
bounded, and a malformed image raises PeError with the reason.
"""
import struct
import sys

MACHINES = {0x014C: "i386", 0x8664: "x86-64"}
SUBSYSTEMS = {2: "gui", 3: "console"}

# Bounds on the tables walked, far above any real image.
MAX_SECTIONS = 96
MAX_IMPORTED_DLLS = 1024
MAX_IMPORTS_PER_DLL = 65536
MAX_NAME = 512
IMPORT_DIRECTORY = 1
DELAY_IMPORT_DIRECTORY = 13


class PeError(Exception):
    pass


class Image:
    def __init__(self):
        self.machine = None             # "i386", "x86-64" or "0x...."
        self.subsystem = None           # "gui", "console" or the number
        self.os_version = None          # (major, minor) of the operating system asked for
        self.subsystem_version = None   # (major, minor) of the subsystem asked for
        self.imports = []               # (dll, function); "#n" for an import by ordinal
        self.delay_imports = False      # whether the image has delay-loaded imports


class _Reader:
    def __init__(self, data):
        self.data = data

    def unpack(self, fmt, offset):
        size = struct.calcsize(fmt)
        if offset < 0 or offset + size > len(self.data):
            raise PeError("read of %d bytes at 0x%x is outside the file" % (size, offset))
        return struct.unpack_from(fmt, self.data, offset)

    def string(self, offset):
        if offset < 0 or offset >= len(self.data):
            raise PeError("name at 0x%x is outside the file" % offset)
        end = self.data.find(b"\0", offset, offset + MAX_NAME)
        if end < 0:
            raise PeError("name at 0x%x has no end within %d bytes" % (offset, MAX_NAME))
        return self.data[offset:end].decode("ascii", "replace")


def read_image(path):
    with open(path, "rb") as f:
        return parse_image(f.read())


def parse_image(data):
    r = _Reader(data)
    image = Image()
    if r.unpack("<2s", 0)[0] != b"MZ":
        raise PeError("no MZ header")
    pe = r.unpack("<I", 0x3C)[0]
    if r.unpack("<4s", pe)[0] != b"PE\0\0":
        raise PeError("no PE signature")
    machine, sections, _, _, _, optional_size, _ = r.unpack("<HHIIIHH", pe + 4)
    image.machine = MACHINES.get(machine, "0x%04x" % machine)
    if sections > MAX_SECTIONS:
        raise PeError("%d sections" % sections)
    optional = pe + 24
    magic = r.unpack("<H", optional)[0]
    if magic == 0x10B:
        thunk_format, ordinal_flag, directories_at = "<I", 1 << 31, 96
    elif magic == 0x20B:
        thunk_format, ordinal_flag, directories_at = "<Q", 1 << 63, 112
    else:
        raise PeError("optional header magic 0x%x" % magic)
    if directories_at > optional_size:
        raise PeError("optional header of %d bytes has no data directories" % optional_size)
    os_major, os_minor = r.unpack("<HH", optional + 40)
    sub_major, sub_minor = r.unpack("<HH", optional + 48)
    image.os_version = (os_major, os_minor)
    image.subsystem_version = (sub_major, sub_minor)
    subsystem = r.unpack("<H", optional + 68)[0]
    image.subsystem = SUBSYSTEMS.get(subsystem, str(subsystem))
    directory_count = r.unpack("<I", optional + directories_at - 4)[0]
    directory_count = min(directory_count, (optional_size - directories_at) // 8)

    section_table = []
    for i in range(sections):
        _, virtual_size, virtual_address, raw_size, raw_offset = r.unpack(
            "<8sIIII", optional + optional_size + 40 * i)
        section_table.append((virtual_address, max(virtual_size, raw_size), raw_offset, raw_size))

    def offset_of(rva):
        for virtual_address, span, raw_offset, raw_size in section_table:
            if virtual_address <= rva < virtual_address + span:
                delta = rva - virtual_address
                if delta >= raw_size:
                    raise PeError("address 0x%x lies in a section's uninitialised part" % rva)
                return raw_offset + delta
        raise PeError("address 0x%x lies in no section" % rva)

    def directory(index):
        if index >= directory_count:
            return 0, 0
        return r.unpack("<II", optional + directories_at + 8 * index)

    image.delay_imports = directory(DELAY_IMPORT_DIRECTORY)[1] != 0
    imports_rva, imports_size = directory(IMPORT_DIRECTORY)
    if imports_size == 0:
        return image
    descriptor = offset_of(imports_rva)
    thunk_size = struct.calcsize(thunk_format)
    for _ in range(MAX_IMPORTED_DLLS):
        lookup, _, _, name_rva, address = r.unpack("<IIIII", descriptor)
        if lookup == 0 and name_rva == 0 and address == 0:
            return image
        dll = r.string(offset_of(name_rva))
        thunk = offset_of(lookup if lookup != 0 else address)
        for _ in range(MAX_IMPORTS_PER_DLL):
            entry = r.unpack(thunk_format, thunk)[0]
            if entry == 0:
                break
            if entry & ordinal_flag:
                image.imports.append((dll, "#%d" % (entry & 0xFFFF)))
            else:
                image.imports.append((dll, r.string(offset_of(entry & 0x7FFFFFFF) + 2)))
            thunk += thunk_size
        else:
            raise PeError("%s: more than %d imports" % (dll, MAX_IMPORTS_PER_DLL))
        descriptor += 20
    raise PeError("more than %d imported DLLs" % MAX_IMPORTED_DLLS)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: pe_image.py IMAGE\n")
        return 2
    try:
        image = read_image(argv[1])
    except (OSError, PeError) as error:
        sys.stderr.write("%s: %s\n" % (argv[1], error))
        return 1
    print("machine %s, subsystem %s %d.%d, operating system %d.%d" % (
        (image.machine, image.subsystem) + image.subsystem_version + image.os_version))
    for dll, function in image.imports:
        print(dll, function)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
