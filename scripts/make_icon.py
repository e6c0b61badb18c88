#!/usr/bin/env python3
"""Writes the program icon (a white download arrow on a blue rounded square) as a
multi-size .ico, drawn from geometry so it is sharp at every size. Usage: make_icon.py OUT"""
import struct
import sys

SIZES = [16, 20, 24, 32, 40, 48, 64]
BLUE = (0xD9, 0x6F, 0x1E)  # BGR of #1E6FD9
SUPER = 4


def inside_rounded_square(x, y, r):
    # unit square [0,1]^2 with corner radius r
    cx = min(max(x, r), 1 - r)
    cy = min(max(y, r), 1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def inside_arrow(x, y):
    # shaft, head and the bar under it, in unit coordinates (y down)
    if 0.42 <= x <= 0.58 and 0.18 <= y <= 0.52:
        return True
    if 0.45 <= y <= 0.70:
        half = (0.70 - y) * 1.0
        if abs(x - 0.5) <= half:
            return True
    return 0.24 <= x <= 0.76 and 0.76 <= y <= 0.84


def image(size):
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            bg = fg = 0
            for sy in range(SUPER):
                for sx in range(SUPER):
                    x = (px + (sx + 0.5) / SUPER) / size
                    y = (py + (sy + 0.5) / SUPER) / size
                    if inside_rounded_square(x, y, 0.2):
                        if inside_arrow(x, y):
                            fg += 1
                        else:
                            bg += 1
            n = SUPER * SUPER
            a = (bg + fg) / n
            if a == 0:
                row.append((0, 0, 0, 0))
                continue
            w = fg / (bg + fg)
            b, g, r = (round(c * (1 - w) + 255 * w) for c in BLUE)
            row.append((b, g, r, round(a * 255)))
        rows.append(row)
    # DIB: BITMAPINFOHEADER with double height, rows bottom-up, then a 1-bit AND mask
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(bytes(c for px in row for c in px) for row in reversed(rows))
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)
    return header + pixels + mask


def main():
    images = [image(s) for s in SIZES]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(SIZES, images):
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
