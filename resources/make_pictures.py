#!/usr/bin/env python3
"""Draws the icons and bitmaps of the program and the core into resources/.

Plain Python (no imaging library): shapes are filled with 4x4 supersampling for the
icons (32-bit with alpha) and with hard edges for the bitmaps that use the mask colour
RGB(100,150,200), so no half-transparent fringe turns into the mask colour. The output
is deterministic; run it after changing a drawing and commit the files it writes.
"""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
MASK = (100, 150, 200)  # image-list mask colour of bitmaps 107 and 109
SUPERSAMPLE = 4


# ---------------------------------------------------------------- canvas and shapes


class Canvas:
    """RGBA pixels; shapes are given in units of the canvas size (0..1) or pixels."""

    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.width = width
        self.height = height
        self.px = [[fill for _ in range(width)] for _ in range(height)]

    def blend(self, x, y, rgb, coverage):
        if not (0 <= x < self.width and 0 <= y < self.height) or coverage <= 0:
            return
        r, g, b, a = self.px[y][x]
        sa = min(1.0, coverage)
        da = a / 255.0
        oa = sa + da * (1 - sa)
        if oa <= 0:
            return
        mix = [(c * sa + d * da * (1 - sa)) / oa for c, d in zip(rgb, (r, g, b))]
        self.px[y][x] = (round(mix[0]), round(mix[1]), round(mix[2]), round(oa * 255))

    def fill(self, inside, colour, hard=False):
        """inside(x, y) -> bool in pixel coordinates; colour is rgb or a function of (x, y)."""
        n = SUPERSAMPLE
        for y in range(self.height):
            for x in range(self.width):
                if hard:
                    hits = 1.0 if inside(x + 0.5, y + 0.5) else 0.0
                else:
                    hits = sum(
                        inside(x + (i + 0.5) / n, y + (j + 0.5) / n)
                        for i in range(n)
                        for j in range(n)
                    ) / (n * n)
                if hits:
                    rgb = colour(x, y) if callable(colour) else colour
                    self.blend(x, y, rgb, hits)

    def rgb_over(self, background):
        """Flattens onto a solid background (for bitmaps)."""
        out = []
        for row in self.px:
            line = []
            for r, g, b, a in row:
                t = a / 255.0
                line.append(tuple(round(c * t + bg * (1 - t)) for c, bg in zip((r, g, b), background)))
            out.append(line)
        return out


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def round_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    return inside


def ellipse(cx, cy, rx, ry, angle_deg=0.0):
    c, s = math.cos(math.radians(angle_deg)), math.sin(math.radians(angle_deg))

    def inside(x, y):
        dx, dy = x - cx, y - cy
        u, v = dx * c + dy * s, -dx * s + dy * c
        return (u / rx) ** 2 + (v / ry) ** 2 <= 1.0

    return inside


def polygon(points):
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
            if (ya > y) != (yb > y):
                if x < xa + (y - ya) * (xb - xa) / (yb - ya):
                    hit = not hit
        return hit

    return inside


def ring(cx, cy, r_in, r_out, a0_deg, a1_deg):
    """Part of an annulus between two angles (degrees, 0 = +x, counter-clockwise up)."""

    def inside(x, y):
        dx, dy = x - cx, cy - y
        d = math.hypot(dx, dy)
        if not (r_in <= d <= r_out):
            return False
        a = math.degrees(math.atan2(dy, dx))
        return a0_deg <= a <= a1_deg

    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def scaled(shape_fn, size):
    """Shapes are designed on a 0..1 square; this maps them to a size x size canvas."""
    return lambda x, y: shape_fn(x / size, y / size)


def vertical_gradient(top, bottom, height):
    def colour(x, y):
        t = y / max(1, height - 1)
        return tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))

    return colour


# ---------------------------------------------------------------- the drawings


def eighth_note():
    """A single eighth note on the unit square."""
    head = ellipse(0.40, 0.72, 0.17, 0.125, -22)
    stem = rect(0.505, 0.20, 0.585, 0.72)
    flag = polygon([(0.505, 0.16), (0.585, 0.16), (0.80, 0.36), (0.78, 0.52), (0.70, 0.40),
                    (0.585, 0.32), (0.505, 0.30)])
    return union(head, stem, flag)


def draw_program_icon(size):
    c = Canvas(size, size)
    pad = 0.03 * size
    tile = round_rect(pad, pad, size - pad, size - pad, 0.22 * size)
    c.fill(tile, vertical_gradient((66, 132, 238), (22, 58, 140), size))
    c.fill(scaled(eighth_note(), size), (255, 255, 255))
    # two short sound arcs at the lower right, in warm orange
    if size >= 24:
        c.fill(scaled(ring(0.58, 0.72, 0.22, 0.27, -40, 40), size), (255, 176, 64))
        c.fill(scaled(ring(0.58, 0.72, 0.31, 0.36, -35, 35), size), (255, 176, 64))
    return c


def speaker(x0):
    """A speaker facing right on the unit square, its box starting at x0."""
    box = rect(x0, 0.38, x0 + 0.16, 0.62)
    cone = polygon([(x0 + 0.14, 0.38), (x0 + 0.36, 0.18), (x0 + 0.36, 0.82), (x0 + 0.14, 0.62)])
    return union(box, cone)


def draw_speaker_icon(size):
    c = Canvas(size, size)
    c.fill(scaled(speaker(0.08), size), (40, 40, 48))
    wave = (30, 110, 220)
    c.fill(scaled(ring(0.44, 0.5, 0.12, 0.2, -50, 50), size), wave)
    c.fill(scaled(ring(0.44, 0.5, 0.27, 0.35, -50, 50), size), wave)
    c.fill(scaled(ring(0.44, 0.5, 0.42, 0.50, -45, 45), size), wave)
    return c


def draw_volume_button_icon(size):
    """An opaque raised button face with a small speaker: drawn at the strip's right end."""
    c = Canvas(size, size)
    c.fill(rect(0, 0, size, size), vertical_gradient((236, 236, 240), (196, 196, 204), size))
    edge = max(1, size // 16)
    c.fill(rect(0, 0, size, edge), (255, 255, 255), hard=True)
    c.fill(rect(0, 0, edge, size), (255, 255, 255), hard=True)
    c.fill(rect(0, size - edge, size, size), (120, 120, 128), hard=True)
    c.fill(rect(size - edge, 0, size, size), (120, 120, 128), hard=True)
    c.fill(scaled(speaker(0.12), size), (32, 32, 40))
    c.fill(scaled(ring(0.48, 0.5, 0.14, 0.23, -50, 50), size), (30, 110, 220))
    c.fill(scaled(ring(0.48, 0.5, 0.30, 0.38, -45, 45), size), (30, 110, 220))
    return c


def draw_play_indicator_frames():
    """Bitmap 107: two 16x16 frames of the play indicator (dim and lit)."""
    c = Canvas(32, 16)
    for frame, (body, rim) in enumerate((((40, 110, 40), (20, 60, 20)),
                                          ((110, 240, 90), (30, 120, 30)))):
        ox = frame * 16
        outer = polygon([(ox + 3, 2), (ox + 14, 8), (ox + 3, 14)])
        inner = polygon([(ox + 4, 3.8), (ox + 12.2, 8), (ox + 4, 12.2)])
        c.fill(outer, rim, hard=True)
        c.fill(inner, body, hard=True)
        if frame == 1:
            c.fill(rect(ox + 5, 5, ox + 7, 7), (220, 255, 210), hard=True)
    return c


def page(ox, paper=(250, 250, 250), line=(90, 90, 100)):
    """A document outline with a folded corner at x offset ox (16x16 cell)."""
    body = polygon([(ox + 3, 1), (ox + 10, 1), (ox + 13, 4), (ox + 13, 15), (ox + 3, 15)])
    inner = polygon([(ox + 4, 2), (ox + 9.5, 2), (ox + 12, 4.5), (ox + 12, 14), (ox + 4, 14)])
    fold = polygon([(ox + 9, 1), (ox + 9, 5), (ox + 13, 5)])
    return [(body, line), (inner, paper), (fold, line)]


def small_note(ox, colour):
    head = ellipse(ox + 6.5, 11.5, 1.9, 1.4, -20)
    stem = rect(ox + 8, 5, ox + 9, 11.5)
    flag = polygon([(ox + 8, 5), (ox + 9, 5), (ox + 11, 7.5), (ox + 10.2, 8), (ox + 9, 7)])
    return [(head, colour), (stem, colour), (flag, colour)]


def draw_item_icons():
    """Bitmap 109: 0 file, 1 folder heading, 2 unused, 3 played this round, 4 unplayable."""
    c = Canvas(80, 16)
    for shape, colour in page(0) + small_note(0, (30, 80, 200)):
        c.fill(shape, colour, hard=True)
    # 1: folder
    ox = 16
    c.fill(polygon([(ox + 1, 3), (ox + 6, 3), (ox + 7, 5), (ox + 15, 5), (ox + 15, 14),
                    (ox + 1, 14)]), (150, 110, 20), hard=True)
    c.fill(polygon([(ox + 2, 4), (ox + 5.5, 4), (ox + 6.5, 6), (ox + 14, 6), (ox + 14, 13),
                    (ox + 2, 13)]), (250, 210, 80), hard=True)
    c.fill(rect(ox + 2, 7, ox + 14, 8), (255, 236, 150), hard=True)
    # 2: unused, left as mask colour
    # 3: played: a greyed page with a green tick
    ox = 48
    for shape, colour in page(ox, paper=(225, 225, 225), line=(140, 140, 140)):
        c.fill(shape, colour, hard=True)
    tick = polygon([(ox + 2, 9), (ox + 4, 7), (ox + 7, 10), (ox + 13, 3), (ox + 15, 5),
                    (ox + 7, 14)])
    c.fill(tick, (20, 150, 40), hard=True)
    # 4: unplayable: a page with a red cross
    ox = 64
    for shape, colour in page(ox):
        c.fill(shape, colour, hard=True)
    bar1 = polygon([(ox + 3, 5), (ox + 5, 3), (ox + 15, 13), (ox + 13, 15)])
    bar2 = polygon([(ox + 13, 3), (ox + 15, 5), (ox + 5, 15), (ox + 3, 13)])
    c.fill(union(bar1, bar2), (210, 30, 30), hard=True)
    return c


# A small 5x7 pixel font (descenders reach two rows lower), only the characters the
# About picture uses.
FONT = {
    "H": ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "a": ["00000", "00000", "01110", "00001", "01111", "10001", "01111"],
    "c": ["00000", "00000", "01110", "10000", "10000", "10001", "01110"],
    "d": ["00001", "00001", "01101", "10011", "10001", "10011", "01101"],
    "e": ["00000", "00000", "01110", "10001", "11111", "10000", "01110"],
    "f": ["00110", "01001", "01000", "11100", "01000", "01000", "01000"],
    "g": ["00000", "00000", "01111", "10001", "10001", "10001", "01111", "00001", "01110"],
    "i": ["00100", "00000", "01100", "00100", "00100", "00100", "01110"],
    "l": ["01100", "00100", "00100", "00100", "00100", "00100", "01110"],
    "m": ["00000", "00000", "11010", "10101", "10101", "10101", "10101"],
    "n": ["00000", "00000", "10110", "11001", "10001", "10001", "10001"],
    "o": ["00000", "00000", "01110", "10001", "10001", "10001", "01110"],
    "p": ["00000", "00000", "11110", "10001", "10001", "10001", "11110", "10000", "10000"],
    "r": ["00000", "00000", "10110", "11001", "10000", "10000", "10000"],
    "s": ["00000", "00000", "01111", "10000", "01110", "00001", "11110"],
    "t": ["01000", "01000", "11100", "01000", "01000", "01001", "00110"],
    "u": ["00000", "00000", "10001", "10001", "10001", "10011", "01101"],
    "v": ["00000", "00000", "10001", "10001", "10001", "01010", "00100"],
    "w": ["00000", "00000", "10001", "10001", "10101", "10101", "01010"],
    "y": ["00000", "00000", "10001", "10001", "10001", "10001", "01111", "00001", "01110"],
    "0": ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
    "2": ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    "3": ["11111", "00010", "00100", "00010", "00001", "10001", "01110"],
    ".": ["00000", "00000", "00000", "00000", "00000", "01100", "01100"],
    "-": ["00000", "00000", "00000", "11111", "00000", "00000", "00000"],
    " ": ["00000"] * 7,
}


def draw_text(canvas, text, x, y, scale, colour):
    for ch in text:
        glyph = FONT[ch]
        for row, bits in enumerate(glyph):
            for col, bit in enumerate(bits):
                if bit == "1":
                    canvas.fill(rect(x + col * scale, y + row * scale, x + (col + 1) * scale,
                                     y + (row + 1) * scale), colour, hard=True)
        x += 6 * scale
    return x


def draw_about_picture():
    """Bitmap 112, 292 x 41: the program icon, the name and a line of waves."""
    w, h = 292, 41
    c = Canvas(w, h)
    c.fill(rect(0, 0, w, h), vertical_gradient((34, 76, 168), (12, 30, 78), h), hard=True)
    # a faint sine wave across the whole picture
    def wave(x, y):
        return abs(y - (37 + 2.5 * math.sin(x / 9.0))) < 0.8
    c.fill(wave, (90, 150, 240))
    icon = draw_program_icon(32)
    for y in range(32):
        for x in range(32):
            r, g, b, a = icon.px[y][x]
            c.blend(5 + x, 4 + y, (r, g, b), a / 255.0)
    draw_text(c, "Harrowgladeforte", 46, 4, 2, (8, 20, 60))  # shadow
    draw_text(c, "Harrowgladeforte", 45, 3, 2, (255, 255, 255))
    draw_text(c, "2.03", 245, 10, 1, (255, 200, 110))
    draw_text(c, "a compact audio player", 46, 24, 1, (190, 210, 255))
    return c


# ---------------------------------------------------------------- file writers


def write_bmp(path, rows):
    """24-bit bottom-up BMP."""
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def icon_image(canvas):
    """One 32-bit icon image: BITMAPINFOHEADER, BGRA rows, then the AND mask."""
    s = canvas.width
    xor = bytearray()
    for row in reversed(canvas.px):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((s + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(canvas.px):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, s, 2 * s, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


def write_ico(path, canvases):
    images = [icon_image(c) for c in canvases]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for c, data in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.width % 256, c.height % 256, 0, 0, 1, 32, len(data),
                           offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def main():
    launcher = os.path.join(HERE, "launcher")
    core = os.path.join(HERE, "core")
    write_ico(os.path.join(launcher, "Program.ico"), [draw_program_icon(s) for s in (16, 32, 48)])
    write_bmp(os.path.join(launcher, "PlayIndicator.bmp"),
              draw_play_indicator_frames().rgb_over(MASK))
    write_bmp(os.path.join(launcher, "ItemIcons.bmp"), draw_item_icons().rgb_over(MASK))
    write_bmp(os.path.join(launcher, "About.bmp"), draw_about_picture().rgb_over((0, 0, 0)))
    write_ico(os.path.join(core, "VolumeButton.ico"),
              [draw_volume_button_icon(s) for s in (16, 32)])
    write_ico(os.path.join(core, "Speaker.ico"), [draw_speaker_icon(s) for s in (16, 32)])


if __name__ == "__main__":
    main()
