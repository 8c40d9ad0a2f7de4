#!/usr/bin/env python3
"""Writes the executable's icon: a 32x32 and a 16x16 image of a blue box with
a white arrow, as 32-bit BMP entries of one .ico file."""
import struct
import sys


def image(size):
    rows = []
    for y in range(size):
        row = b""
        for x in range(size):
            u, v = x / size, y / size
            border = min(u, v, 1 - u, 1 - v) < 0.08
            shaft = 0.42 < u < 0.58 and 0.18 < v < 0.62
            head = v >= 0.55 and v < 0.82 and abs(u - 0.5) < (0.82 - v) * 1.1
            if shaft or head:
                b, g, r = 255, 255, 255
            elif border:
                b, g, r = 120, 60, 20
            else:
                b, g, r = 200, 110, 30
            row += bytes((b, g, r, 255))
        rows.append(row)
    pixels = b"".join(reversed(rows))  # BMP rows run bottom-up
    mask = b"\0" * (((size + 31) // 32) * 4 * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def main(path):
    sizes = (32, 16)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
