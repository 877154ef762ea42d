#!/usr/bin/env python3
"""Draws the two package pictures of the update dialog as PNG files.

Run from any directory: python3 make_update_pictures.py [OUTPUT_DIR]; by default it writes
beside itself. Only the standard library is used: shapes are tested against 4 x 4 samples per
pixel for smooth edges, letters are drawn from a 5 x 7 pixel font so that they stay sharp at
this size, and the PNG files are written with zlib.

Pictures (size, colour depth):
  ImageOrvan.png  35 x 21, 32-bit  the package's own picture: its name on a navy plate
  ImageTea.png    21 x 21, 32-bit  the remote-support program: a screen that another one's
                                   pointer reaches into
"""

import math
import os
import struct
import sys
import zlib

SAMPLES = 4


class Canvas:
    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.pixels = [[(0.0, 0.0, 0.0, 0.0) for _ in range(width)] for _ in range(height)]

    def fill(self, inside, colour, box):
        if len(colour) == 3:
            colour = colour + (255,)
        x0, y0, x1, y1 = box
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.width, int(math.ceil(x1))), min(self.height, int(math.ceil(y1)))
        offsets = [(i + 0.5) / SAMPLES for i in range(SAMPLES)]
        for y in range(y0, y1):
            for x in range(x0, x1):
                hits = sum(1 for dy in offsets for dx in offsets if inside(x + dx, y + dy))
                if hits:
                    self.pixels[y][x] = blend(self.pixels[y][x], colour,
                                              hits / (SAMPLES * SAMPLES))

    def dot(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = blend(self.pixels[y][x], colour + (255,), 1.0)

    def save(self, path):
        rows = []
        for row in self.pixels:
            line = bytearray(b"\x00")
            for r, g, b, a in row:
                line += bytes((round(r), round(g), round(b), round(a)))
            rows.append(bytes(line))
        write_png(path, self.width, self.height, b"".join(rows))


def blend(under, over, coverage):
    a = over[3] / 255.0 * coverage
    ua = under[3] / 255.0
    out_a = a + ua * (1 - a)
    if out_a <= 0:
        return (0.0, 0.0, 0.0, 0.0)
    channels = tuple((over[i] * a + under[i] * ua * (1 - a)) / out_a for i in range(3))
    return channels + (out_a * 255.0,)


def write_png(path, width, height, raw):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", header))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(chunk(b"IEND", b""))


def rounded(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside, (x0, y0, x1, y1)


def rect(x0, y0, x1, y1):
    return (lambda x, y: x0 <= x < x1 and y0 <= y < y1), (x0, y0, x1, y1)


def circle(cx, cy, r):
    return (lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r), (cx - r, cy - r, cx + r, cy + r)


def draw(canvas, shape, colour):
    inside, box = shape
    canvas.fill(inside, colour, box)


# Capitals of a 5 x 7 pixel font, the rows top down.
FONT = {
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
}


def letters(canvas, text, x, y, colour):
    for ch in text:
        for row, bits in enumerate(FONT[ch]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    canvas.dot(x + col, y + row, colour)
        x += 6


NAVY = (0, 0, 128)
WHITE = (255, 255, 255)
RED = (210, 30, 30)
TEAL = (0, 120, 110)
SCREEN = (200, 236, 230)
ORANGE = (240, 150, 30)
DARK = (30, 40, 48)


def orvan(out_dir):
    c = Canvas(35, 21)
    draw(c, rounded(0, 0, 35, 21, 3), NAVY)
    letters(c, "ORVAN", 3, 4, WHITE)
    draw(c, rect(3, 14, 32, 16), RED)
    c.save(os.path.join(out_dir, "ImageOrvan.png"))


def tea(out_dir):
    c = Canvas(21, 21)
    draw(c, rounded(0, 0, 21, 21, 4), TEAL)
    # The screen, its stand and foot.
    draw(c, rounded(3, 3, 18, 13, 1.5), WHITE)
    draw(c, rect(4.5, 4.5, 16.5, 11.5), SCREEN)
    draw(c, rect(9, 13, 12, 15.5), WHITE)
    draw(c, rounded(6, 15.5, 15, 17.5, 1), WHITE)
    # A second screen's pointer reaching in: an orange dot with its trail.
    draw(c, rect(7, 7.5, 12, 8.5), DARK)
    draw(c, circle(13, 8, 2.2), ORANGE)
    c.save(os.path.join(out_dir, "ImageTea.png"))


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out_dir, exist_ok=True)
    orvan(out_dir)
    tea(out_dir)


if __name__ == "__main__":
    main()
