#!/usr/bin/env python3
"""Writes the images of the view toolbar, two square images side by side.

    view_buttons.bmp     16 x 16 images, for displays of 96 dots per inch
    view_buttons_32.bmp  32 x 32 images, drawn for high-resolution displays

Both are checked in; run this again only to change the images:
    python3 resources/make_view_buttons.py resources
"""
import os
import struct
import sys

# The standard 16-colour palette, in its usual index order.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, GREY, DARK_GREY, YELLOW, BLUE, WHITE = 0, 4, 7, 8, 11, 12, 15


def fill(px, top, left, bottom, right, colour):
    """Paints rows top..bottom and columns left..right, both inclusive."""
    for r in range(top, bottom + 1):
        for c in range(left, right + 1):
            px[r][c] = colour


def draw16():
    px = [[GREY] * 32 for _ in range(16)]

    # Image 0, details view: three columns of dashes under a header rule.
    for row in (1, 5, 7, 9, 11, 13):
        for first, last in ((1, 3), (6, 8), (11, 13)):
            fill(px, row, first, row, last, BLACK)
    fill(px, 3, 1, 3, 13, BLUE)
    px[15][15] = WHITE

    # Image 1, list view: rows of small icons, each followed by a dash.
    for top in (1, 6, 11):
        for left in (1, 9):
            fill(px, top, 16 + left, top + 2, 16 + left + 2, BLUE)
            px[top + 1][16 + left + 1] = YELLOW
            fill(px, top + 1, 16 + left + 3, top + 1, 16 + left + 5, BLACK)
    return px


def draw32():
    # The same two views at twice the size, with the detail the room allows:
    # strokes keep the small images' weight on a display of twice the dots,
    # columns get their dividers and icons their outline. The two bottom
    # rows stay empty, as the toolbar shows 15/16 of an image's height.
    px = [[GREY] * 64 for _ in range(32)]

    # Image 0, details view.
    columns = ((2, 7), (12, 17), (22, 27))
    for first, last in columns:
        fill(px, 2, first, 3, last, BLACK)  # header titles
    fill(px, 6, 2, 7, 27, BLUE)  # header rule
    for row in (10, 14, 18, 22, 26):
        for first, last in columns:
            fill(px, row, first, row + 1, last, BLACK)
    for col in (9, 19):
        fill(px, 10, col, 27, col, DARK_GREY)  # column dividers

    # Image 1, list view.
    for top in (2, 12, 22):
        for left in (2, 18):
            fill(px, top, 32 + left, top + 5, 32 + left + 5, NAVY)
            fill(px, top + 1, 32 + left + 1, top + 4, 32 + left + 4, BLUE)
            fill(px, top + 2, 32 + left + 2, top + 3, 32 + left + 3, YELLOW)
            fill(px, top + 2, 32 + left + 7, top + 3, 32 + left + 12, BLACK)
    return px


def write(path, px):
    height, width = len(px), len(px[0])
    pixels = bytearray()
    for row in reversed(px):  # bottom-up
        for col in range(0, width, 2):
            pixels.append(row[col] << 4 | row[col + 1])
    assert len(pixels) == width // 2 * height
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 0, 0, 16, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    write(os.path.join(folder, "view_buttons.bmp"), draw16())
    write(os.path.join(folder, "view_buttons_32.bmp"), draw32())
