#!/usr/bin/env python3
"""Draws the uninstaller's icon: a white product box on the blue gradient
tile of the product's windows, crossed out in red. Writes a Windows .ico
with one 32 x 32, 256-colour (8 bits per pixel) image and its AND mask.

Usage: make_uninstall_icon.py [output.ico]   (default uninstall/uninstall.ico)
"""
import os
import struct
import sys

SIZE = 32


def draw():
    """Rows top to bottom of (r, g, b) colours, None where transparent."""
    px = [[None] * SIZE for _ in range(SIZE)]
    for y in range(1, 31):  # the tile, corners cut, fading like the windows
        blue = min(330 - 255 * (y - 1) // 29, 255)
        for x in range(1, 31):
            if (y in (1, 30)) and (x in (1, 30)):
                continue
            px[y][x] = (0, 0, blue)
    for y in range(9, 25):  # the product box with its lid
        for x in range(6, 22):
            edge = y in (9, 24) or x in (6, 21)
            px[y][x] = (96, 96, 96) if edge else (255, 255, 255)
    for x in range(6, 22):
        px[13][x] = (160, 160, 160)
    for x in range(12, 16):
        for y in range(9, 13):
            px[y][x] = (192, 192, 192)  # the tape over the lid
    for i in range(13):  # a thick red cross over the lower right
        for dx in (-1, 0, 1):
            a, b = 15 + i, 15 + i + dx
            c = 27 - i + dx
            for x, y in ((b, a), (c, a)):
                if 14 <= x <= 28:
                    px[y][x] = (128, 0, 0) if dx else (230, 20, 20)
    return px


def ico_bytes(px):
    colours = sorted({c for row in px for c in row if c is not None})
    assert len(colours) <= 255, "too many colours for one palette"
    palette = [(0, 0, 0)] + colours  # index 0 lies under the transparent pixels
    index = {c: i for i, c in enumerate(palette)}
    palette += [(0, 0, 0)] * (256 - len(palette))

    xor = b"".join(bytes(index.get(c, 0) if c is not None else 0 for c in row)
                   for row in reversed(px))
    and_rows = []
    for row in reversed(px):
        bits = 0
        for x, c in enumerate(row):
            if c is None:
                bits |= 1 << (31 - x)
        and_rows.append(struct.pack(">I", bits))
    mask = b"".join(and_rows)

    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0,
                         len(xor) + len(mask), 0, 0, 256, 0)
    colour_table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    image = header + colour_table + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "uninstall",
                                                             "uninstall.ico")
    with open(out, "wb") as f:
        f.write(ico_bytes(draw()))


if __name__ == "__main__":
    main()
