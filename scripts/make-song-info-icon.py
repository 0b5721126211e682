#!/usr/bin/env python3
"""Draws the song information window's icon, plugin/SongInfo.ico.

A black tile with a gold rim holding two white beamed notes, at 16x16 and
32x32 pixels, 32-bit with alpha. Shapes are drawn in unit coordinates and
sampled 4x4 per pixel so that the small size stays smooth.

    scripts/make-song-info-icon.py [OUTPUT]
"""
import struct
import sys
from pathlib import Path

GOLD = (0xE0, 0xB0, 0x30)
BLACK = (0x10, 0x10, 0x10)
WHITE = (0xFF, 0xFF, 0xFF)


def in_rounded_square(x, y, inset, radius):
    lo, hi = inset, 1.0 - inset
    if not (lo <= x <= hi and lo <= y <= hi):
        return False
    cx = min(max(x, lo + radius), hi - radius)
    cy = min(max(y, lo + radius), hi - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius**2


def in_note(x, y):
    # Two oval heads, their stems and a sloping beam joining the stems' tops.
    for hx, hy in ((0.33, 0.72), (0.69, 0.66)):
        if ((x - hx) / 0.12) ** 2 + ((y - hy) / 0.085) ** 2 <= 1.0:
            return True
    for sx, top, bottom in ((0.405, 0.28, 0.72), (0.765, 0.22, 0.66)):
        if sx <= x <= sx + 0.06 and top <= y <= bottom:
            return True
    if 0.405 <= x <= 0.825:
        beam_top = 0.28 + (x - 0.405) * (0.22 - 0.28) / (0.765 - 0.405)
        return beam_top <= y <= beam_top + 0.11
    return False


def colour_at(x, y):
    """The colour at a point of the unit square, or None outside the tile."""
    if not in_rounded_square(x, y, 0.03, 0.14):
        return None
    if not in_rounded_square(x, y, 0.10, 0.09):
        return GOLD
    return WHITE if in_note(x, y) else BLACK


def draw(size, samples=4):
    """Rows top to bottom of (r, g, b, a) pixels."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    c = colour_at((px + (sx + 0.5) / samples) / size, (py + (sy + 0.5) / samples) / size)
                    if c:
                        r, g, b, hits = r + c[0], g + c[1], b + c[2], hits + 1
            if hits:
                row.append((r // hits, g // hits, b // hits, 255 * hits // samples**2))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def icon_image(size):
    """One image of an .ico: its BITMAPINFOHEADER, colour and mask rows bottom up."""
    rows = draw(size)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + bytes(mask)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "plugin" / "SongInfo.ico"
    sizes = (16, 32)
    images = [icon_image(s) for s in sizes]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    out.write_bytes(data + b"".join(images))


if __name__ == "__main__":
    main()
