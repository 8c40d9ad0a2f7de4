#!/usr/bin/env python3
"""Writes the executable's icon: a blue box with a white arrow at 256, 48, 32 and
16 pixels in one .ico file, the 256-pixel image as PNG (as Explorer expects for
that size, and far smaller) and the others as 32-bit BMP entries."""
import struct
import sys
import zlib

SIZES = (256, 48, 32, 16)
PNG_FROM = 256  # sizes at or above this are stored as PNG


def rows(size):
    """The image as rows of (r, g, b, a) pixels, top row first."""
    result = []
    for y in range(size):
        row = []
        for x in range(size):
            u, v = x / size, y / size
            border = min(u, v, 1 - u, 1 - v) < 0.08
            shaft = 0.42 < u < 0.58 and 0.18 < v < 0.62
            head = v >= 0.55 and v < 0.82 and abs(u - 0.5) < (0.82 - v) * 1.1
            if shaft or head:
                row.append((255, 255, 255, 255))
            elif border:
                row.append((20, 60, 120, 255))
            else:
                row.append((30, 110, 200, 255))
        result.append(row)
    return result


def bmp(size):
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows(size))  # bottom-up
                      for r, g, b, a in row)
    mask = b"\0" * (((size + 31) // 32) * 4 * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def png(size):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in rows(size))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def main(path):
    images = [png(s) if s >= PNG_FROM else bmp(s) for s in SIZES]
    out = struct.pack("<HHH", 0, 1, len(SIZES))
    offset = 6 + 16 * len(SIZES)
    for s, data in zip(SIZES, images):
        side = s % 256  # 0 stands for 256
        out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
