#!/usr/bin/env python3
"""Draws the product icon: a 32 x 32, 16-colour console prompt on a dark
blue tile, written as a Windows .ico (one BMP image with its AND mask)."""
import struct
import sys

SIZE = 32
# The 16 colours of the standard Windows palette (R, G, B).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, GREY, WHITE, YELLOW, SILVER = 0, 4, 8, 15, 11, 7  # palette indexes


def draw():
    """Returns rows top to bottom of palette indexes and a transparency mask."""
    px = [[None] * SIZE for _ in range(SIZE)]
    for y in range(2, 30):  # the tile, with cut corners
        for x in range(1, 31):
            corner = (y in (2, 29)) and (x in (1, 30))
            if not corner:
                px[y][x] = NAVY
    for x in range(1, 31):  # a title strip, like the console's band
        for y in range(3, 7):
            if px[y][x] is not None:
                px[y][x] = GREY
    for x in range(3, 28):
        px[28][x] = SILVER
    # The prompt ">" in white.
    for i in range(6):
        for t in range(2):
            px[11 + i][7 + i + t] = WHITE
            px[22 - i][7 + i + t] = WHITE
    # The cursor "_" in yellow.
    for x in range(16, 25):
        for y in range(21, 23):
            px[y][x] = YELLOW
    return px


def icon_bytes():
    px = draw()
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):  # BMP rows run bottom-up
        row = px[y]
        for x in range(0, SIZE, 2):
            hi = row[x] if row[x] is not None else BLACK
            lo = row[x + 1] if row[x + 1] is not None else BLACK
            xor.append((hi << 4) | lo)
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        mask += bits.to_bytes(4, "big")
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "assets/varnholde.ico"
    with open(out, "wb") as f:
        f.write(icon_bytes())
