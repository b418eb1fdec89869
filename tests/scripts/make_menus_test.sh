#!/usr/bin/env bash
# res/make_menus.py writes a menu per language from res/menus.tsv as it is,
# and refuses, naming the row or column, a copy of the table with one fault
# planted: a page, a language or a label left out, an unknown command, an
# item away from its popup. Usage: make_menus_test.sh REPO
set -u
REPO=$1
MAKE="python3 $REPO/res/make_menus.py"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0

if $MAKE "$tmp/menus.rc" >"$tmp/out" 2>&1; then
    languages=$("$REPO/scripts/languages" | wc -l)
    [ "$(grep -c '^IDM_MENU_[A-Z]* MENU$' "$tmp/menus.rc")" -eq "$languages" ] ||
        { echo "FAIL: not one menu for each of the $languages languages"; failed=1; }
else
    echo "FAIL: the table itself: $(cat "$tmp/out")"
    failed=1
fi

# sed script planting the fault | what the refusal must say
plants=(
    '/^oscilloscope\t/d|the page table (shell/page_list.h) has'
    '/^language\/cs\t/d|the language table has'
    '1s/\tcs$//|line 1: the columns must be item, command,'
    's/^\(file\/open\t[^\t]*\t[^\t]*\)\t[^\t]*/\1/|line 3 (file/open): needs a label'
    's/^\(file\/exit\t[^\t]*\t\)[^\t]*/\1/|line 6 (file/exit): needs a label'
    's/\tIDM_EXIT\t/\tIDM_LEAVE\t/|IDM_LEAVE is not an id of res/resource.h'
    's/^port\/-\t/file\/-\t/|(file/-): not right after the items of popup file'
    '/^file\/open\t/p|file/open is there twice'
    's/^port\/"COM 1"\tIDM_COM1$/&\tCOM 1/|(port/"COM 1"): takes no label columns'
)
for plant in "${plants[@]}"; do
    script=${plant%%|*} said=${plant#*|}
    sed "$script" "$REPO/res/menus.tsv" >"$tmp/menus.tsv"
    if cmp -s "$tmp/menus.tsv" "$REPO/res/menus.tsv"; then
        echo "FAIL: '$script' planted nothing"
        failed=1
    elif $MAKE "$tmp/planted.rc" "$tmp/menus.tsv" >"$tmp/out" 2>&1; then
        echo "FAIL: '$script' passed"
        failed=1
    elif ! grep -qF -- "$said" "$tmp/out"; then
        echo "FAIL: '$script' not named: $(cat "$tmp/out")"
        failed=1
    fi
done
[ "$failed" -eq 0 ] && echo "PASS: menu table (${#plants[@]} planted faults caught)"
exit "$failed"
