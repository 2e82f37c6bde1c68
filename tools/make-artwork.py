#!/usr/bin/env python3
"""Draws the program's own icon, hand pointer and drag pointer into resources/.

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


def program_icon(size=64):
    """A sheet with lines of text and an orange swap bar over a teal tile."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            r = 10
            inside = r <= x < size - r or r <= y < size - r or \
                min((x - cx) ** 2 + (y - cy) ** 2 for cx in (r, size - r - 1) for cy in (r, size - r - 1)) <= r * r
            px = (32, 120, 128, 255) if inside else (0, 0, 0, 0)
            if 14 <= x < 50 and 8 <= y < 56:
                px = (250, 250, 245, 255)
                if 20 <= x < 44 and y in (16, 17, 24, 25, 32, 33, 40, 41):
                    px = (90, 90, 90, 255)
            if 8 <= x < 56 and 44 <= y < 52:
                px = (240, 140, 30, 255)
            row.append(px)
        rows.append(row)
    return rows


def main():
    OUT.mkdir(exist_ok=True)
    (OUT / "HAND-M.CUR").write_bytes(icon_file(pixels_from_art(HAND), 2, hotspot=(7, 0)))
    (OUT / "drag.ico").write_bytes(icon_file(pixels_from_art(DRAG), 1))
    (OUT / "icon.png").write_bytes(png(64, 64, program_icon()))


if __name__ == "__main__":
    main()
