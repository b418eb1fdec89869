#!/usr/bin/env python3
"""Regenerates the language flag bitmaps and the program icon in res/.

Everything is drawn here from simple shapes, so the output is the same byte
for byte on every run. Usage: python3 res/make_bitmaps.py [output folder]
"""
import math
import os
import struct
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# The classic 16-colour palette; the flags use its pure colours only.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREEN, NAVY, SILVER, RED, YELLOW, BLUE, WHITE = 0, 2, 4, 7, 9, 11, 12, 15

FLAG_W, FLAG_H = 14, 12


def stripes(colours):
    """Horizontal stripes of (nearly) equal height, top to bottom."""
    rows = []
    for y in range(FLAG_H):
        rows.append([colours[y * len(colours) // FLAG_H]] * FLAG_W)
    return rows


def flag_pol():
    return stripes([WHITE, RED])


def flag_rus():
    return stripes([WHITE, BLUE, RED])


def flag_lit():
    return stripes([YELLOW, GREEN, RED])


def flag_cs():
    rows = stripes([WHITE, RED])
    half = FLAG_H / 2.0
    for y in range(FLAG_H):
        # Triangle from the hoist to the middle of the flag.
        reach = 7.0 * (1.0 - abs(y + 0.5 - half) / half)
        for x in range(FLAG_W):
            if x + 0.5 < reach:
                rows[y][x] = BLUE
    return rows


def flag_ang():
    # Blue field with a white-edged red cross: small enough to read at 14 x 12.
    rows = [[NAVY] * FLAG_W for _ in range(FLAG_H)]
    for y in range(FLAG_H):
        for x in range(FLAG_W):
            if 5 <= x <= 8 or 4 <= y <= 7:
                rows[y][x] = WHITE
            if 6 <= x <= 7 or 5 <= y <= 6:
                rows[y][x] = RED
    return rows


def with_frame(rows, colour):
    """The flag inside a 1-pixel frame: silver when unchecked, so that white
    stripes stay visible on a white menu, black when checked."""
    out = [list(r) for r in rows]
    for y in range(FLAG_H):
        for x in range(FLAG_W):
            if x in (0, FLAG_W - 1) or y in (0, FLAG_H - 1):
                out[y][x] = colour
    return out


def bmp4(rows):
    """A 4-bit BMP file: file header, info header, 16 colours, bottom-up rows."""
    height, width = len(rows), len(rows[0])
    stride = ((width * 4 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for x in range(0, width, 2):
            hi = row[x]
            lo = row[x + 1] if x + 1 < width else 0
            line.append((hi << 4) | lo)
        line.extend(b"\0" * (stride - len(line)))
        pixels += line
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels),
                       2835, 2835, 16, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette + bytes(pixels)


# ---- icon: a gas flame over a gauge arc, 32-bit colour with alpha ----

def icon_colour(x, y):
    """Colour and coverage of design point (x, y) in a 32 x 32 design space."""
    cx, cy = 16.0, 17.0
    r = math.hypot(x - cx, y - cy)
    # Flame: a teardrop standing on the gauge centre.
    fx, fy = x - 16.0, y - 19.0
    in_flame = False
    inner = False
    if fy >= 0:
        in_flame = (fx / 7.0) ** 2 + (fy / 7.0) ** 2 <= 1.0
        inner = (fx / 3.5) ** 2 + ((fy + 1) / 4.5) ** 2 <= 1.0
    elif fy > -15:
        in_flame = abs(fx) <= 7.0 * math.sqrt(1.0 - (-fy / 15.0))
        inner = fy > -8 and abs(fx) <= 3.5 * math.sqrt(1.0 - (-fy / 8.0))
    if inner:
        return (255, 255, 255)
    if in_flame:
        return (0, 96, 255)
    # Gauge: an arc with a red zone on the right.
    if 13.0 <= r <= 15.5 and y < 26:
        angle = math.degrees(math.atan2(cy - y, x - cx))
        return (220, 0, 0) if -60 < angle < 20 else (40, 40, 40)
    return None


def icon_image(size):
    """BGRA rows top-down, 4 x 4 supersampled for soft edges."""
    rows = []
    n = 4
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) * 32.0 / size
                    y = (py + (sy + 0.5) / n) * 32.0 / size
                    c = icon_colour(x, y)
                    if c:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            if hits:
                r, g, b = (v // hits for v in acc)
                row.append((b, g, r, hits * 255 // (n * n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def ico(sizes):
    images = []
    for size in sizes:
        rows = icon_image(size)
        xor = b"".join(bytes(p) for row in reversed(rows) for p in row)
        mask_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            line = bytearray(mask_stride)
            for x, p in enumerate(row):
                if p[3] == 0:
                    line[x // 8] |= 0x80 >> (x % 8)
            mask += line
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                           len(xor) + len(mask), 0, 0, 0, 0)
        images.append((size, info + xor + bytes(mask)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def language_codes():
    """The program's language codes, from its one list (shell/language_list.h)."""
    out = subprocess.run([os.path.join(ROOT, "scripts", "languages")],
                         check=True, capture_output=True, text=True).stdout
    return out.split()


def flag(code):
    """The flag drawn by flag_<code> above."""
    draw = globals().get("flag_" + code)
    if draw is None:
        sys.exit("make_bitmaps.py: no flag for language %s: add flag_%s()" % (code, code))
    return draw()


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for code in language_codes():
        rows = flag(code)
        with open(os.path.join(folder, "flag_%s.bmp" % code), "wb") as f:
            f.write(bmp4(with_frame(rows, SILVER)))
        with open(os.path.join(folder, "flag_%s_on.bmp" % code), "wb") as f:
            f.write(bmp4(with_frame(rows, BLACK)))
    with open(os.path.join(folder, "zuvels.ico"), "wb") as f:
        f.write(ico([32, 16]))


if __name__ == "__main__":
    main()
