#!/usr/bin/env python3
"""Draws the sample product's start-up picture and encodes it as WIZ.

ImageMagick draws a 400 x 240 title card from built-in gradients, rays and text and
quantises it to at most 236 colours. This script then gives those colours the palette
entries 10-245 and fills entries 0-9 and 246-255 with the usual Windows system colours,
which an 8-bit palette display keeps for itself, so the picture looks the same on every
display. The indexed PNG that results is encoded by `disctool picture encode`, which
decodes the WIZ file with the launcher's own loader before writing it.

Usage: make_picture.py CONVERT DISCTOOL FONT_DIR WORK_DIR OUT.WIZ
"""
import math
import os
import struct
import subprocess
import sys
import zlib

WIDTH, HEIGHT = 400, 240
FIRST_FREE, LAST_FREE = 10, 245  # palette entries the picture may use
SYSTEM_LOW = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128),
              (128, 0, 128), (0, 128, 128), (192, 192, 192), (192, 220, 192), (166, 202, 240)]
SYSTEM_HIGH = [(255, 251, 240), (160, 160, 164), (128, 128, 128), (255, 0, 0), (0, 255, 0),
               (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
STARS = [(40, 30), (350, 40), (300, 20), (90, 70), (370, 110), (20, 120), (150, 25), (250, 60)]


def rays_draw(cx, cy, count=16, reach=600):
    """An ImageMagick draw string of `count` light rays fanning out from (cx, cy)."""
    step = 360.0 / count
    parts = []
    for i in range(count):
        points = [(cx, cy)]
        for angle in (i * step, i * step + step * 0.4):
            a = math.radians(angle)
            points.append((cx + round(reach * math.cos(a)), cy - round(reach * math.sin(a))))
        parts.append("polygon " + " ".join(f"{x},{y}" for x, y in points))
    return " ".join(parts)


def draw_card(convert, font_dir, ppm):
    inner_w, inner_h = WIDTH - 8, HEIGHT - 8  # two 2-pixel borders go round it
    size = f"{inner_w}x{inner_h}"
    stars = " ".join(f"circle {x},{y} {x + 1},{y + 1}" for x, y in STARS)
    bold = os.path.join(font_dir, "DejaVuSans-Bold.ttf")
    oblique = os.path.join(font_dir, "DejaVuSans-Oblique.ttf")
    plain = os.path.join(font_dir, "DejaVuSans.ttf")
    cmd = [
        convert, "-size", size, "gradient:#241a5e-#b0306a",
        "(", "-size", size, "xc:none", "-fill", "#ffffff18", "-draw",
        rays_draw(inner_w // 2, inner_h * 5 // 8), ")", "-compose", "over", "-composite",
        "(", "-size", size, "radial-gradient:#ffc060-#000000", ")", "-compose", "screen", "-composite",
        "(", "-size", size, "xc:none", "-fill", "#ffffffa0", "-draw", stars, ")",
        "-compose", "over", "-composite",
        "-gravity", "center", "-font", bold, "-pointsize", "80",
        "-fill", "#fff4d8", "-stroke", "#3a1030", "-strokewidth", "3", "-annotate", "+0-22", "DEMO",
        "-stroke", "none", "-annotate", "+0-22", "DEMO",
        "-fill", "#ffffffe0", "-font", oblique, "-pointsize", "18", "-annotate", "+0+40", "a Tivoroo product",
        "-fill", "#f0e0ff", "-font", plain, "-pointsize", "12", "-gravity", "south",
        "-annotate", "+0+10", "Thank you for installing. Enjoy the show!",
        "-bordercolor", "#2a1040", "-border", "2", "-bordercolor", "#f0c060", "-border", "2",
        "-depth", "8", "-colors", str(LAST_FREE - FIRST_FREE + 1), "ppm:" + ppm,
    ]
    subprocess.run(cmd, check=True)


def read_ppm(path):
    """(width, height, rgb bytes) of a binary PPM with maxval 255."""
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    pos += 1
    magic, width, height, maxval = fields[0], int(fields[1]), int(fields[2]), int(fields[3])
    if magic != b"P6" or maxval != 255:
        raise ValueError(f"{path}: expected an 8-bit binary PPM")
    rgb = data[pos:pos + width * height * 3]
    if len(rgb) != width * height * 3:
        raise ValueError(f"{path}: short pixel data")
    return width, height, rgb


def to_indexed(width, height, rgb):
    """Palette (256 triples) and one index byte per pixel; picture colours from entry 10 on."""
    palette = SYSTEM_LOW + [(0, 0, 0)] * (LAST_FREE - FIRST_FREE + 1) + SYSTEM_HIGH
    index_of = {}
    pixels = bytearray(width * height)
    for i in range(width * height):
        colour = rgb[3 * i:3 * i + 3]
        index = index_of.get(colour)
        if index is None:
            index = FIRST_FREE + len(index_of)
            if index > LAST_FREE:
                raise ValueError("more colours than free palette entries")
            index_of[colour] = index
            palette[index] = tuple(colour)
        pixels[i] = index
    return palette, bytes(pixels)


def png_chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def write_indexed_png(path, width, height, palette, pixels):
    raw = b"".join(b"\0" + pixels[y * width:(y + 1) * width] for y in range(height))
    png = b"\x89PNG\r\n\x1a\n"
    png += png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0))
    png += png_chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    png += png_chunk(b"IDAT", zlib.compress(raw, 9))
    png += png_chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main(argv):
    if len(argv) != 6:
        sys.stderr.write(__doc__)
        return 2
    convert, disctool, font_dir, work, out = argv[1:]
    os.makedirs(work, exist_ok=True)
    ppm = os.path.join(work, "card.ppm")
    png = os.path.join(work, "card.png")
    draw_card(convert, font_dir, ppm)
    width, height, rgb = read_ppm(ppm)
    if (width, height) != (WIDTH, HEIGHT):
        raise ValueError(f"card is {width} x {height}, expected {WIDTH} x {HEIGHT}")
    palette, pixels = to_indexed(width, height, rgb)
    write_indexed_png(png, width, height, palette, pixels)
    subprocess.run([disctool, "picture", "encode", png, out], check=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
