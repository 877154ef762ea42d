#!/usr/bin/env python3
"""Draws the template pictures of the launcher's buttons and submenu entries as PNG files.

Run from any directory: python3 make_templates.py [OUTPUT_DIR]; by default it writes beside
itself. Only the standard library is used: shapes are tested against 4 x 4 samples per pixel
for smooth edges, and the PNG files are written with zlib (picture_canvas.py).

Pictures (size, colour depth):
  BitBtnDefault.png              32 x 32, 24-bit  a button whose program is not installed
  MenuItemDefaultNeexistIco.png  48 x 48, 32-bit  a submenu entry whose file is missing
  MenuItemDefaultNeexistPdf.png 256 x 256, 24-bit a PDF document
  MenuItemDefaultNeexistChm.png  32 x 32, 24-bit  a help book
  MenuItemDefaultNeexistUrl.png  64 x 64, 24-bit  a web link
  MenuItemDefaultNeexistBat.png  48 x 48, 24-bit  a command script
  ProgramGeneric.png             32 x 32, 32-bit  a program without an icon of its own
"""

import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from picture_canvas import Canvas, circle, draw, rect, rounded  # noqa: E402


def ring(cx, cy, r, width):
    inner = r - width
    return ((lambda x, y: inner * inner <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r),
            (cx - r, cy - r, cx + r, cy + r))


def polygon(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]

    def inside(x, y):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside, (min(xs), min(ys), max(xs), max(ys))


def stroke(points, width):
    """A polyline of the given width with round ends and joints."""
    half = width / 2.0
    segments = list(zip(points, points[1:])) or [(points[0], points[0])]

    def distance(px, py, a, b):
        ax, ay = a
        bx, by = b
        dx, dy = bx - ax, by - ay
        length = dx * dx + dy * dy
        t = 0.0 if length == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length))
        return math.hypot(px - ax - t * dx, py - ay - t * dy)

    def inside(x, y):
        return any(distance(x, y, a, b) <= half for a, b in segments)
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return inside, (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half)


def arc(cx, cy, rx, ry, start, end, steps=24):
    """Points along an ellipse from angle start to end (degrees, clockwise from three o'clock)."""
    return [(cx + rx * math.cos(math.radians(start + (end - start) * i / steps)),
             cy + ry * math.sin(math.radians(start + (end - start) * i / steps)))
            for i in range(steps + 1)]


def scaled(points, s, ox=0.0, oy=0.0):
    return [(ox + x * s, oy + y * s) for x, y in points]


# Colours.
FACE = (240, 240, 240)
WHITE = (255, 255, 255)
PAPER = (252, 252, 250)
EDGE = (128, 128, 128)
FOLD = (210, 210, 210)
RED = (200, 30, 30)
BLUE = (40, 100, 190)
DARK = (40, 40, 48)


def document(c, s, paper=PAPER, edge=EDGE):
    """A sheet with a folded corner on a canvas of side s."""
    m = s * 0.17
    top, bottom = s * 0.06, s * 0.94
    fold = s * 0.24
    sheet = [(m, top), (s - m - fold, top), (s - m, top + fold), (s - m, bottom), (m, bottom)]
    w = max(1.0, s / 32.0)
    draw(c, polygon(sheet), paper)
    draw(c, stroke(sheet + [sheet[0]], w), edge)
    corner = [(s - m - fold, top), (s - m - fold, top + fold), (s - m, top + fold)]
    draw(c, polygon(corner), FOLD)
    draw(c, stroke(corner, w), edge)
    return m, top, bottom


def bit_btn_default():
    """A greyed program window with a red "no" sign: the program is not installed."""
    c = Canvas(32, 32, FACE)
    draw(c, rect(2, 4, 27, 24), (200, 200, 200))
    draw(c, rect(2, 4, 27, 8), (150, 150, 150))
    draw(c, rect(3, 9, 26, 23), (235, 235, 235))
    draw(c, stroke([(2.5, 4.5), (26.5, 4.5), (26.5, 23.5), (2.5, 23.5), (2.5, 4.5)], 1), (130, 130, 130))
    draw(c, circle(22, 22, 9), WHITE)
    draw(c, ring(22, 22, 8.5, 2.6), RED)
    draw(c, stroke([(16.6, 16.6), (27.4, 27.4)], 2.6), RED)
    return c


def missing_file():
    """A faded sheet with a red cross: the file is missing."""
    c = Canvas(48, 48)
    document(c, 48, paper=(250, 250, 250, 230), edge=(150, 150, 150))
    for y in (17, 22, 27):
        draw(c, rect(13, y, 30, y + 2), (205, 205, 205))
    draw(c, circle(33, 33, 12), (255, 255, 255))
    draw(c, circle(33, 33, 10.5), (205, 35, 35))
    draw(c, stroke([(28, 28), (38, 38)], 3.2), WHITE)
    draw(c, stroke([(38, 28), (28, 38)], 3.2), WHITE)
    return c


def pdf_document():
    """A sheet with a red band and the letters PDF."""
    s = 256
    c = Canvas(s, s, WHITE)
    m, top, bottom = document(c, s)
    for y in range(92, 200, 18):
        draw(c, rect(m + 24, y, s - m - 24, y + 6), (200, 200, 200))
    band = (s * 0.10, s * 0.50, s * 0.78, s * 0.78)
    draw(c, rounded(*band, 10), RED)
    h, w, t = 46.0, 30.0, 9.0
    y = band[1] + (band[3] - band[1] - h) / 2
    x = band[0] + 22
    # P
    draw(c, stroke([(x, y + h), (x, y)], t), WHITE)
    draw(c, stroke([(x, y)] + arc(x + w * 0.45, y + h * 0.27, w * 0.55, h * 0.27, -90, 90)
                   + [(x, y + h * 0.54)], t), WHITE)
    # D
    x += w + 22
    draw(c, stroke([(x, y + h), (x, y)], t), WHITE)
    draw(c, stroke([(x, y)] + arc(x + w * 0.35, y + h / 2, w * 0.75, h / 2, -90, 90)
                   + [(x, y + h)], t), WHITE)
    # F
    x += w + 30
    draw(c, stroke([(x, y + h), (x, y), (x + w, y)], t), WHITE)
    draw(c, stroke([(x, y + h * 0.5), (x + w * 0.8, y + h * 0.5)], t), WHITE)
    return c


def help_book():
    """A closed blue book with a question mark."""
    c = Canvas(32, 32, WHITE)
    draw(c, polygon([(7, 3), (27, 3), (27, 26), (7, 26)]), BLUE)
    draw(c, rect(7, 26, 27, 29), (235, 235, 225))
    draw(c, stroke([(7.5, 26.5), (26.5, 26.5), (26.5, 28.5), (7.5, 28.5)], 1), (120, 120, 120))
    draw(c, rect(5, 3, 9, 29), (25, 65, 135))
    draw(c, stroke(arc(18, 11, 4.2, 3.8, 180, 400, 20) + [(18, 16.5), (18, 18.2)], 2.4), (255, 230, 90))
    draw(c, circle(18, 22.3, 1.5), (255, 230, 90))
    return c


def globe():
    """A globe with meridians and parallels: a web link."""
    s = 64
    c = Canvas(s, s, WHITE)
    cx = cy = 32
    r = 28
    draw(c, circle(cx, cy, r), (60, 130, 210))
    land = (70, 170, 90)
    draw(c, polygon([(14, 18), (26, 12), (32, 18), (28, 28), (20, 30), (15, 26)]), land)
    draw(c, polygon([(34, 30), (46, 26), (52, 36), (44, 50), (38, 46)]), land)
    draw(c, polygon([(20, 40), (27, 38), (28, 48), (22, 52)]), land)
    grid = (235, 245, 255)
    draw(c, ring(cx, cy, r, 2), (30, 80, 150))
    draw(c, stroke([(cx, cy - r + 1), (cx, cy + r - 1)], 1.6), grid)
    draw(c, stroke([(cx - r + 1, cy), (cx + r - 1, cy)], 1.6), grid)
    draw(c, stroke(arc(cx, cy, r * 0.5, r - 1, -90, 90), 1.4), grid)
    draw(c, stroke(arc(cx, cy, r * 0.5, r - 1, 90, 270), 1.4), grid)
    for dy in (-14, 14):
        half = math.sqrt(r * r - dy * dy) - 1
        draw(c, stroke([(cx - half, cy + dy), (cx + half, cy + dy)], 1.4), grid)
    return c


def command_script():
    """A console window with a prompt: a command script."""
    c = Canvas(48, 48, WHITE)
    draw(c, rounded(3, 6, 45, 42, 3), (90, 90, 100))
    draw(c, rect(5, 12, 43, 40), DARK)
    for i, colour in enumerate([(230, 90, 80), (240, 190, 70), (110, 190, 90)]):
        draw(c, circle(9 + 5 * i, 9, 1.6), colour)
    draw(c, stroke([(11, 19), (18, 25), (11, 31)], 3), (220, 220, 220))
    draw(c, stroke([(22, 32), (33, 32)], 3), (220, 220, 220))
    return c


def program_generic():
    """A plain application window: a program without an icon of its own."""
    c = Canvas(32, 32)
    draw(c, rounded(2, 4, 30, 28, 2), (100, 100, 110))
    draw(c, rect(3, 5, 29, 10), BLUE)
    draw(c, rect(3, 10, 29, 27), WHITE)
    for i in range(3):
        draw(c, rect(20 + 3 * i, 6.5, 22 + 3 * i, 8.5), WHITE)
    draw(c, rect(6, 13, 26, 15), (200, 210, 225))
    draw(c, rect(6, 18, 20, 20), (200, 210, 225))
    draw(c, rect(6, 23, 23, 25), (200, 210, 225))
    return c


PICTURES = [
    ("BitBtnDefault.png", bit_btn_default, False),
    ("MenuItemDefaultNeexistIco.png", missing_file, True),
    ("MenuItemDefaultNeexistPdf.png", pdf_document, False),
    ("MenuItemDefaultNeexistChm.png", help_book, False),
    ("MenuItemDefaultNeexistUrl.png", globe, False),
    ("MenuItemDefaultNeexistBat.png", command_script, False),
    ("ProgramGeneric.png", program_generic, True),
]


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, make, alpha in PICTURES:
        make().save(os.path.join(target, name), alpha)
        print(name)


if __name__ == "__main__":
    main()
