#!/usr/bin/env python3
"""Writes menus.rc: the main window's menu once per language, from one table.

res/menus.tsv has a row per menu item, in the order shown, and a column per
language in the order of the language table (shell/language_list.h):

    item   command   <code> <code> ...

item: the item's name; "popup/name" for an item of a popup, "popup/-" for
a separator there, and a quoted name ("COM 1") for an item whose label is
the same in every language (it has no label columns). command: a command
id of res/resource.h, or
    POPUP      a popup; its items follow it
    SEPARATOR  a line between items
    PAGE       a page's item: item is its name in shell/page_list.h, the
               command is that row's; every page has one, in the table's order
    LANGUAGE   "language/<code>": a language's item, its command from the
               language table; every language has one, in the table's order
A menu resource per language, with that row's menu id, takes the labels of
its column. The labels are exactly as users see them, also where they look
unusual (ASCII spellings, the apostrophe in the Russian "Czech", the
trailing blank in the Lithuanian one): do not tidy them.

The build runs this (CMakeLists.txt); by hand:
    python3 res/make_menus.py OUTPUT.rc [TABLE.tsv]
Fails, naming the row, when the table and the page or language table part.
"""
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
KINDS = ("POPUP", "SEPARATOR", "PAGE", "LANGUAGE")


class TableError(Exception):
    pass


def read_rows(path, pattern):
    """The X(...) rows of a table header, as the pattern's groups."""
    with open(path, encoding="utf-8") as f:
        return [m.groups() for m in re.finditer(pattern, f.read(), re.M)]


def languages():
    """(code, menu id, command id) per row of the language table."""
    return read_rows(os.path.join(ROOT, "shell", "language_list.h"),
                     r'^ *X\("([a-z]+)", *\w+, *\d, *(\w+), *(\w+),')


def pages():
    """{name: command id} and the names in the page table's order."""
    rows = read_rows(os.path.join(ROOT, "shell", "page_list.h"),
                     r'^ *X\(\w+, *(\w+), *"([a-z-]+)",')
    return {name: command for command, name in rows}, [name for _, name in rows]


def resource_ids():
    with open(os.path.join(HERE, "resource.h"), encoding="utf-8") as f:
        return set(re.findall(r"^#define (\w+) ", f.read(), re.M))


class Item:
    def __init__(self, line, name, command, labels):
        self.line, self.name, self.command, self.labels = line, name, command, labels
        self.popup, _, self.short = name.rpartition("/")


def read_table(path, codes):
    """The table's items, checked against the language codes' columns."""
    with open(path, encoding="utf-8", newline="") as f:
        lines = f.read().split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    header = lines[0].split("\t") if lines else []
    if header != ["item", "command"] + codes:
        raise TableError("line 1: the columns must be item, command, %s (the language table)"
                         % ", ".join(codes))
    items = []
    for n, text in enumerate(lines[1:], start=2):
        fields = text.split("\t")
        name, command, labels = fields[0], fields[1] if len(fields) > 1 else "", fields[2:]
        same = re.search(r'/?"[^"]+"$', name) is not None or command == "SEPARATOR"
        if same and labels:
            raise TableError('line %d (%s): takes no label columns' % (n, name))
        if not same and (len(labels) != len(codes) or "" in labels):
            raise TableError("line %d (%s): needs a label for each of %s"
                             % (n, name, ", ".join(codes)))
        items.append(Item(n, name, command, labels))
    return items


def check_items(items, commands, page_names, language_codes, known_ids):
    """Refuses a table whose items the page or language table don't match."""
    popups, seen, current = set(), set(), None
    for it in items:
        if it.name in seen and it.command != "SEPARATOR":
            raise TableError("line %d: %s is there twice" % (it.line, it.name))
        seen.add(it.name)
        if it.popup and it.popup != current:
            raise TableError("line %d (%s): not right after the items of popup %s"
                             % (it.line, it.name, it.popup))
        current = it.name if it.command == "POPUP" else (it.popup or None)
        if it.command == "POPUP":
            if it.popup:
                raise TableError("line %d (%s): popups sit on the bar" % (it.line, it.name))
            popups.add(it.name)
        elif it.command not in KINDS and it.command not in known_ids:
            raise TableError("line %d (%s): %s is not an id of res/resource.h"
                             % (it.line, it.name, it.command or "(no command)"))
    listed = [it.name for it in items if it.command == "PAGE"]
    if listed != page_names:
        raise TableError("its PAGE rows are %s; the page table (shell/page_list.h) has %s"
                         % (", ".join(listed), ", ".join(page_names)))
    listed = [it.short for it in items if it.command == "LANGUAGE"]
    if listed != language_codes:
        raise TableError("its LANGUAGE rows are %s; the language table has %s"
                         % (", ".join(listed), ", ".join(language_codes)))


def rc_string(text):
    return '"%s"' % text.replace('"', '""')


def menu_lines(items, column, commands, language_commands):
    """One language's MENU body."""
    out, open_popup = [], None
    for it in items:
        if open_popup and it.popup != open_popup:
            out.append("    END")
            open_popup = None
        indent = "        " if it.popup else "    "
        label = it.labels[column] if it.labels else it.short.strip('"')
        if it.command == "POPUP":
            out += ["    POPUP %s" % rc_string(label), "    BEGIN"]
            open_popup = it.name
        elif it.command == "SEPARATOR":
            out.append(indent + "MENUITEM SEPARATOR")
        else:
            command = {"PAGE": commands.get(it.name),
                       "LANGUAGE": language_commands.get(it.short)}.get(it.command, it.command)
            out.append(indent + "MENUITEM %s, %s" % (rc_string(label), command))
    if open_popup:
        out.append("    END")
    return out


def write_rc(path, table):
    langs = languages()
    codes = [code for code, _, _ in langs]
    commands, page_names = pages()
    items = read_table(table, codes)
    check_items(items, commands, page_names, codes, resource_ids())
    language_commands = {code: command for code, _, command in langs}
    out = ["// Written by res/make_menus.py from res/menus.tsv, the page table and the",
           "// language table; edit those. One menu per language, all with the same",
           "// items and command ids. UTF-8: windres turns the labels into UTF-16 by",
           "// this code page.",
           "#pragma code_page(65001)"]
    for column, (code, menu, _) in enumerate(langs):
        out += ["", "// %s" % code, "%s MENU" % menu, "BEGIN"]
        out += menu_lines(items, column, commands, language_commands)
        out.append("END")
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(out) + "\n")


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit("usage: make_menus.py OUTPUT.rc [TABLE.tsv]")
    table = sys.argv[2] if len(sys.argv) == 3 else os.path.join(HERE, "menus.tsv")
    try:
        write_rc(sys.argv[1], table)
    except TableError as e:
        sys.exit("make_menus.py: %s: %s" % (table, e))


if __name__ == "__main__":
    main()
