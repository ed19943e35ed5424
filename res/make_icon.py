#!/usr/bin/env python3
"""Writes a 16-colour .ico from a text pixel map.

Usage: make_icon.py ICON.txt OUT.ico

The map holds one block per image: a "WIDTHxHEIGHT" line, then HEIGHT rows of WIDTH characters.
Lines starting with "#" and blank lines are ignored. Each image becomes a 4-bit-per-pixel bitmap
with the standard VGA palette and an AND mask ("." pixels are transparent).
"""
import struct
import sys

# Character -> (palette index, RGB); the order is the standard 16-colour palette.
COLOURS = "krgybmcsdRGYBMCW"
PALETTE = [0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
           0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF]


def read_images(path):
    images, rows, size = [], None, None
    for number, line in enumerate(open(path, encoding="ascii"), 1):
        line = line.rstrip("\n")
        if rows is None:
            if not line.strip() or line.startswith("#"):
                continue
            width, height = (int(v) for v in line.split("x"))
            rows, size = [], (width, height)
            continue
        if len(line) != size[0] or any(c != "." and c not in COLOURS for c in line):
            sys.exit(f"{path}:{number}: expected {size[0]} pixels of known colours")
        rows.append(line)
        if len(rows) == size[1]:
            images.append((size, rows))
            rows = None
    if rows is not None:
        sys.exit(f"{path}: image {size[0]}x{size[1]} is incomplete")
    return images


def padded(row):
    return row + b"\0" * (-len(row) % 4)


def bitmap(size, rows):
    width, height = size
    colour, mask = b"", b""
    for row in reversed(rows):  # bitmaps are stored bottom-up
        indices = [0 if c == "." else COLOURS.index(c) for c in row]
        colour += padded(bytes(indices[i] << 4 | indices[i + 1] for i in range(0, width, 2)))
        bits = int("".join("1" if c == "." else "0" for c in row), 2)
        mask += padded(bits.to_bytes(width // 8, "big"))
    palette = b"".join(struct.pack("<BBBB", rgb & 0xFF, rgb >> 8 & 0xFF, rgb >> 16, 0)
                       for rgb in PALETTE)
    # The height counts the colour bitmap and the mask together.
    header = struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, 4, 0,
                         len(colour) + len(mask), 0, 0, 16, 0)
    return header + palette + colour + mask


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_icon.py ICON.txt OUT.ico")
    images = read_images(sys.argv[1])
    for (width, height), _ in images:
        if width % 8 or not 0 < width <= 256 or not 0 < height <= 256:
            sys.exit(f"unsupported image size {width}x{height}")
    blobs = [bitmap(size, rows) for size, rows in images]
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = len(out) + 16 * len(blobs)
    for ((width, height), _), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", width % 256, height % 256, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    with open(sys.argv[2], "wb") as f:
        f.write(out + b"".join(blobs))


if __name__ == "__main__":
    main()
