#!/usr/bin/env python3
"""Writes config_pages.rc: the configuration and options page templates, one
per window size. Both pages are laid out once on a base grid of dialog units
and scaled for every template, so all sizes share one arrangement: section
headings at the left, then row labels, lists and units in three columns.

The page always covers the main window's client area, so what counts is how
many dialog units of the template's font fit there, not the template's own
size: the base grid is what fits at 640x480 (where the font is largest for the
window), and each template is stretched to what fits at its window size.

    python3 res/make_config_pages.py [--check]

A page that runs past what fits at any window size is refused, naming the
rows that do; --check compares config_pages.rc with the layout.
"""
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
BASE_W, BASE_H = 316, 215

# Dialog units of each template's font inside the main window's client area
# at its window size (measured under Wine, whose fonts run wider than
# Windows' own, so the layout fits both).
# The last figure is pixels per vertical dialog unit of the font.
USABLE = {
    1: (316, 215, 1.875),
    2: (352, 246, 2.125),
    3: (369, 263, 2.625),
    4: (363, 261, 3.375),
    5: (363, 280, 3.375),
}

# (template id name, width, height, font size, face, window size)
CONFIG_TEMPLATES = [
    ("IDD_CONFIG_1", 357, 227, 10, "MS Sans Serif", "640x480"),
    ("IDD_CONFIG_2", 357, 227, 12, "MS Sans Serif", "800x600"),
    ("IDD_CONFIG_3", 389, 260, 14, "Arial", "1024x768"),
    ("IDD_CONFIG_4", 368, 254, 18, "Arial", "1280x960"),
    ("IDD_CONFIG_5", 363, 272, 18, "Arial", "1280x1024"),
]
OPTIONS_TEMPLATES = [
    ("IDD_OPTIONS_1", 357, 227, 10, "MS Sans Serif", "640x480"),
    ("IDD_OPTIONS_2", 357, 227, 12, "MS Sans Serif", "800x600"),
    ("IDD_OPTIONS_3", 385, 227, 14, "Arial", "1024x768"),
    ("IDD_OPTIONS_4", 380, 254, 18, "Arial", "1280x960"),
    ("IDD_OPTIONS_5", 380, 268, 18, "Arial", "1280x1024"),
]

HIDDEN = " | NOT WS_VISIBLE"
LIST = "CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP"
LIST_DROP = 110  # height of a dropped-down list


class Layout:
    """Columns and rows of one page on the base grid."""

    def __init__(self, cols, pitch, check_pitch, top, gap):
        self.cols = cols  # name -> (x, w)
        self.pitch, self.check_pitch, self.top, self.gap = pitch, check_pitch, top, gap
        self.controls = []  # (kind, text, id, x, y, w, h, style extras)

    def add(self, kind, text, cid, col, row_y, extra="", span=None, h=0, width=None):
        """h 0: one line of text, as tall as a closed list at every size."""
        x, w = self.cols[col]
        if span:
            x2, w2 = self.cols[span]
            w = x2 + w2 - x
        self.controls.append((kind, text, cid, x, row_y, width or w, h, extra))


def rc_text(s):
    return '"' + s.replace('"', '""') + '"'


# Class and style by kind of control. Single-line texts are as tall as a
# closed list and centred in that height, so they line up with the lists at
# every font size.
KINDS = {
    "heading": ("STATIC", "SS_LEFT | SS_SUNKEN | SS_CENTERIMAGE"),
    "label": ("STATIC", "SS_LEFT | SS_CENTERIMAGE"),
    "text": ("STATIC", "SS_LEFT | SS_SUNKEN | SS_CENTERIMAGE"),
    "list": ("COMBOBOX", LIST),
    "check": ("BUTTON", "BS_AUTOCHECKBOX | WS_TABSTOP"),
    "button": ("BUTTON", "BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP"),
    "line": ("STATIC", "SS_GRAYRECT"),
}


def line_height(pxy):
    """A closed list: the font's 8 dialog units plus about 7 pixels of frame."""
    return math.ceil(8 + 7 / pxy)


def emit_control(out, c, sx, sy, pxy):
    kind, text, cid, x, y, w, h, extra = c
    X, Y, W = round(x * sx), round(y * sy), round(w * sx)
    if kind == "line":
        H = 1
    elif h:
        H = round(h * sy)
    else:
        H = line_height(pxy)
    cls, style = KINDS[kind]
    out.append("    CONTROL %s, %s, %s, %s%s,\n            %d, %d, %d, %d"
               % (rc_text(text), cid, rc_text(cls), style, extra, X, Y, W, H))


def row_height(layout, row):
    """Rows holding only a check box take less room than rows with a list."""
    return layout.check_pitch if all(item[0] == "check" for item in row) else layout.pitch


def rows_of(layout, sections):
    """Places sections of rows; a row is a list of (kind, text, id, col, extra)."""
    y = layout.top
    for heading, rows, left in sections:
        layout.add("heading", heading[0], heading[1], "H", y)
        for item in left:  # further controls under the heading
            kind, text, cid, row, nrows, width, extra = item
            layout.add(kind, text, cid, "H", y + row * layout.pitch + 1, extra,
                       h=nrows * layout.pitch - 2, width=width)
        for row in rows:
            for kind, text, cid, col, extra in row:
                layout.add(kind, text, cid, col, y, extra, h=LIST_DROP if kind == "list" else 0)
            y += row_height(layout, row)
        y += 1
        layout.add("line", "", "IDC_STATIC", "H", y, span="U", h=1)
        y += layout.gap
    return y


def label(text, cid, extra=""):
    return ("label", text, cid, "L", extra)


def unit(text, cid, extra=""):
    return ("label", text, cid, "U", extra)


def lst(cid, extra=""):
    return ("list", "", cid, "C", extra)


def check(text, cid):
    return ("check", text, cid, "L", "")


def config_layout():
    lay = Layout({"H": (3, 72), "L": (78, 114), "C": (194, 82), "U": (279, 37)},
                 pitch=12.6, check_pitch=10.5, top=1, gap=2)
    sections = [
        (("Sonda Lambda", "IDC_CFG_LAMBDA_HEADING"), [
            [label("Typ sondy Lambda", "IDC_CFG_PROBE_TYPE_LABEL"), lst("IDC_CFG_PROBE_TYPE")],
            [label("Punkt neutralny Lambdy", "IDC_CFG_NEUTRAL_POINT_LABEL"),
             lst("IDC_CFG_NEUTRAL_POINT"), unit("[V]     ", "IDC_CFG_NEUTRAL_POINT_UNIT")],
            [label("Czas opóźnienia odczytu sondy Lambda", "IDC_CFG_READING_DELAY_LABEL"),
             lst("IDC_CFG_READING_DELAY"), unit("[min:sek]", "IDC_CFG_READING_DELAY_UNIT")],
            [label("Typ emulacji sondy Lambda", "IDC_CFG_EMULATION_TYPE_LABEL"),
             lst("IDC_CFG_EMULATION_TYPE")],
            [label('Czas emulacji stanu "H"', "IDC_CFG_HIGH_TIME_LABEL"), lst("IDC_CFG_HIGH_TIME"),
             unit("[sek]", "IDC_CFG_HIGH_TIME_UNIT")],
            [label('Czas emulacji stanu "L"', "IDC_CFG_LOW_TIME_LABEL"), lst("IDC_CFG_LOW_TIME"),
             unit("[sek]", "IDC_CFG_LOW_TIME_UNIT")],
            [check("Niski poziom sygnału", "IDC_CFG_LOW_SIGNAL")],
        ], []),
        (("Obroty", "IDC_CFG_SPEED_HEADING"), [
            [label("Typ układu zapłonowego", "IDC_CFG_IGNITION_TYPE_LABEL"),
             lst("IDC_CFG_IGNITION_TYPE")],
            [label("Punkt przełączenia na gaz", "IDC_CFG_SWITCH_SPEED_LABEL"),
             lst("IDC_CFG_SWITCH_SPEED"), unit("[obr/min]", "IDC_CFG_SWITCH_SPEED_UNIT")],
            [label("Przełączenie przy zmianie obrotów ", "IDC_CFG_SWITCH_DIRECTION_LABEL"),
             lst("IDC_CFG_SWITCH_DIRECTION")],
        ], []),
        (("TPS", "IDC_CFG_TPS_HEADING"), [
            [label("Typ czujnika TPS", "IDC_CFG_TPS_TYPE_LABEL"), lst("IDC_CFG_TPS_TYPE")],
            [label("Bezwładność TPS na biegu jałowym", "IDC_CFG_TPS_INERT_LABEL"),
             lst("IDC_CFG_TPS_INERT"), unit("[V]     ", "IDC_CFG_TPS_INERT_UNIT")],
        ], []),
        (("Emulator wtryskiwaczy", "IDC_CFG_EMULATOR_HEADING"), [
            [label("Czas nakładania faz BENZYNA/GAZ", "IDC_CFG_OVERLAP_LABEL"),
             lst("IDC_CFG_OVERLAP"), unit("[sek]", "IDC_CFG_OVERLAP_UNIT")],
            [check("Awaryjny rozruch silnika", "IDC_CFG_EMERGENCY_START")],
            [label("Wstępne otwarcie zaworu GAZU", "IDC_CFG_VALVE_OPENING_LABEL", HIDDEN),
             lst("IDC_CFG_VALVE_OPENING", " | CBS_SORT" + HIDDEN),
             unit("[sek]", "IDC_CFG_VALVE_OPENING_UNIT", HIDDEN)],
        ], []),
        (("Czujnik ilości gazu", "IDC_CFG_LEVEL_HEADING"), [
            [label("Typ czujnika", "IDC_CFG_SENSOR_MODE_LABEL"),
             ("text", "", "IDC_CFG_SENSOR_MODE", "C", ""),
             ("button", "Zmień", "IDC_CFG_LEVEL_SENSOR", "U", "")],
        ], []),
    ]
    rows_of(lay, sections)
    return lay


def options_layout():
    lay = Layout({"H": (3, 96), "L": (102, 106), "C": (211, 52), "U": (266, 46)},
                 pitch=14, check_pitch=12, top=3, gap=2)
    sections = [
        (("", "IDC_OPT_HEADING1"), [
            [check("", "IDC_OPT_START_POSITION_BOX"), lst("IDC_OPT_START_POSITION", HIDDEN),
             unit("", "IDC_OPT_START_POSITION_UNIT", HIDDEN)],
            [label("", "IDC_OPT_IDLE_LOWER_LABEL"), lst("IDC_OPT_IDLE_LOWER"),
             unit("", "IDC_OPT_IDLE_LOWER_UNIT")],
            [label("", "IDC_OPT_IDLE_UPPER_LABEL"), lst("IDC_OPT_IDLE_UPPER"),
             unit("", "IDC_OPT_IDLE_UPPER_UNIT")],
            [label("", "IDC_OPT_LOAD_LOWER_LABEL"), lst("IDC_OPT_LOAD_LOWER"),
             unit("", "IDC_OPT_LOAD_LOWER_UNIT")],
            [label("", "IDC_OPT_LOAD_UPPER_LABEL"), lst("IDC_OPT_LOAD_UPPER"),
             unit("", "IDC_OPT_LOAD_UPPER_UNIT")],
            [check("", "IDC_OPT_JUMP_BOX")],
            [label("", "IDC_OPT_JUMP_LABEL", HIDDEN), lst("IDC_OPT_JUMP", HIDDEN),
             unit("", "IDC_OPT_JUMP_UNIT", HIDDEN)],
            [label("", "IDC_OPT_TPS_JUMP_LABEL", HIDDEN), lst("IDC_OPT_TPS_JUMP", HIDDEN),
             unit("[V] ", "IDC_OPT_TPS_JUMP_UNIT", HIDDEN)],
        ], [("button", "", "IDC_OPT_CORRECTIONS", 2, 2, 72, "")]),
        (("", "IDC_OPT_HEADING2"), [
            [check("", "IDC_OPT_CUT_OFF_BOX")],
            [label("", "IDC_OPT_CUT_OFF_SPEED_LABEL", HIDDEN), lst("IDC_OPT_CUT_OFF_SPEED", HIDDEN),
             unit("", "IDC_OPT_CUT_OFF_SPEED_UNIT", HIDDEN)],
            [label("", "IDC_OPT_CUT_OFF_STEP_LABEL", HIDDEN), lst("IDC_OPT_CUT_OFF_STEP", HIDDEN),
             unit("[%]    ", "IDC_OPT_CUT_OFF_STEP_UNIT", HIDDEN)],
        ], []),
        (("", "IDC_OPT_HEADING3"), [
            [check("", "IDC_OPT_SWITCH_OFF_BOX"), lst("IDC_OPT_SWITCH_OFF_SPEED", HIDDEN),
             unit("", "IDC_OPT_SWITCH_OFF_SPEED_UNIT", HIDDEN)],
        ], []),
        (("", "IDC_OPT_HEADING4"), [
            [check("", "IDC_OPT_MIN_TEMPERATURE_BOX"), lst("IDC_OPT_MIN_TEMPERATURE", HIDDEN),
             unit("[°C]  ", "IDC_OPT_MIN_TEMPERATURE_UNIT", HIDDEN)],
        ], []),
        (("", "IDC_OPT_HEADING5"), [
            [label("", "IDC_OPT_MODE_LABEL"), lst("IDC_OPT_MODE")],
        ], []),
    ]
    rows_of(lay, sections)
    # The options page has four lines between its five sections, not one after the last.
    last_line = max(i for i, c in enumerate(lay.controls) if c[0] == "line")
    del lay.controls[last_line]
    return lay


def control_box(c, n):
    """A control's rectangle in template n's dialog units: a list as it
    stands closed, the rest as emitted."""
    kind, text, cid, x, y, w, h, extra = c
    sx, sy = USABLE[n][0] / BASE_W, USABLE[n][1] / BASE_H
    if kind == "line":
        height = 1
    elif h and kind != "list":
        height = round(h * sy)
    else:
        height = line_height(USABLE[n][2])
    return round(x * sx), round(y * sy), round(x * sx) + round(w * sx), round(y * sy) + height


def misfits(layout, templates, title):
    """For each window size at which the page runs past what fits of it in
    the main window, a message naming the rows (by their first named
    control) that end past the bottom or reach past the right edge."""
    found = []
    for n, template in enumerate(templates, 1):
        width, height = USABLE[n][0], USABLE[n][1]
        low, wide, bottom, right = [], [], 0, 0
        for c in layout.controls:
            box = control_box(c, n)
            name = c[2]
            if box[3] > height:
                bottom = max(bottom, box[3])
                if name != "IDC_STATIC" and name not in low:
                    low.append(name)
            if box[2] > width:
                right = max(right, box[2])
                if name != "IDC_STATIC" and name not in wide:
                    wide.append(name)
        if bottom:
            found.append("%s ends at %d of %d dialog units at %s; rows past the bottom: %s"
                         % (title, bottom, height, template[5], ", ".join(low) or "its last line"))
        if right:
            found.append("%s reaches %d of %d dialog units across at %s: %s"
                         % (title, right, width, template[5], ", ".join(wide)))
    return found


def emit_templates(out, layout, templates, title):
    out.append("// ---- %s, one template per window size ----\n" % title)
    for n, (name, w, h, size, face, window) in enumerate(templates, 1):
        sx, sy = USABLE[n][0] / BASE_W, USABLE[n][1] / BASE_H
        out.append("%s DIALOGEX 0, 0, %d, %d  // %s" % (name, w, h, window))
        out.append("STYLE ZUVELS_PAGE_STYLE")
        out.append('FONT %d, "%s"' % (size, face))
        out.append("BEGIN")
        for c in layout.controls:
            emit_control(out, c, sx, sy, USABLE[n][2])
        out.append("END\n")


PAGES = [
    (config_layout, CONFIG_TEMPLATES, "Configuration page"),
    (options_layout, OPTIONS_TEMPLATES, "Options page"),
]


def generate():
    """The file's text, or the list of controls that don't fit."""
    out = [
        "// The configuration and options pages, one template per window size.",
        "// Written by make_config_pages.py from one layout per page; edit that",
        "// script, not this file. Template texts are the Polish defaults; the",
        "// pages set every text from the language table when they are created.",
        "//",
        "// The file is UTF-8: windres turns the texts into UTF-16 by this code page.",
        "#pragma code_page(65001)\n",
        "#ifndef IDC_STATIC",
        "#define IDC_STATIC (-1)",
        "#endif",
        "#ifndef ZUVELS_PAGE_STYLE",
        "#define ZUVELS_PAGE_STYLE DS_SETFONT | WS_CHILD | WS_VISIBLE",
        "#endif\n",
    ]
    problems = []
    for make_layout, templates, title in PAGES:
        layout = make_layout()
        problems += misfits(layout, templates, title)
        emit_templates(out, layout, templates, title)
    return "\n".join(out), problems


def main():
    """Writes config_pages.rc; with --check, only compares it with what
    would be written. Refuses a page that doesn't fit, naming the rows."""
    text, problems = generate()
    for p in problems:
        print("make_config_pages: " + p, file=sys.stderr)
    if problems:
        return 1
    path = os.path.join(HERE, "config_pages.rc")
    if "--check" in sys.argv[1:]:
        with open(path, encoding="utf-8", newline="") as f:
            if f.read() != text:
                print("make_config_pages: %s differs from its layout; run the script" % path,
                      file=sys.stderr)
                return 1
        return 0
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
