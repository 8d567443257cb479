#!/usr/bin/env python3
"""Draw the program icon (32x32 and 16x16, 32-bit colour) into resources/Wayloom.ico.

A blue rounded square with a white route through three stops, the last one red. Only the
standard library is used, so the icon can be redrawn on any machine:
    python3 tools/make_icon.py [output.ico]
"""
import math
import pathlib
import struct
import sys

BLUE = (0x1E, 0x6F, 0xC8)
WHITE = (0xFF, 0xFF, 0xFF)
RED = (0xE0, 0x3A, 0x2F)

# Route and stops in a 0..1 square.
ROUTE = [(0.22, 0.78), (0.42, 0.40), (0.60, 0.62), (0.78, 0.24)]
STOPS = [((0.22, 0.78), WHITE), ((0.60, 0.62), WHITE), ((0.78, 0.24), RED)]


def distance_to_segment(px, py, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def inside_rounded_square(x, y, radius):
    cx = min(max(x, radius), 1 - radius)
    cy = min(max(y, radius), 1 - radius)
    return math.hypot(x - cx, y - cy) <= radius


def pixel(size, col, row):
    """Colour and alpha of one pixel, averaged over 4x4 samples for smooth edges."""
    samples = 4
    total = [0.0, 0.0, 0.0, 0.0]
    line = 0.075 if size >= 32 else 0.09
    dot = 0.11 if size >= 32 else 0.13
    for sy in range(samples):
        for sx in range(samples):
            x = (col + (sx + 0.5) / samples) / size
            y = (row + (sy + 0.5) / samples) / size
            if not inside_rounded_square(x, y, 0.2):
                continue
            colour = BLUE
            if any(distance_to_segment(x, y, ROUTE[i], ROUTE[i + 1]) <= line / 2 for i in range(len(ROUTE) - 1)):
                colour = WHITE
            for (sx0, sy0), stop_colour in STOPS:
                if math.hypot(x - sx0, y - sy0) <= dot:
                    colour = stop_colour
            total[0] += colour[0]
            total[1] += colour[1]
            total[2] += colour[2]
            total[3] += 255
    count = samples * samples
    alpha = total[3] / count
    if alpha == 0:
        return (0, 0, 0, 0)
    covered = total[3] / 255
    return (round(total[0] / covered), round(total[1] / covered), round(total[2] / covered), round(alpha))


def icon_image(size):
    """BITMAPINFOHEADER, bottom-up BGRA pixels, then the 1-bit AND mask."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(range(size)):
        mask_row = bytearray(mask_stride)
        for col in range(size):
            r, g, b, a = pixel(size, col, row)
            pixels += bytes((b, g, r, a))
            if a == 0:
                mask_row[col // 8] |= 0x80 >> (col % 8)
        mask += mask_row
    return header + bytes(pixels) + bytes(mask)


def main():
    output = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent / 'resources' / 'Wayloom.ico')
    sizes = [32, 16]
    images = [icon_image(size) for size in sizes]
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b''
    for size, image in zip(sizes, images):
        entries += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    output.write_bytes(directory + entries + b''.join(images))


if __name__ == '__main__':
    main()
