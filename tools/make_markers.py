#!/usr/bin/env python3
"""Draws the map page's marker images.

Usage: make_markers.py OUTPUT_FOLDER

Writes Red, Orange, Blue and Yellow 1..100 (a numbered pin, 24x32), NewPlace, Pushpin and
Crosshair as PNG files. Plain Python (zlib only), so that every build machine can run it
without fonts or image libraries.
"""
import os
import struct
import sys
import zlib

WIDTH, HEIGHT = 24, 32
SUPERSAMPLE = 4

# 5x7 digits, one string of five bits per row.
DIGITS = {
    "0": ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
    "1": ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    "2": ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    "3": ["11110", "00001", "00001", "01110", "00001", "00001", "11110"],
    "4": ["00010", "00110", "01010", "10010", "11111", "00010", "00010"],
    "5": ["11111", "10000", "11110", "00001", "00001", "10001", "01110"],
    "6": ["00110", "01000", "10000", "11110", "10001", "10001", "01110"],
    "7": ["11111", "00001", "00010", "00100", "01000", "01000", "01000"],
    "8": ["01110", "10001", "10001", "01110", "10001", "10001", "01110"],
    "9": ["01110", "10001", "10001", "01111", "00001", "00010", "01100"],
    "+": ["00000", "00100", "00100", "11111", "00100", "00100", "00000"],
}

COLOURS = {
    "Red": ((214, 52, 40), (255, 255, 255)),
    "Orange": ((240, 140, 20), (255, 255, 255)),
    "Blue": ((40, 100, 214), (255, 255, 255)),
    "Yellow": ((250, 215, 30), (0, 0, 0)),
}
OUTLINE = (60, 30, 20)


def png(width, height, pixels):
    """pixels: rows of (r, g, b, a) tuples."""
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def pin_shape(x, y):
    """0 outside, 1 outline, 2 body, in pixel units (floats)."""
    cx, cy, r = 12.0, 11.0, 10.5
    d2 = (x - cx) ** 2 + (y - cy) ** 2
    inside_head = d2 <= r * r
    # The tip: a triangle from the head's lower half to (12, 31).
    inside_tip = 11.0 <= y <= 31.0 and abs(x - cx) <= (31.0 - y) * 0.45
    if not (inside_head or inside_tip):
        return 0
    inner_head = d2 <= (r - 1.3) ** 2
    inner_tip = 11.0 <= y <= 29.0 and abs(x - cx) <= (29.0 - y) * 0.42
    return 2 if inner_head or inner_tip else 1


def text_mask(text):
    """Set of supersampled (x, y) covered by the glyphs, centred in the pin's head."""
    scale = 6 if len(text) <= 2 else 4  # subpixels per font pixel
    glyph_w, gap = 5 * scale, scale
    total_w = len(text) * glyph_w + (len(text) - 1) * gap
    left = 12 * SUPERSAMPLE - total_w // 2
    top = 11 * SUPERSAMPLE - (7 * scale) // 2
    covered = set()
    for n, ch in enumerate(text):
        x0 = left + n * (glyph_w + gap)
        for row, bits in enumerate(DIGITS[ch]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    for dy in range(scale):
                        for dx in range(scale):
                            covered.add((x0 + col * scale + dx, top + row * scale + dy))
    return covered


def draw_pin(fill, ink, text):
    ss = SUPERSAMPLE
    mask = text_mask(text) if text else set()
    rows = []
    for py in range(HEIGHT):
        row = []
        for px in range(WIDTH):
            acc = [0, 0, 0, 0]
            for sy in range(ss):
                for sx in range(ss):
                    x, y = px + (sx + 0.5) / ss, py + (sy + 0.5) / ss
                    part = pin_shape(x, y)
                    if part == 0:
                        continue
                    colour = OUTLINE if part == 1 else fill
                    if part == 2 and (px * ss + sx, py * ss + sy) in mask:
                        colour = ink
                    acc[0] += colour[0]
                    acc[1] += colour[1]
                    acc[2] += colour[2]
                    acc[3] += 1
            n = acc[3]
            if n == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((acc[0] // n, acc[1] // n, acc[2] // n, 255 * n // (ss * ss)))
        rows.append(row)
    return png(WIDTH, HEIGHT, rows)


def draw_crosshair():
    size = 24
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            on_line = (x in (11, 12) or y in (11, 12)) and not (8 <= x <= 15 and 8 <= y <= 15)
            ring = 7.5 <= ((x - 11.5) ** 2 + (y - 11.5) ** 2) ** 0.5 <= 9.0
            row.append((200, 0, 0, 255) if on_line or ring else (0, 0, 0, 0))
        rows.append(row)
    return png(size, size, rows)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    images = {}
    for colour, (fill, ink) in COLOURS.items():
        for number in range(1, 101):
            images[f"{colour}{number}.png"] = draw_pin(fill, ink, str(number))
    images["NewPlace.png"] = draw_pin((40, 170, 60), (255, 255, 255), "+")
    images["Pushpin.png"] = draw_pin((150, 150, 160), (255, 255, 255), "")
    images["Crosshair.png"] = draw_crosshair()
    for name, data in images.items():
        path = os.path.join(folder, name)
        # Rewrite only what changed, so that an unchanged folder keeps its times.
        if os.path.exists(path):
            with open(path, "rb") as f:
                if f.read() == data:
                    continue
        with open(path, "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
