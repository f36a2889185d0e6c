#!/usr/bin/env python3
"""Writes the console program's icon resource: the product icon's drawing
(make_icon.py) redrawn at 16, 20, 24, 32 and 48 pixels in 32-bit colour with
an alpha channel, one image per size, so that Windows picks the one that fits
the notification area and the window at any display scaling. The installed
icon file (assets/varnholde.ico) is not touched."""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_icon  # noqa: E402

SIZES = (16, 20, 24, 32, 48)


def scaled(a, b, scale):
    """A span of the 32-pixel drawing on the target grid, at least a pixel."""
    start = int(a * scale + 0.5)
    return start, max(start + 1, int(b * scale + 0.5))


def draw(size):
    """The drawing's shapes (make_icon.py's, in its 32-pixel units) filled on
    a size x size grid in the same palette colours, never blended, so that
    thin strokes stay whole and keep their colour at every size: rows of
    (r, g, b, a)."""
    scale = size / make_icon.SIZE
    px = [[None] * size for _ in range(size)]

    def fill(x0, y0, x1, y1, colour):
        xs, ys = scaled(x0, x1, scale), scaled(y0, y1, scale)
        for y in range(*ys):
            for x in range(*xs):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = colour

    fill(1, 2, 31, 30, make_icon.NAVY)  # the tile
    for x, y in ((1, 2), (30, 2), (1, 29), (30, 29)):  # its cut corners
        fill(x, y, x + 1, y + 1, None)
    fill(1, 3, 31, 7, make_icon.GREY)  # the title strip
    fill(3, 28, 28, 29, make_icon.SILVER)
    for i in range(6):  # the prompt ">"
        fill(7 + i, 11 + i, 9 + i, 12 + i, make_icon.WHITE)
        fill(7 + i, 22 - i, 9 + i, 23 - i, make_icon.WHITE)
    fill(16, 21, 25, 23, make_icon.YELLOW)  # the cursor "_"
    rows = []
    for row in px:
        out = []
        for index in row:
            if index is None:
                out.append((0, 0, 0, 0))
            else:
                out.append(make_icon.PALETTE[index] + (255,))
        rows.append(out)
    return rows


def image_bytes(rows, size):
    """A 32-bit BMP image with its AND mask, as an .ico entry holds it."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(rows):  # BMP rows run bottom-up
        for (r, g, b, a) in row:
            colour += bytes((b, g, r, a))
        bits = 0
        for (_, _, _, a) in row:
            bits = (bits << 1) | (1 if a == 0 else 0)
        bits <<= mask_stride * 8 - size
        mask += bits.to_bytes(mask_stride, "big")
    return header + bytes(colour) + bytes(mask)


def icon_bytes():
    images = [image_bytes(draw(size), size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, image in zip(SIZES, images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "console/console_icon.ico"
    with open(out, "wb") as f:
        f.write(icon_bytes())
