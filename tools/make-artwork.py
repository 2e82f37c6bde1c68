#!/usr/bin/env python3
"""Draws the program's own icon (PNGs at 48, 64, 128 and 256 pixels and an SVG), hand pointer and drag
pointer into resources/.

Run by hand when the artwork changes; the outputs are committed.
"""
import struct
import zlib
from pathlib import Path

OUT = Path(__file__).resolve().parent.parent / "resources"

HAND = """
.......KK...............
......KWWK..............
......KWWK..............
......KWWK..............
......KWWK..............
......KWWKKK............
......KWWKWWKKK.........
......KWWKWWKWWKK.......
......KWWKWWKWWKWK......
..KK..KWWWWWWWWKWWK.....
.KWWK.KWWWWWWWWWWWK.....
.KWWWKKWWWWWWWWWWWK.....
..KWWWKWWWWWWWWWWWK.....
...KWWWWWWWWWWWWWWK.....
....KWWWWWWWWWWWWWK.....
....KWWWWWWWWWWWWK......
.....KWWWWWWWWWWWK......
.....KWWWWWWWWWWK.......
......KWWWWWWWWWK.......
......KWWWWWWWWWK.......
......KKKKKKKKKKK.......
"""

DRAG = """
K...................
KK..................
KWK.................
KWWK................
KWWWK...............
KWWWWK..............
KWWWWWK.............
KWWWWWWK............
KWWWWWWWK...........
KWWWWWKKKK..........
KWWKWWK.............
KWK.KWWK............
KK..KWWK..KKKKKKKKK.
K....KWWK.KBBBBBBBK.
.....KWWK.KKKKKKKKK.
......KK..KBBBBBBBK.
..........KKKKKKKKK.
..........KBBBBBBBK.
..........KKKKKKKKK.
"""

COLOURS = {
    "K": (0, 0, 0, 255),
    "W": (255, 255, 255, 255),
    "B": (70, 130, 200, 255),
    ".": (0, 0, 0, 0),
}


def pixels_from_art(art, size=32):
    rows = [r for r in art.strip("\n").split("\n")]
    grid = [[(0, 0, 0, 0)] * size for _ in range(size)]
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            grid[y][x] = COLOURS[ch]
    return grid


def icon_file(grid, kind, hotspot=(0, 0)):
    """A one-image .ico (kind 1) or .cur (kind 2) with a 32-bit bitmap and its mask."""
    size = len(grid)
    xor = bytearray()
    for row in reversed(grid):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask = bytearray()
    row_bytes = ((size + 31) // 32) * 4
    for row in reversed(grid):
        bits = bytearray(row_bytes)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + xor + mask
    if kind == 2:
        a, b = hotspot
    else:
        a, b = 1, 32
    header = struct.pack("<HHH", 0, kind, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, a, b, len(image), 6 + 16)
    return header + entry + image


def png(width, height, rgba_rows):
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in rgba_rows)

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


# The program icon in a 64-unit square, topmost shape last: a teal tile with
# rounded corners, a sheet with lines of text and an orange swap bar. The PNGs
# and the SVG are drawn from these same shapes.
TILE = (32, 120, 128)
SHEET = (250, 250, 245)
TEXT_LINE = (90, 90, 90)
BAR = (240, 140, 30)
CORNER = 10
ICON_RECTS = [((14, 8, 50, 56), SHEET)] + \
    [((20, y, 44, y + 2), TEXT_LINE) for y in (16, 24, 32, 40)] + [((8, 44, 56, 52), BAR)]


def icon_colour_at(u, v):
    """The colour at a point of the 64-unit square, or None outside the tile."""
    colour = None
    r = CORNER
    if 0 <= u < 64 and 0 <= v < 64:
        cx = min(max(u, r), 64 - r)
        cy = min(max(v, r), 64 - r)
        if (u - cx) ** 2 + (v - cy) ** 2 <= r * r:
            colour = TILE
    for (x0, y0, x1, y1), c in ICON_RECTS:
        if x0 <= u < x1 and y0 <= v < y1:
            colour = c
    return colour


def program_icon(size=64, samples=4):
    """The icon as RGBA rows of size x size pixels, smoothed by supersampling."""
    rows = []
    scale = 64 / size
    for y in range(size):
        row = []
        for x in range(size):
            total = [0, 0, 0]
            covered = 0
            for i in range(samples):
                for j in range(samples):
                    c = icon_colour_at((x + (i + 0.5) / samples) * scale, (y + (j + 0.5) / samples) * scale)
                    if c:
                        covered += 1
                        total = [t + k for t, k in zip(total, c)]
            if covered:
                row.append(tuple(round(t / covered) for t in total) + (round(255 * covered / samples ** 2),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def program_icon_svg():
    def hexc(c):
        return "#%02x%02x%02x" % c
    shapes = ['<rect width="64" height="64" rx="%d" fill="%s"/>' % (CORNER, hexc(TILE))]
    for (x0, y0, x1, y1), c in ICON_RECTS:
        shapes.append('<rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>' % (x0, y0, x1 - x0, y1 - y0, hexc(c)))
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">\n  '
            + "\n  ".join(shapes) + "\n</svg>\n")


def main():
    OUT.mkdir(exist_ok=True)
    (OUT / "HAND-M.CUR").write_bytes(icon_file(pixels_from_art(HAND), 2, hotspot=(7, 0)))
    (OUT / "drag.ico").write_bytes(icon_file(pixels_from_art(DRAG), 1))
    (OUT / "icon.png").write_bytes(png(64, 64, program_icon()))
    # The desktop's menus and software centres pick the size they need.
    (OUT / "icons").mkdir(exist_ok=True)
    for size in (48, 128, 256):
        (OUT / "icons" / f"tallowmere-{size}.png").write_bytes(png(size, size, program_icon(size)))
    (OUT / "icons" / "tallowmere.svg").write_text(program_icon_svg())


if __name__ == "__main__":
    main()
