#!/usr/bin/env python3
"""Draws the program's pictures: the band beside the diagram (Image1.bmp), the signal-head
marker of each junction (Marker.bmp), the LED lamps (DOWN.bmp) and the distance ruler
(Image14.jpg).

The bitmaps are written directly; the ruler is drawn as a PPM and compressed by ppm2jpeg.cpp,
a few lines of libjpeg that this script compiles in a temporary folder (it needs a C++
compiler and libjpeg-dev). Run it from anywhere; it writes next to itself. The output is
deterministic, so re-running it leaves the committed files unchanged.
"""

import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

CREAM = (0xFF, 0xFF, 0xEF)
KHAKI = (0xF0, 0xE6, 0x8C)
OLIVE = (0x8C, 0xA5, 0x52)
GREY = (0x80, 0x80, 0x80)


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def write_bmp24(path, width, height, pixel):
    """pixel(x, y) gives (r, g, b); y = 0 is the top row."""
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in reversed(range(height)):  # BMP rows run bottom-up
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    offset = 14 + 40
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + data)


# The 16 colours of a 4-bit bitmap, in the customary order.
PALETTE16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]


def write_bmp4(path, width, height, index):
    """index(x, y) gives a palette index 0..15; y = 0 is the top row."""
    stride = ((width + 1) // 2 + 3) & ~3
    rows = []
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(0, width, 2):
            high = index(x, y)
            low = index(x + 1, y) if x + 1 < width else 0
            row.append((high << 4) | low)
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE16)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(data), 3780, 3780, 16, 16)
    with open(path, "wb") as out:
        out.write(header + info + palette + data)


def image1(x, y):
    """18 x 36: cream to khaki to olive across columns 0..15, two dark columns at the right.
    The khaki point wanders a little from row to row; both ends stay exact."""
    if x == 16:
        return (0x5A, 0x5E, 0x48)
    if x == 17:
        return (0x46, 0x4A, 0x3A)
    knee = 7.0 + 0.8 * math.sin(y * 0.9)
    if x <= knee:
        return mix(CREAM, KHAKI, x / knee)
    return mix(KHAKI, OLIVE, (x - knee) / (15.0 - knee))


def marker(x, y):
    """17 x 6: cream-to-khaki in columns 0..9, a three-lamp signal head in 10..14, grey 15..16."""
    if x <= 9:
        return mix(CREAM, KHAKI, x / 9.0)
    if x <= 14:
        return [(0xFF, 0x00, 0x00), (0xFF, 0xFF, 0x00), (0x00, 0xFF, 0x00)][y // 2]
    return GREY


SILVER, NAVY, RED, LIME, BLUE, WHITE = 7, 4, 9, 10, 12, 15


def led(x, y):
    """76 x 19: four lamps of 19 x 19 in a navy ring on silver: red, green, blue, green."""
    cell, cx = divmod(x, 19)
    fill = [RED, LIME, BLUE, LIME][cell]
    d = math.hypot(cx + 0.5 - 9.5, y + 0.5 - 9.5)
    if d > 8.5:
        return SILVER
    if d > 5.8:
        return NAVY
    if (cx, y) in ((6, 6), (7, 6), (6, 7)):
        return WHITE  # a glint on the glass
    return fill


RULER_GROUND = (0xF7, 0xF3, 0xDE)
RULER_TICK = (0x6E, 0x64, 0x46)


def ruler(x, y):
    """4 x 241: a pale strip with a tick every 20 rows (a quarter mile once stretched beside
    the scale), longer ticks every 40 and full-width ticks every 80 (each mile)."""
    if y % 80 == 0:
        length = 4
    elif y % 40 == 0:
        length = 3
    elif y % 20 == 0:
        length = 2
    else:
        length = 0
    if x < length:
        return RULER_TICK
    shade = 6 if x == 3 else 0  # a faint edge toward the junction labels
    return tuple(c - shade for c in RULER_GROUND)


def write_jpeg(path, width, height, pixel):
    compiler = os.environ.get("CXX") or shutil.which("c++") or shutil.which("g++")
    if not compiler:
        sys.exit("make_pictures: a C++ compiler is needed to write the JPEG ruler")
    with tempfile.TemporaryDirectory() as work:
        tool = os.path.join(work, "ppm2jpeg")
        subprocess.run([compiler, "-O2", "-o", tool, os.path.join(HERE, "ppm2jpeg.cpp"), "-ljpeg"],
                       check=True)
        ppm = os.path.join(work, "ruler.ppm")
        with open(ppm, "wb") as out:
            out.write(b"P6\n%d %d\n255\n" % (width, height))
            out.write(bytes(c for y in range(height) for x in range(width) for c in pixel(x, y)))
        subprocess.run([tool, ppm, path], check=True)


def main():
    write_bmp24(os.path.join(HERE, "Image1.bmp"), 18, 36, image1)
    write_bmp24(os.path.join(HERE, "Marker.bmp"), 17, 6, marker)
    write_bmp4(os.path.join(HERE, "DOWN.bmp"), 76, 19, led)
    write_jpeg(os.path.join(HERE, "Image14.jpg"), 4, 241, ruler)


if __name__ == "__main__":
    main()
