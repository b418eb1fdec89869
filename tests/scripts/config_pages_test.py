#!/usr/bin/env python3
"""res/make_config_pages.py: config_pages.rc is what the layouts give, and a
row added past the bottom of a page is refused, named, at the size it
misses. Usage: config_pages_test.py REPO"""
import os
import subprocess
import sys

REPO = sys.argv[1]
sys.path.insert(0, os.path.join(REPO, "res"))
import make_config_pages as pages  # noqa: E402

failed = []

check = subprocess.run([sys.executable, os.path.join(REPO, "res", "make_config_pages.py"),
                        "--check"], capture_output=True, text=True)
if check.returncode != 0:
    failed.append("the committed templates: " + check.stderr.strip())

# One more list row under the last one of each page: at 640x480 neither page
# has a row's height to spare.
for make_layout, templates, title in pages.PAGES:
    layout = make_layout()
    lowest = max(c[4] for c in layout.controls)
    layout.add("list", "", "IDC_PLANTED_ROW", "C", lowest + layout.pitch)
    found = [p for p in pages.misfits(layout, templates, title) if "IDC_PLANTED_ROW" in p]
    if not any("640x480" in p for p in found):
        failed.append("%s: a row past the bottom passed: %s" % (title, found))
    # The page as it is fits every size.
    if pages.misfits(make_layout(), templates, title):
        failed.append("%s: %s" % (title, pages.misfits(make_layout(), templates, title)))



def planted_config_layout(make=pages.config_layout):
    layout = make()
    layout.add("label", "", "IDC_PLANTED_LABEL", "L", max(c[4] for c in layout.controls) + 20)
    return layout


# The script itself refuses to write a page that doesn't fit.
pages.PAGES[0] = (planted_config_layout, pages.CONFIG_TEMPLATES, "Configuration page")
text, problems = pages.generate()
if not any("640x480" in p and "IDC_PLANTED_LABEL" in p for p in problems):
    failed.append("generate() took a page that doesn't fit: %s" % problems)

for f in failed:
    print("FAIL: " + f)
if not failed:
    print("PASS: configuration page templates generated and fitting")
sys.exit(1 if failed else 0)
