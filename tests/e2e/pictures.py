#!/usr/bin/env python3
"""Writes a start-up picture for the end-to-end scenarios, and what it must look like.

    pictures.py OUT WIDTH HEIGHT EXPECTED.ppm

OUT's extension picks the format: .WIZ (run-length lines of fills and literals), .PCX
(8 bits, one plane, run-length rows of an even byte count, palette at the end) or .LBM
(an 8-plane ILBM with ByteRun1 rows). EXPECTED.ppm is the picture through its own palette,
as the launcher must show it on a true-colour display. Pixels use palette entries 10-245
only, so that the system colours at both ends of an 8-bit display's palette stay unused.
The pattern changes along every row and down every column, so an image drawn one pixel off
does not match.
"""
import struct
import sys


def index(x, y):
    # Runs of four equal pixels every 16 columns give the run-length coders fills to write.
    if x % 16 < 4:
        return 10 + (y * 7) % 236
    return 10 + (x + 3 * y) % 236


def palette():
    return bytes(c for i in range(256) for c in ((i * 37) % 256, (i * 91 + 40) % 256, 255 - i))


def pixels(width, height):
    return [bytes(index(x, y) for x in range(width)) for y in range(height)]


def block(tag, payload):
    """A WIZ block: its size counts its own 8-byte header."""
    return tag + struct.pack(">I", len(payload) + 8) + payload


def chunk(tag, payload):
    """An IFF chunk: its size counts the payload only, and odd payloads are padded."""
    return tag + struct.pack(">I", len(payload)) + payload + b"\0" * (len(payload) % 2)


def wiz(width, height, rows):
    data = b""
    for row in rows:
        codes = b""
        x = 0
        while x < width:
            run = 1
            while x + run < width and run < 64 and row[x + run] == row[x]:
                run += 1
            if run >= 3:
                codes += bytes([((run - 1) << 2) | 2, row[x]])
            else:
                run = 0
                while x + run < width and run < 64 and not (
                        x + run + 2 < width and row[x + run] == row[x + run + 1] == row[x + run + 2]):
                    run += 1
                run = max(run, 1)
                codes += bytes([(run - 1) << 2]) + row[x:x + run]
            x += run
        data += struct.pack("<H", len(codes)) + codes
    header = struct.pack("<III", 1, width, height)
    return block(b"WIZ ", block(b"WIZH", header) + block(b"RGBS", palette()) + block(b"WIZD", data))


def pcx(width, height, rows):
    line = width + (width & 1)
    header = struct.pack("<BBBBHHHHHH48sBBHH58s", 10, 5, 1, 8, 0, 0, width - 1, height - 1,
                         72, 72, bytes(48), 0, 1, line, 1, bytes(58))
    data = bytearray()
    for row in rows:
        row = row + bytes(line - width)
        x = 0
        while x < line:
            run = 1
            while x + run < line and run < 63 and row[x + run] == row[x]:
                run += 1
            if run > 1 or row[x] >= 0xC0:
                data += bytes([0xC0 | run, row[x]])
            else:
                data.append(row[x])
            x += run
    return header + bytes(data) + b"\x0c" + palette()


def lbm(width, height, rows):
    row_bytes = (width + 15) // 16 * 2
    body = bytearray()
    for row in rows:
        for plane in range(8):
            bits = bytearray(row_bytes)
            for x in range(width):
                if row[x] >> plane & 1:
                    bits[x // 8] |= 0x80 >> (x % 8)
            for start in range(0, row_bytes, 128):
                literal = bits[start:start + 128]
                body += bytes([len(literal) - 1]) + literal
    bmhd = struct.pack(">HHhhBBBBHBBhh", width, height, 0, 0, 8, 0, 1, 0, 0, 1, 1, width, height)
    chunks = chunk(b"BMHD", bmhd) + chunk(b"CMAP", palette()) + chunk(b"BODY", bytes(body))
    return b"FORM" + struct.pack(">I", len(chunks) + 4) + b"ILBM" + chunks


def main():
    out, width, height, expected = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    rows = pixels(width, height)
    writer = {"WIZ": wiz, "PCX": pcx, "LBM": lbm}[out.rsplit(".", 1)[1].upper()]
    with open(out, "wb") as f:
        f.write(writer(width, height, rows))
    colours = palette()
    with open(expected, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height))
        f.write(b"".join(colours[3 * i:3 * i + 3] for row in rows for i in row))


if __name__ == "__main__":
    main()
