#!/usr/bin/env python3
"""What a walk-through needs of a disc: read from the report of `disctool check --json DISC`,
and a folder that stands for the disc.

    disc_report.py vars REPORT PREFIX
        Shell assignments for the walk-through: LAUNCHER and GAME (their file names on the
        disc), NAME (the product's section of the shared file), DEST_WIN (the destination the
        setup dialog proposes) and DEST (that folder in the Wine prefix PREFIX, empty when it is
        not on a drive letter). Values are quoted for `eval`.

    disc_report.py files REPORT DISC DEST [--required]
        One line per listed file (with --required, of the required groups only):
        KEY, the record the launcher writes for it, its path on the disc and the path of its
        copy below DEST, separated by tabs. Names match without regard to case, as on Windows;
        a path that does not exist is given as the script spells it.

    disc_report.py links DISC FOLDER
        Makes FOLDER (new) a tree of links to the files of DISC, each link carrying its
        file's times: Wine reads a link's own times in places, and the launcher takes an
        install for current by the times.

    disc_report.py machine EXE
        "i386", "x86_64" or "other": the machine a Windows program is built for.

Exit status 0 on success, 2 when the report cannot be read.
"""
import json
import os
import shlex
import struct
import sys


def fail(message):
    print(f"disc_report: {message}", file=sys.stderr)
    sys.exit(2)


def load(path):
    try:
        with open(path, encoding="utf-8") as stream:
            return json.load(stream)
    except (OSError, ValueError) as error:
        fail(f"cannot read the report {path}: {error}")


def resolve(base, name):
    """The path of the Windows relative name below base, each component matched without case
    (an exact match preferred); components that do not exist keep their spelling."""
    path = base
    parts = [part for part in name.replace("\\", "/").split("/") if part]
    for index, part in enumerate(parts):
        if part in (".", ".."):
            fail(f"{name!r} leaves its folder")
        candidate = os.path.join(path, part)
        if not os.path.lexists(candidate):
            try:
                matches = [e for e in os.listdir(path) if e.lower() == part.lower()]
            except OSError:
                matches = []
            if matches:
                candidate = os.path.join(path, sorted(matches)[0])
            else:
                return os.path.join(path, *parts[index:])
        path = candidate
    return path


def prefix_folder(prefix, destination):
    """The folder of the Windows path destination in the Wine prefix, or "" when it does not
    start with a drive letter (a network name)."""
    if len(destination) < 3 or not destination[0].isalpha() or destination[1:3] != ":\\":
        return ""
    drive = os.path.join(prefix, "dosdevices", destination[0].lower() + ":")
    return resolve(drive, destination[3:]).rstrip("/")


def cmd_vars(report, prefix):
    base = os.path.splitext(report["launcher"])[0]
    values = {
        "LAUNCHER": report["launcher"],
        "GAME": report.get("game") or base + ".a32",
        "NAME": report["section"],
        "DEST_WIN": report["destination"],
        "DEST": prefix_folder(prefix, report["destination"]),
    }
    for key, value in values.items():
        print(f"{key}={shlex.quote(value)}")


def cmd_files(report, disc, dest, required_only):
    for group in report["groups"]:
        if required_only and group["section"] != "Required":
            continue
        for listed in group["files"]:
            name = listed["name"]
            record = report["destination"] + name
            copy = resolve(dest, name) if dest else ""
            print("\t".join((listed["key"], record, resolve(disc, name), copy)))


def cmd_links(disc, folder):
    try:
        os.mkdir(folder)
        for here, folders, files in os.walk(disc):
            there = os.path.join(folder, os.path.relpath(here, disc))
            for name in folders:
                os.mkdir(os.path.join(there, name))
            for name in files:
                source = os.path.join(here, name)
                link = os.path.join(there, name)
                os.symlink(os.path.abspath(source), link)
                status = os.stat(source)
                os.utime(link, ns=(status.st_atime_ns, status.st_mtime_ns), follow_symlinks=False)
    except OSError as error:
        fail(f"cannot link {disc} into {folder}: {error}")


def cmd_machine(path):
    try:
        with open(path, "rb") as stream:
            head = stream.read(4096)
    except OSError as error:
        fail(f"cannot read {path}: {error}")
    machine = "other"
    if len(head) >= 0x40 and head[:2] == b"MZ":
        offset = struct.unpack_from("<I", head, 0x3C)[0]
        if offset + 6 <= len(head) and head[offset:offset + 4] == b"PE\0\0":
            code = struct.unpack_from("<H", head, offset + 4)[0]
            machine = {0x14C: "i386", 0x8664: "x86_64"}.get(code, "other")
    print(machine)


def main(argv):
    if len(argv) >= 3 and argv[0] == "vars":
        cmd_vars(load(argv[1]), argv[2])
    elif len(argv) >= 4 and argv[0] == "files":
        cmd_files(load(argv[1]), argv[2], argv[3], "--required" in argv[4:])
    elif len(argv) == 3 and argv[0] == "links":
        cmd_links(argv[1], argv[2])
    elif len(argv) == 2 and argv[0] == "machine":
        cmd_machine(argv[1])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
