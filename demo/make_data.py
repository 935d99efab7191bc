#!/usr/bin/env python3
"""Writes the sample product's data files into a disc folder.

Every byte follows from the file's name, so two builds give the same files, and every file
gets the same fixed last-write time, as if the disc had been pressed on one day. A copy
installed from an earlier build therefore stays current after a rebuild: the launcher
compares only last-write times. A file whose contents are already right is not rewritten.

Usage: make_data.py DISC_FOLDER STAMP_FILE
"""
import hashlib
import os
import sys

# When the disc was "pressed": 2024-03-01 12:00:00 UTC.
DISC_TIME = 1709294400

# (path under the disc folder, size in bytes, kind). The install script lists them.
FILES = [
    ("README.TXT", 0, "readme"),
    ("DATA/CORE.PAK", 1_200_000, "binary"),
    ("DATA/LEVELS/LEVEL1.DAT", 180_000, "binary"),
    ("DATA/LEVELS/LEVEL2.DAT", 210_000, "binary"),
    ("SOUND/EFFECTS.SND", 400_000, "binary"),
    ("SOUND/MUSIC/THEME.MID", 60_000, "binary"),
    ("MOVIES/INTRO.AVI", 1_500_000, "binary"),
    ("EXTRAS/LEVELS/BONUS1.DAT", 150_000, "binary"),
    ("EXTRAS/LEVELS/BONUS2.DAT", 170_000, "binary"),
    ("EXTRAS/MANUAL.TXT", 0, "manual"),
]

README = """Tivoroo DEMO
============

A sample product disc. Start DEMO.EXE: the first time it offers to install the
game files into C:\\Tivoroo\\DEMO\\, then shows its start-up picture and runs the
game, DEMO.a32. Once installed it goes straight to the picture and the game.

Start DEMO.EXE /a to see the setup dialog again.
"""

MANUAL = """Tivoroo DEMO - manual
=====================

Watch the colours. Press any key or click to end the game.
"""


def binary_contents(name, size):
    """Bytes that look like game data: hash output in counter mode, seeded by the name."""
    seed = hashlib.sha256(name.encode("ascii")).digest()
    out = bytearray()
    counter = 0
    while len(out) < size:
        out += hashlib.sha256(seed + counter.to_bytes(8, "little")).digest()
        counter += 1
    return bytes(out[:size])


def text_contents(text):
    return text.replace("\n", "\r\n").encode("ascii")


def contents(name, size, kind):
    if kind == "readme":
        return text_contents(README)
    if kind == "manual":
        return text_contents(MANUAL)
    return binary_contents(name, size)


def write_if_changed(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    disc, stamp = argv[1], argv[2]
    total = 0
    for name, size, kind in FILES:
        path = os.path.join(disc, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        data = contents(name, size, kind)
        write_if_changed(path, data)
        os.utime(path, (DISC_TIME, DISC_TIME))
        total += len(data)
    with open(stamp, "w", encoding="ascii") as f:
        f.write(f"{len(FILES)} files, {total} bytes\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
