#!/usr/bin/env python3
"""Writes view_buttons.bmp, the two 16 x 16 images of the view toolbar.

The bitmap is checked in; run this again only to change the images:
    python3 resources/make_view_buttons.py resources/view_buttons.bmp
"""
import struct
import sys

# The standard 16-colour palette, in its usual index order.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREY, YELLOW, BLUE, WHITE = 0, 7, 11, 12, 15
WIDTH, HEIGHT = 32, 16


def draw():
    px = [[GREY] * WIDTH for _ in range(HEIGHT)]

    # Image 0, details view: three columns of dashes under a header rule.
    for row in (1, 5, 7, 9, 11, 13):
        for first, last in ((1, 3), (6, 8), (11, 13)):
            for col in range(first, last + 1):
                px[row][col] = BLACK
    for col in range(1, 14):
        px[3][col] = BLUE
    px[15][15] = WHITE

    # Image 1, list view: rows of small icons, each followed by a dash.
    for top in (1, 6, 11):
        for left in (1, 9):
            for r in range(top, top + 3):
                for c in range(left, left + 3):
                    px[r][16 + c] = BLUE
            px[top + 1][16 + left + 1] = YELLOW
            for c in range(left + 3, left + 6):
                px[top + 1][16 + c] = BLACK
    return px


def write(path):
    px = draw()
    stride = WIDTH // 2
    pixels = bytearray()
    for row in reversed(px):  # bottom-up
        for col in range(0, WIDTH, 2):
            pixels.append(row[col] << 4 | row[col + 1])
    assert len(pixels) == stride * HEIGHT == 256
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 4, 0, len(pixels), 0, 0, 16, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


if __name__ == "__main__":
    write(sys.argv[1] if len(sys.argv) > 1 else "view_buttons.bmp")
