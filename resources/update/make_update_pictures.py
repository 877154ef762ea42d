#!/usr/bin/env python3
"""Draws the two package pictures of the update dialog as PNG files.

Run from any directory: python3 make_update_pictures.py [OUTPUT_DIR]; by default it writes
beside itself. Only the standard library is used: shapes are tested against 4 x 4 samples per
pixel for smooth edges, letters are drawn from a 5 x 7 pixel font so that they stay sharp at
this size, and the PNG files are written with zlib (picture_canvas.py).

Pictures (size, colour depth):
  ImageOrvan.png  35 x 21, 32-bit  the package's own picture: its name on a navy plate
  ImageTea.png    21 x 21, 32-bit  the remote-support program: a screen that another one's
                                   pointer reaches into
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from picture_canvas import Canvas, circle, draw, rect, rounded  # noqa: E402


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
