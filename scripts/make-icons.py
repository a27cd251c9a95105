#!/usr/bin/env python3
"""Draws the built-in icon group as pixel art and writes res/traylnch.ico.

The images come in the order the resource expects: a desktop computer with two
application windows at 48x48 (16 colours), the computer at 16x16 (256 colours),
a black question mark at 32x32 (256 colours), the computer with windows at 48x48
(256 colours), the computer at 16x16 (16 colours) and with windows at 32x32
(16 colours). Output is byte-for-byte reproducible: run it and commit the .ico.
"""
import math
import os
import struct
import sys

# The sixteen colours every Windows display has; the 16-colour images use only these.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, TEAL, SILVER, GRAY, LIME, BLUE, WHITE = (VGA[0], VGA[4], VGA[6], VGA[7], VGA[8], VGA[10],
                                                      VGA[12], VGA[15])


class Canvas:
    def __init__(self, size):
        self.size = size
        self.pixels = [[None] * size for _ in range(size)]  # None is transparent

    def put(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.pixels[y][x] = colour

    def fill(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def edge(self, x0, y0, x1, y1, light, dark=None):
        """An outline; with a dark colour, a raised edge: light top and left, dark bottom and right."""
        for x in range(x0, x1 + 1):
            self.put(x, y0, light)
            self.put(x, y1, dark or light)
        for y in range(y0, y1 + 1):
            self.put(x0, y, light)
            self.put(x1, y, dark or light)


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def draw_window(c, box, bar, rich, title_rows):
    x0, y0, x1, y1 = box
    c.fill(x0, y0, x1, y1, WHITE)
    c.edge(x0, y0, x1, y1, BLACK)
    for row in range(title_rows):
        for x in range(x0 + 1, x1):
            colour = mix(bar, (16, 132, 208), (x - x0) / (x1 - x0)) if rich else bar
            c.put(x, y0 + 1 + row, colour)
    # A close box at the right end of the title bar.
    c.put(x1 - 2, y0 + 1 + title_rows // 2, SILVER)
    # A few text lines in the body.
    line = (112, 112, 112) if rich else GRAY
    for y in range(y0 + title_rows + 3, y1 - 1, 2):
        c.fill(x0 + 2, y, x0 + 2 + (x1 - x0 - 4) * (2 + (y % 3)) // 5, y, line)


def draw_case(c, size, x0, y0, x1, y1):
    """A silver part in a black outline, raised where there is room: at 16 pixels an edge would
    swallow it whole."""
    c.fill(x0, y0, x1, y1, SILVER)
    if size > 16:
        c.edge(x0 + 1, y0 + 1, x1 - 1, y1 - 1, WHITE, GRAY)
    c.edge(x0, y0, x1, y1, BLACK)


def draw_computer(size, rich, windows):
    """A monitor on a stand; layouts are given per size so each one is clean pixel art."""
    c = Canvas(size)
    layout = {
        48: dict(monitor=(2, 3, 45, 35), screen=(6, 7, 41, 31), neck=(20, 36, 27, 39),
                 base=(9, 40, 38, 44), led=(41, 33),
                 win_a=(9, 10, 28, 24), win_b=(19, 16, 38, 29), title=3),
        32: dict(monitor=(1, 2, 30, 23), screen=(4, 5, 27, 20), neck=(13, 24, 18, 26),
                 base=(6, 27, 25, 29), led=(27, 22),
                 win_a=(6, 7, 18, 14), win_b=(13, 11, 25, 19), title=2),
        16: dict(monitor=(0, 1, 15, 11), screen=(3, 4, 12, 8), neck=(6, 12, 9, 12),
                 base=(3, 13, 12, 15), led=None, win_a=None, win_b=(5, 5, 10, 7), title=1),
    }[size]

    draw_case(c, size, *layout["monitor"])

    # Screen, sunken into the case.
    x0, y0, x1, y1 = layout["screen"]
    for y in range(y0, y1 + 1):
        colour = mix((0, 150, 160), (0, 84, 110), (y - y0) / (y1 - y0)) if rich else TEAL
        c.fill(x0, y, x1, y, colour)
    c.edge(x0 - 1, y0 - 1, x1 + 1, y1 + 1, GRAY, WHITE)

    if windows and layout["win_a"]:
        draw_window(c, layout["win_a"], GRAY, False, layout["title"])
        draw_window(c, layout["win_b"], NAVY, rich, layout["title"])
    elif layout["win_b"]:
        x0, y0, x1, y1 = layout["win_b"]
        c.fill(x0, y0, x1, y1, WHITE)
        c.fill(x0, y0, x1, y0, NAVY if not rich else (16, 70, 180))

    if layout["led"]:
        c.put(*layout["led"], LIME)

    # Stand and foot.
    x0, y0, x1, y1 = layout["neck"]
    c.fill(x0, y0, x1, y1, GRAY)
    for y in range(y0, y1 + 1):
        c.put(x0, y, BLACK)
        c.put(x1, y, BLACK)
    draw_case(c, size, *layout["base"])
    x0, y0, x1, y1 = layout["base"]
    for corner in ((x0, y0), (x1, y0), (x0, y1), (x1, y1)):
        c.put(*corner, None)
    return c


def draw_question_mark(size):
    """A bold black question mark: an arc, a slanted neck, a stem and a dot."""
    c = Canvas(size)
    cx, cy = 16.0, 10.5
    for y in range(size):
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            r = math.hypot(px - cx, py - cy)
            angle = math.degrees(math.atan2(-(py - cy), px - cx))
            on_arc = 4.0 <= r <= 8.2 and not (-150 < angle < -55)
            neck = distance_to_segment(px, py, (19.0, 15.5), (16.0, 19.0)) <= 2.1
            stem = 14 <= x <= 17 and 18 <= y <= 21
            dot = 14 <= x <= 17 and 24 <= y <= 27 and (x in (15, 16) or y in (25, 26))
            if on_arc or neck or stem or dot:
                c.put(x, y, BLACK)
    return c


def distance_to_segment(px, py, a, b):
    ax, ay = a
    bx, by = b
    t = max(0.0, min(1.0, ((px - ax) * (bx - ax) + (py - ay) * (by - ay)) / ((bx - ax) ** 2 + (by - ay) ** 2)))
    return math.hypot(px - (ax + t * (bx - ax)), py - (ay + t * (by - ay)))


def nearest(palette, colour):
    return min(range(len(palette)), key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))


def encode_image(canvas, bits):
    """One icon image: a bottom-up DIB of twice the height, colour bits then the AND mask."""
    size = canvas.size
    palette = list(VGA)
    if bits == 8:
        for row in canvas.pixels:
            for colour in row:
                if colour is not None and colour not in palette:
                    palette.append(colour)
        assert len(palette) <= 256
        palette += [(0, 0, 0)] * (256 - len(palette))

    colour_stride = (size * bits + 31) // 32 * 4
    mask_stride = (size + 31) // 32 * 4
    colour_rows, mask_rows = [], []
    for row in reversed(canvas.pixels):
        indexes = [0 if colour is None else nearest(palette, colour) for colour in row]
        if bits == 4:
            packed = bytes((indexes[i] << 4) | indexes[i + 1] for i in range(0, size, 2))
        else:
            packed = bytes(indexes)
        colour_rows.append(packed.ljust(colour_stride, b"\0"))
        mask = bytearray(mask_stride)
        for x, colour in enumerate(row):
            if colour is None:
                mask[x // 8] |= 0x80 >> (x % 8)
        mask_rows.append(bytes(mask))
    pixels = b"".join(colour_rows) + b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(pixels), 0, 0, 0, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    return header + table + pixels


def write_icon(path, images):
    blobs = [(canvas.size, bits, encode_image(canvas, bits)) for canvas, bits in images]
    offset = 6 + 16 * len(blobs)
    out = struct.pack("<HHH", 0, 1, len(blobs))
    for size, bits, blob in blobs:
        out += struct.pack("<BBBBHHII", size, size, 16 if bits == 4 else 0, 0, 1, bits, len(blob), offset)
        offset += len(blob)
    out += b"".join(blob for _, _, blob in blobs)
    with open(path, "wb") as f:
        f.write(out)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "res", "traylnch.ico")
    write_icon(path, [
        (draw_computer(48, False, True), 4),
        (draw_computer(16, True, False), 8),
        (draw_question_mark(32), 8),
        (draw_computer(48, True, True), 8),
        (draw_computer(16, False, False), 4),
        (draw_computer(32, False, True), 4),
    ])


if __name__ == "__main__":
    main()
