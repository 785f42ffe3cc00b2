#!/usr/bin/env python3
"""Draws the Brindlewick icon and writes resources/brindlewick.ico.

Five images: 16 and 32 pixels in 16 colours, 16 and 32 pixels in 256 colours and
48 pixels in 256 colours. The artwork is a sheet of paper with ruled lines and a
magnifying glass over its lower right corner, drawn from shapes in a unit square
so that every size is rendered from the same picture.

    python3 scripts/make_icon.py [output.ico]
"""
import os
import struct
import sys

# The 16 standard colours; the 256-colour images use the same first 16 entries
# followed by a few softer tones.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
EXTRA = [(214, 232, 250), (120, 170, 220), (150, 95, 45), (60, 60, 60), (230, 230, 230)]

# Colour names mapped to (16-colour index, 256-colour index).
PAPER = (15, 15)
EDGE = (8, 19)
RULE = (12, 17)
LENS = (14, 16)
RIM = (0, 19)
HANDLE = (3, 18)
FOLD = (7, 20)


def pixel(u, v, size):
    """Colour of the point (u, v) of the unit square, or None for transparent.

    Outlines are at least one pixel wide at every size."""
    e = max(0.05, 1.0 / size)
    # The magnifying glass: a ring centred low right, and a handle below it.
    cx, cy, r = 0.62, 0.60, 0.24
    d = ((u - cx) ** 2 + (v - cy) ** 2) ** 0.5
    if d <= r:
        return RIM if d > r - 0.07 else LENS
    # The handle runs from the ring towards the bottom right corner.
    t = ((u - cx) + (v - cy)) / 2 ** 0.5
    off = abs((u - cx) - (v - cy)) / 2 ** 0.5
    if r - 0.02 < t < 0.58 and off < 0.075:
        return HANDLE
    # The sheet with a folded top right corner and ruled lines.
    left, top, right, bottom = 0.10, 0.04, 0.78, 0.94
    if left <= u <= right and top <= v <= bottom:
        fold = 0.18
        if u - (right - fold) > v - top:
            return None
        if u - (right - fold) > v - top - e:
            return EDGE
        if u >= right - fold and v <= top + fold and u - (right - fold) > (v - top) - fold:
            return FOLD
        if u < left + e or u > right - e or v < top + e or v > bottom - e:
            return EDGE
        for line in (0.22, 0.36, 0.50, 0.64, 0.78):
            if abs(v - line) < 0.035 and left + 0.12 < u < right - 0.12:
                return RULE
        return PAPER
    return None


def image(size, bits):
    """One icon image in the DIB form that icon files hold."""
    colours = VGA if bits == 4 else VGA + EXTRA + [(0, 0, 0)] * (256 - len(VGA) - len(EXTRA))
    which = 0 if bits == 4 else 1
    rows = []
    mask_rows = []
    for y in range(size - 1, -1, -1):          # bottom-up rows
        indexes = []
        mask = []
        for x in range(size):
            # Sample the centre of the pixel.
            c = pixel((x + 0.5) / size, (y + 0.5) / size, size)
            indexes.append(c[which] if c else 0)
            mask.append(0 if c else 1)
        rows.append(indexes)
        mask_rows.append(mask)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, 0, 0, 0, len(colours), 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in colours)
    xor = b''
    for indexes in rows:
        if bits == 4:
            row = bytes((indexes[i] << 4) | indexes[i + 1] for i in range(0, size, 2))
        else:
            row = bytes(indexes)
        xor += row + b'\0' * (-len(row) % 4)
    andmask = b''
    for mask in mask_rows:
        row = bytearray((size + 7) // 8)
        for x, bit in enumerate(mask):
            if bit:
                row[x // 8] |= 0x80 >> (x % 8)
        andmask += bytes(row) + b'\0' * (-len(row) % 4)
    return header + palette + xor + andmask


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'resources', 'brindlewick.ico')
    formats = [(16, 4), (32, 4), (16, 8), (32, 8), (48, 8)]
    images = [image(size, bits) for size, bits in formats]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, bits), body in zip(formats, images):
        data += struct.pack('<BBBBHHII', size, size, 16 if bits == 4 else 0, 0, 1, bits, len(body), offset)
        offset += len(body)
    data += b''.join(images)
    with open(out, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main()
