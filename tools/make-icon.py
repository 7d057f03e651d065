#!/usr/bin/env python3
"""Writes the stub's application icon (a package with an arrow into it) as an
.ico file with 16, 32 and 48 pixel images, 32 bits per pixel. The image is
drawn here so that the repository holds no binary artwork.
usage: make-icon.py OUT.ico"""
import struct
import sys


def pixel(x, y, size):
    """RGBA of one pixel; coordinates in 0..1 of the image's width."""
    u, v = (x + 0.5) / size, (y + 0.5) / size
    # A box in the lower part, with a lid line.
    in_box = 0.12 <= u <= 0.88 and 0.45 <= v <= 0.92
    lid = in_box and v <= 0.53
    # A down arrow above and into the box.
    shaft = 0.42 <= u <= 0.58 and 0.06 <= v <= 0.55
    head = v >= 0.45 and v <= 0.75 and abs(u - 0.5) <= (0.75 - v) * 0.9
    if shaft or head:
        return (0x1E, 0x88, 0x3A, 0xFF)  # green arrow
    if lid:
        return (0x8A, 0x5A, 0x24, 0xFF)
    if in_box:
        edge = min(u - 0.12, 0.88 - u, 0.92 - v) < 1.5 / size
        return (0x6B, 0x45, 0x1A, 0xFF) if edge else (0xC8, 0x92, 0x4A, 0xFF)
    return (0, 0, 0, 0)


def image(size):
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(size):
            r, g, b, a = pixel(x, y, size)
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    and_mask = bytes(mask_row * size)  # the alpha channel decides
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def main():
    sizes = (16, 32, 48)
    images = [image(s) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(sizes)))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
