#!/usr/bin/env python3
"""Draws the browser extension's four icons (16, 32, 48 and 128 pixels square, RGBA PNG):
an accent-coloured rounded square with a white arrow pointing down onto a bar.

    draw_extension_icons.py [FOLDER]     default: browser/extension of this repository

The PNG files are committed; this script is how they were made, and the extension's tests
run it again into a scratch folder and require byte-equal output, so a change to the
drawing cannot be forgotten. Only the standard library: coverage is sampled on a 4 x 4 grid
per pixel, so edges are smooth at every size.
"""

import os
import struct
import sys
import zlib

ACCENT = (0xD9, 0x86, 0x1A)
WHITE = (0xFF, 0xFF, 0xFF)
SIZES = (16, 32, 48, 128)
GRID = 4


def inside_rounded_square(x, y, radius):
    """x, y in 0..1; the square spans the whole icon with corners of this radius."""
    cx = min(max(x, radius), 1 - radius)
    cy = min(max(y, radius), 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_arrow(x, y):
    """The white mark, in 0..1 icon coordinates: a shaft, a head and a bar under it."""
    shaft = 0.42 <= x <= 0.58 and 0.18 <= y <= 0.52
    # Head: a triangle from (0.24, 0.46) and (0.76, 0.46) down to its tip at (0.5, 0.72).
    head = 0.46 <= y <= 0.72 and abs(x - 0.5) <= 0.26 * (0.72 - y) / 0.26
    bar = 0.22 <= x <= 0.78 and 0.78 <= y <= 0.86
    return shaft or head or bar


def pixel(px, py, size):
    square = mark = 0
    for sy in range(GRID):
        for sx in range(GRID):
            x = (px + (sx + 0.5) / GRID) / size
            y = (py + (sy + 0.5) / GRID) / size
            if inside_rounded_square(x, y, 0.22):
                square += 1
                if inside_arrow(x, y):
                    mark += 1
    samples = GRID * GRID
    if square == 0:
        return (0, 0, 0, 0)
    # Colour: the mix of mark and accent over the covered samples; alpha: the coverage.
    t = mark / square
    rgb = tuple(round(a * (1 - t) + w * t) for a, w in zip(ACCENT, WHITE))
    return rgb + (round(255 * square / samples),)


def png(size):
    rows = bytearray()
    for py in range(size):
        rows.append(0)  # filter: none
        for px in range(size):
            rows.extend(pixel(px, py, size))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9))
            + chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "browser", "extension")
    os.makedirs(folder, exist_ok=True)
    for size in SIZES:
        with open(os.path.join(folder, f"icon{size}.png"), "wb") as f:
            f.write(png(size))
    return 0


if __name__ == "__main__":
    sys.exit(main())
