"""Drawing for the launcher's generated pictures: shapes tested against 4 x 4 samples per pixel
for smooth edges, PNG files written with zlib. Only the standard library is used."""

import math
import struct
import zlib

SAMPLES = 4


class Canvas:
    def __init__(self, width, height, background=None):
        self.width = width
        self.height = height
        bg = background if background is not None else (0, 0, 0, 0)
        if len(bg) == 3:
            bg = bg + (255,)
        self.pixels = [[tuple(float(c) for c in bg) for _ in range(width)] for _ in range(height)]

    def fill(self, inside, colour, box=None):
        """Paints colour over every pixel in proportion to the samples for which inside holds."""
        if len(colour) == 3:
            colour = colour + (255,)
        x0, y0, x1, y1 = box if box else (0, 0, self.width, self.height)
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.width, int(math.ceil(x1))), min(self.height, int(math.ceil(y1)))
        offsets = [(i + 0.5) / SAMPLES for i in range(SAMPLES)]
        for y in range(y0, y1):
            row = self.pixels[y]
            for x in range(x0, x1):
                hits = sum(1 for dy in offsets for dx in offsets if inside(x + dx, y + dy))
                if hits:
                    row[x] = blend(row[x], colour, hits / (SAMPLES * SAMPLES))

    def dot(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = blend(self.pixels[y][x], colour + (255,), 1.0)

    def save(self, path, alpha=True):
        rows = []
        for row in self.pixels:
            line = bytearray(b"\x00")
            for r, g, b, a in row:
                if alpha:
                    line += bytes((round(r), round(g), round(b), round(a)))
                else:
                    line += bytes((round(r), round(g), round(b)))
            rows.append(bytes(line))
        write_png(path, self.width, self.height, b"".join(rows), alpha)


def blend(under, over, coverage):
    a = over[3] / 255.0 * coverage
    ua = under[3] / 255.0
    out_a = a + ua * (1 - a)
    if out_a <= 0:
        return (0.0, 0.0, 0.0, 0.0)
    channels = tuple((over[i] * a + under[i] * ua * (1 - a)) / out_a for i in range(3))
    return channels + (out_a * 255.0,)


def write_png(path, width, height, raw, alpha):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", header))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(chunk(b"IEND", b""))


# Shapes: each returns (test, bounding box).

def rect(x0, y0, x1, y1):
    return (lambda x, y: x0 <= x < x1 and y0 <= y < y1), (x0, y0, x1, y1)


def rounded(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside, (x0, y0, x1, y1)


def circle(cx, cy, r):
    return (lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r), (cx - r, cy - r, cx + r, cy + r)


def draw(canvas, shape, colour):
    inside, box = shape
    canvas.fill(inside, colour, box)
