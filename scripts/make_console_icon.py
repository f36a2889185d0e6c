#!/usr/bin/env python3
"""Writes the console program's icon resource: the product icon's drawing
(make_icon.py) at 16, 20, 24, 32 and 48 pixels in 32-bit colour with an
alpha channel, one image per size, so that Windows picks the one that fits
the notification area and the window at any display scaling. The installed
icon file (assets/varnholde.ico) is not touched."""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_icon  # noqa: E402

SIZES = (16, 20, 24, 32, 48)
SAMPLES = 8  # samples per pixel edge when resampling the 32-pixel drawing


def resample(px, size):
    """Area-averages the drawing onto a size x size grid: rows of (r, g, b, a)."""
    source = make_icon.SIZE
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            r = g = b = a = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    u = int((x + (sx + 0.5) / SAMPLES) * source / size)
                    v = int((y + (sy + 0.5) / SAMPLES) * source / size)
                    index = px[v][u]
                    if index is None:
                        continue
                    cr, cg, cb = make_icon.PALETTE[index]
                    r, g, b, a = r + cr, g + cg, b + cb, a + 1
            n = SAMPLES * SAMPLES
            if a:
                row.append((r // a, g // a, b // a, a * 255 // n))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
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
    drawing = make_icon.draw()
    images = [image_bytes(resample(drawing, size), size) for size in SIZES]
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
