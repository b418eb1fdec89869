#!/usr/bin/env python3
"""Stand-in wiring diagram bitmaps until the drawn ones are in res/diagram/.

Writes diagram_<code>.bmp and diagram_<code>_rle.bmp (961 x 636, 8 bits per
pixel with palette; the second run-length encoded) into the folder given:
white with a black frame, a grey 50-pixel grid and a diagonal per language,
so that scrolling and the language switch can be seen.
"""
import os
import struct
import sys

W, H = 961, 636
CODES = ["pol", "ang", "rus", "lit", "cs"]
PALETTE = [(255, 255, 255), (0, 0, 0), (200, 200, 200), (0, 0, 200), (200, 0, 0)]


def pixels(lang_index):
    rows = []
    for y in range(H):
        row = bytearray(W)
        for x in range(W):
            if x in (0, W - 1) or y in (0, H - 1):
                row[x] = 1
            elif (x + y * (lang_index + 1)) % 400 == 0:
                row[x] = 3 + lang_index % 2
            elif x % 50 == 0 or y % 50 == 0:
                row[x] = 2
        rows.append(bytes(row))
    return rows  # top row first


def rle8_row(row):
    out = bytearray()
    i = 0
    while i < len(row):
        n = 1
        while i + n < len(row) and n < 255 and row[i + n] == row[i]:
            n += 1
        out += bytes([n, row[i]])
        i += n
    return out + b"\x00\x00"  # end of line


def bmp(rows, rle):
    if rle:
        data = b"".join(rle8_row(r) for r in reversed(rows))[:-2] + b"\x00\x01"
    else:
        stride = (W + 3) & ~3
        data = b"".join(r + b"\x00" * (stride - W) for r in reversed(rows))
    palette = b"".join(bytes([b, g, r, 0]) for r, g, b in PALETTE)
    palette += b"\x00" * (4 * 256 - len(palette))
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 8, 1 if rle else 0, len(data),
                       2835, 2835, 256, 0)
    return header + info + palette + data


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for i, code in enumerate(CODES):
        rows = pixels(i)
        for rle, suffix in ((False, ""), (True, "_rle")):
            with open(os.path.join(out, "diagram_%s%s.bmp" % (code, suffix)), "wb") as f:
                f.write(bmp(rows, rle))


if __name__ == "__main__":
    main()
