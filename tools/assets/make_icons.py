#!/usr/bin/env python3
"""Draws the program's icons and writes them as ICO files.

Regenerate from the repository root with

    python3 tools/assets/make_icons.py

which rewrites res/tbook.ico (window icon) and res/tray.ico (notification area icon). Pass an
output folder to write them elsewhere: python3 tools/assets/make_icons.py /tmp/icons

Only the standard library is used, so the build never needs an image tool. Each icon holds 16x16,
32x32 and 48x48 images, 32-bit BGRA with straight alpha, stored the classic way: a
BITMAPINFOHEADER whose height counts the colour rows and the mask rows, the bottom-up colour rows,
then a 1-bit AND mask. The output is deterministic, so regenerating without changes leaves the
files byte for byte the same.

The artwork is vector shapes in a unit square, rendered with 8x8 supersampling per pixel. The small
sizes get their own simplified geometry because detail that reads at 48 pixels turns to mud at 16.
"""

import math
import os
import struct
import sys

SIZES = (16, 32, 48)
SUPERSAMPLE = 8
P = 1.0 / 16  # one pixel of the 16x16 image, for the geometry that is drawn to its grid

# Colours as (r, g, b), 0..255.
CARD_TOP = (0x2E, 0x6C, 0xC8)
CARD_BOTTOM = (0x17, 0x3F, 0x8A)
SPINE = (0x10, 0x2C, 0x66)
OUTLINE = (0x0B, 0x1F, 0x4A)
WHITE = (0xFF, 0xFF, 0xFF)
TAB_COLOURS = ((0xF2, 0x9E, 0x1F), (0x4C, 0xB5, 0x4F), (0xE0, 0x4E, 0x4E))


# --- Shapes: each answers "is this point inside?" for a point in unit coordinates (y grows down).


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def shoulders(cx, cy, rx, ry, cut_y):
    """Upper part of an ellipse, cut flat at cut_y: the body of the person glyph."""
    return lambda x, y: y <= cut_y and ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


def vertical_gradient(top, bottom, y0, y1):
    def colour(_x, y):
        t = min(max((y - y0) / (y1 - y0), 0.0), 1.0)
        return tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))

    return colour


def solid(rgb):
    return lambda _x, _y: rgb


# --- Rendering


class Canvas:
    """Premultiplied RGBA floats, composited layer by layer with "source over"."""

    def __init__(self, size):
        self.size = size
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def fill(self, shape, paint, opacity=1.0):
        n = self.size
        step = 1.0 / (n * SUPERSAMPLE)
        samples = SUPERSAMPLE * SUPERSAMPLE
        for py in range(n):
            for px in range(n):
                hits = 0
                for sy in range(SUPERSAMPLE):
                    y = (py * SUPERSAMPLE + sy + 0.5) * step
                    for sx in range(SUPERSAMPLE):
                        x = (px * SUPERSAMPLE + sx + 0.5) * step
                        if shape(x, y):
                            hits += 1
                if hits == 0:
                    continue
                a = opacity * hits / samples
                r, g, b = paint((px + 0.5) / n, (py + 0.5) / n)
                dst = self.pixels[py * n + px]
                keep = 1.0 - a
                dst[0] = r / 255.0 * a + dst[0] * keep
                dst[1] = g / 255.0 * a + dst[1] * keep
                dst[2] = b / 255.0 * a + dst[2] * keep
                dst[3] = a + dst[3] * keep

    def rgba_rows(self):
        """Rows top to bottom of straight-alpha (r, g, b, a) bytes."""
        rows = []
        for py in range(self.size):
            row = []
            for px in range(self.size):
                r, g, b, a = self.pixels[py * self.size + px]
                if a <= 0.0:
                    row.append((0, 0, 0, 0))
                    continue
                row.append(tuple(min(255, round(c / a * 255.0)) for c in (r, g, b)) + (round(a * 255.0),))
            rows.append(row)
        return rows


# --- Artwork


def person(cx, head_y, head_r, body_y, body_rx, body_ry, cut_y):
    return union(circle(cx, head_y, head_r), shoulders(cx, body_y, body_rx, body_ry, cut_y))


def draw_book(size):
    """The window icon: a blue address book with coloured index tabs and a white person."""
    canvas = Canvas(size)
    small = size <= 16
    # At 16 pixels every edge sits on a pixel boundary (multiples of P), or it blurs.
    x0, y0, x1, y1 = (1 * P, 0.0, 15 * P, 1.0) if small else (0.10, 0.05, 0.86, 0.95)
    radius = 2 * P if small else 0.09

    if not small:
        # Index tabs sticking out of the right edge, as in a paper address book.
        tab_h, gap = 0.14, 0.05
        top = 0.18
        for i, rgb in enumerate(TAB_COLOURS):
            ty = top + i * (tab_h + gap)
            canvas.fill(rounded_rect(x1 - 0.06, ty, x1 + 0.09, ty + tab_h, 0.035), solid(rgb))

    cover = rounded_rect(x0, y0, x1, y1, radius)
    canvas.fill(cover, solid(OUTLINE))
    edge = 1.0 / size
    inner = rounded_rect(x0 + edge, y0 + edge, x1 - edge, y1 - edge, max(radius - edge, 0.0))
    canvas.fill(inner, vertical_gradient(CARD_TOP, CARD_BOTTOM, y0, y1))

    # The spine: a darker band along the left edge, with a light seam where the cover folds.
    spine_w = 3 * P if small else 0.16
    canvas.fill(minus(inner, lambda x, _y: x > x0 + spine_w), solid(SPINE))
    if not small:
        seam = lambda x, y: x0 + spine_w <= x <= x0 + spine_w + edge * 0.9 and y0 + edge <= y <= y1 - edge
        canvas.fill(seam, solid(WHITE), opacity=0.35)

    # The person sits on the cover, right of the spine.
    cx = (x0 + spine_w + x1) / 2.0
    if small:
        # A pixel of cover between head and shoulders keeps them apart.
        glyph = person(cx, 4.5 * P, 2.5 * P, 14.0 * P, 4.6 * P, 6.0 * P, 13.0 * P)
    else:
        glyph = person(cx, 0.36, 0.13, 0.88, 0.25, 0.26, 0.78)
    canvas.fill(glyph, solid(WHITE))
    return canvas


def draw_tray(size):
    """The tray icon: the same blue and person, on a plain rounded square with bolder proportions."""
    canvas = Canvas(size)
    small = size <= 16
    x0, y0, x1, y1 = (0.0, 0.0, 1.0, 1.0) if small else (0.04, 0.04, 0.96, 0.96)
    radius = 3.5 * P if small else 0.22
    canvas.fill(rounded_rect(x0, y0, x1, y1, radius), solid(OUTLINE))
    edge = 1.0 / size
    inner = rounded_rect(x0 + edge, y0 + edge, x1 - edge, y1 - edge, radius - edge)
    canvas.fill(inner, vertical_gradient(CARD_TOP, CARD_BOTTOM, y0, y1))
    if small:
        glyph = person(0.5, 5.0 * P, 2.8 * P, 15.5 * P, 5.5 * P, 6.5 * P, 14.0 * P)
    else:
        glyph = person(0.5, 0.36, 0.18, 0.98, 0.36, 0.36, 0.84)
    canvas.fill(glyph, solid(WHITE))
    return canvas


# --- ICO writer


def bmp_image(canvas):
    """One ICO image: BITMAPINFOHEADER, bottom-up BGRA rows, bottom-up AND mask."""
    n = canvas.size
    rows = canvas.rgba_rows()
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    # The mask marks fully transparent pixels; rows are padded to 32 bits.
    mask_stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_r, _g, _b, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack(
        "<IiiHHIIiiII",
        40,  # biSize
        n,  # biWidth
        n * 2,  # biHeight: colour rows plus mask rows
        1,  # biPlanes
        32,  # biBitCount
        0,  # biCompression: BI_RGB
        len(xor) + len(mask),  # biSizeImage
        0,
        0,
        0,
        0,
    )
    return bytes(header) + bytes(xor) + bytes(mask)


def ico_file(canvases):
    images = [bmp_image(c) for c in canvases]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))  # ICONDIR: reserved, type icon, count
    offset = 6 + 16 * len(images)
    for canvas, data in zip(canvases, images):
        size_byte = canvas.size if canvas.size < 256 else 0
        out += struct.pack("<BBBBHHII", size_byte, size_byte, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = argv[1] if len(argv) > 1 else os.path.join(here, "..", "..", "res")
    os.makedirs(out_dir, exist_ok=True)
    for name, draw in (("tbook.ico", draw_book), ("tray.ico", draw_tray)):
        path = os.path.normpath(os.path.join(out_dir, name))
        with open(path, "wb") as f:
            f.write(ico_file([draw(size) for size in SIZES]))
        print("wrote", path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
