#!/usr/bin/env python3
"""Fills the diagram template with one language's texts and checks the layout.

Usage: fill.py CODE OUT.svg   (CODE: a code of scripts/languages)

Every <text> of diagram.svg holding {{key}} gets the text of that key from
labels.tsv; a "|" starts a new line. All texts, the fixed ones too, are then
measured by rendering them with rsvg-convert and trimming each with
ImageMagick. The filled picture is written either way, but the language is
refused (exit status 1, reasons on stderr) when a text is wider than its
data-maxw, has more lines than its data-maxl, leaves the picture, touches
another text, crosses a wire, cable or pipe, or comes closer than MARGIN
pixels to the edge of a box, from inside or from outside.
"""
import html
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
# The program's language codes, from its one list (shell/language_list.h);
# labels.tsv has a column for each, in this order.
CODES = subprocess.run([os.path.join(HERE, "..", "..", "scripts", "languages")],
                       check=True, capture_output=True, text=True).stdout.split()
TEXT_RE = re.compile(r'<text ([^>]*)>(\{\{(\w+)\}\}|[^<{]*)</text>')
ATTR_RE = re.compile(r'([\w-]+)="([^"]*)"')
LINE_HEIGHT = 1.27  # times the font size
ROW = 26            # measuring sheet: pixels per text line
# Drawn strokes that texts must keep clear of, with their widths.
STROKES = {"wo": 5, "co": 9, "po": 7, "car": 1.6}
# Boxes whose edges texts keep MARGIN pixels away from, inside or outside:
# rects of these classes, and paths of them that carry data-box="x,y,w,h".
BOXES = ("box", "ctl", "part", "dark", "note", "panel")
MARGIN = 5  # clear pixels between a text's ink and a box's drawn border
RECT_RE = re.compile(r'<(rect|path) ([^>]*)/>')


def read_labels(code):
    col = CODES.index(code) + 1
    labels = {}
    with open(os.path.join(HERE, "labels.tsv"), encoding="utf-8") as f:
        if next(f).rstrip("\n").split("\t")[1:] != CODES:
            sys.exit("labels.tsv: the columns must be key, %s" % ", ".join(CODES))
        for n, line in enumerate(f, 2):
            cells = line.rstrip("\n").split("\t")
            if len(cells) != len(CODES) + 1:
                sys.exit("labels.tsv:%d: expected %d cells" % (n, len(CODES) + 1))
            labels[cells[0]] = cells[col]
    return labels


def class_fonts(svg):
    """Font size and weight of every text class in the template's style."""
    fonts = {}
    for name, body in re.findall(r'\.([\w-]+)\s*\{([^}]*)\}', svg):
        size = re.search(r'font-size:\s*([\d.]+)px', body)
        if size:
            bold = "bold" if re.search(r'font-weight:\s*bold', body) else "normal"
            fonts[name] = (float(size.group(1)), bold)
    return fonts


def fill(svg, labels, fonts):
    """The filled SVG and one record per text line: key, attributes, line, x, baseline,
    line count. Fixed texts of the template are recorded too, so that they are checked."""
    lines = []

    def replace(m):
        attrs = dict(ATTR_RE.findall(m.group(1)))
        key = m.group(3)
        if key is None:
            lines.append(("fixed", attrs, html.unescape(m.group(2)), float(attrs["x"]),
                          float(attrs["y"]), 1))
            return m.group(0)
        if key not in labels:
            sys.exit("labels.tsv has no key %s" % key)
        parts = labels[key].split("|")
        size = fonts[attrs["class"]][0]
        x, y = float(attrs["x"]), float(attrs["y"])
        if attrs.get("data-valign") == "bottom":
            y -= (len(parts) - 1) * size * LINE_HEIGHT
        elif attrs.get("data-valign") == "middle":
            y -= (len(parts) - 1) * size * LINE_HEIGHT / 2
        spans = []
        for i, part in enumerate(parts):
            base = round(y + i * size * LINE_HEIGHT, 1)
            lines.append((key, attrs, part, x, base, len(parts)))
            spans.append('<tspan x="%g" y="%g">%s</tspan>' % (x, base, html.escape(part, quote=False)))
        return "<text %s>%s</text>" % (m.group(1), "".join(spans))

    return TEXT_RE.sub(replace, svg), lines


def measure(lines, style):
    """Ink box (left, top, width, height) of each line, relative to its anchor."""
    width = 1200
    body = []
    for i, (_, attrs, part, _, _, _) in enumerate(lines):
        # Measured in black on white, whatever colour the text has in the picture.
        body.append('<text x="600" y="%d" class="%s" style="fill:#000"%s>%s</text>' % (
            i * ROW + 18, attrs["class"],
            ' text-anchor="%s"' % attrs["text-anchor"] if "text-anchor" in attrs else "",
            html.escape(part, quote=False)))
    sheet = ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d">%s'
             '<rect width="100%%" height="100%%" fill="#fff"/>%s</svg>'
             % (width, ROW * len(lines), style, "".join(body)))
    with tempfile.TemporaryDirectory() as tmp:
        src, png = os.path.join(tmp, "m.svg"), os.path.join(tmp, "m.png")
        with open(src, "w", encoding="utf-8") as f:
            f.write(sheet)
        subprocess.run(["rsvg-convert", "-o", png, src], check=True)
        out = subprocess.run(["convert", png, "-crop", "%dx%d" % (width, ROW), "+repage",
                              "-format", "%@\n", "info:"],
                             check=True, capture_output=True, text=True).stdout.split()
    boxes = []
    for geo in out:
        w, h, x, y = map(int, re.match(r'(\d+)x(\d+)\+(\d+)\+(\d+)', geo).groups())
        boxes.append((x - 600, y - 18, w, h))
    return boxes


def segments(svg):
    """Every straight piece of the strokes texts must not cross, with half its width."""
    segs = []
    for cls, pts in re.findall(r'<polyline class="(\w+)"[^>]* points="([^"]*)"', svg):
        if cls in STROKES:
            p = [tuple(map(float, q.split(","))) for q in pts.split()]
            segs += [(a, b, STROKES[cls] / 2) for a, b in zip(p, p[1:])]
    return segs


def crosses(box, seg):
    (x0, y0, x1, y1), ((ax, ay), (bx, by), half) = box, seg
    # Pieces are horizontal or vertical: compare the thickened piece as a box.
    sx0, sx1 = min(ax, bx) - half, max(ax, bx) + half
    sy0, sy1 = min(ay, by) - half, max(ay, by) + half
    return sx0 < x1 and x0 < sx1 and sy0 < y1 and y0 < sy1


def outlines(svg):
    """Every box texts keep their distance from, as drawn: (left, top, right, bottom,
    corner radius, half the width of its border)."""
    borders = {name: float(width) / 2 for name, width in
               re.findall(r'\.([\w-]+)\s*\{[^}]*stroke-width:\s*([\d.]+)', svg)}
    found = []
    for kind, body in RECT_RE.findall(svg):
        attrs = dict(ATTR_RE.findall(body))
        if attrs.get("class") not in BOXES:
            continue
        if kind == "rect":
            x, y, w, h = (float(attrs[k]) for k in ("x", "y", "width", "height"))
        elif "data-box" in attrs:
            x, y, w, h = map(float, attrs["data-box"].split(","))
        else:
            continue
        found.append((x, y, x + w, y + h, min(float(attrs.get("rx", 0)), w / 2, h / 2),
                      borders.get(attrs["class"], 0)))
    return found


def well_inside(box, outline):
    """True when the text box keeps MARGIN from every edge, rounded corners included."""
    x0, y0, x1, y1, r, border = outline
    x0, y0, x1, y1, r = x0 + border, y0 + border, x1 - border, y1 - border, r - border
    for px, py in ((box[0], box[1]), (box[2], box[1]), (box[0], box[3]), (box[2], box[3])):
        if not (x0 + MARGIN <= px <= x1 - MARGIN and y0 + MARGIN <= py <= y1 - MARGIN):
            return False
        # Near a rounded corner the edge is the corner's arc.
        cx = min(max(px, x0 + r), x1 - r)
        cy = min(max(py, y0 + r), y1 - r)
        in_corner = cx != px and cy != py
        if in_corner and (px - cx) ** 2 + (py - cy) ** 2 > max(r - MARGIN, 0) ** 2:
            return False
    return True


def well_outside(box, outline):
    x0, y0, x1, y1, _, border = outline
    x0, y0, x1, y1 = x0 - border, y0 - border, x1 + border, y1 + border
    return (box[2] + MARGIN <= x0 or x1 + MARGIN <= box[0] or
            box[3] + MARGIN <= y0 or y1 + MARGIN <= box[1])


def check(svg, lines, boxes, width, height):
    faults = []
    placed = []
    for (key, attrs, part, x, base, count), (dx, dy, w, h) in zip(lines, boxes):
        box = (x + dx, base + dy, x + dx + w, base + dy + h)
        if w == 0:
            faults.append("%s: '%s' draws nothing" % (key, part))
        if "data-maxw" in attrs and w > int(attrs["data-maxw"]):
            faults.append("%s: '%s' is %d px wide, at most %s" % (key, part, w, attrs["data-maxw"]))
        if count > int(attrs.get("data-maxl", "1")):
            faults.append("%s: %d lines, at most %s" % (key, count, attrs.get("data-maxl", "1")))
        if box[0] < 3 or box[1] < 3 or box[2] > width - 3 or box[3] > height - 3:
            faults.append("%s: '%s' leaves the picture" % (key, part))
        placed.append((key, part, box))
    for i, (ka, pa, a) in enumerate(placed):
        for kb, pb, b in placed[i + 1:]:
            if a[0] < b[2] + 1 and b[0] < a[2] + 1 and a[1] < b[3] + 1 and b[1] < a[3] + 1:
                faults.append("%s '%s' touches %s '%s'" % (ka, pa, kb, pb))
    segs = segments(svg)
    frames = outlines(svg)
    for key, part, box in placed:
        grown = (box[0] - 1, box[1] - 1, box[2] + 1, box[3] + 1)
        if any(crosses(grown, s) for s in segs):
            faults.append("%s: '%s' crosses a wire" % (key, part))
        for o in frames:
            if not well_inside(box, o) and not well_outside(box, o):
                faults.append("%s: '%s' is closer than %d px to the edge of the box at %g,%g" %
                              (key, part, MARGIN, o[0], o[1]))
    return faults


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in CODES:
        sys.exit(__doc__)
    code, target = sys.argv[1], sys.argv[2]
    with open(os.path.join(HERE, "diagram.svg"), encoding="utf-8") as f:
        template = f.read()
    filled, lines = fill(template, read_labels(code), class_fonts(template))
    style = re.search(r'<style>.*?</style>', template, re.S).group(0)
    size = re.search(r'<svg [^>]*width="(\d+)" height="(\d+)"', template)
    faults = check(template, lines, measure(lines, style), int(size.group(1)), int(size.group(2)))
    with open(target, "w", encoding="utf-8") as f:
        f.write(filled)
    for fault in faults:
        print("%s: %s" % (code, fault), file=sys.stderr)
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
