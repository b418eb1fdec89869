#!/usr/bin/env bash
# scripts/check-includes passes on the tree as it is and fails, naming the
# file, on a copy with one wrong include planted. Usage: check_includes_test.sh REPO
set -u
REPO=$1
CHECK="$REPO/scripts/check-includes"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0

"$CHECK" "$REPO" >"$tmp/out" 2>&1 || { echo "FAIL: the tree itself: $(cat "$tmp/out")"; failed=1; }

# file in the copy, include planted at its top
plants=(
    "link/link.cpp shell/app_state.h"
    "link/port_search.cpp service/dialogs_win.h"
    "sim/sim.cpp shell/app_state.h"
    "shell/app_settings.cpp config/config_page.h"
    "config/config_page.cpp scope/scope.h"
    "service/reset.cpp readings/dashboard.h"
    "shell/app_state.cpp link/link_testing.h"
    "cli/fields.cpp readings/dashboard.h"
    "cli/road_log.cpp service/reset.h"
)
# A copy of the program's folders as the module list names them, with cli/,
# and a new page folder gauges/ listed after the others.
fresh_copy() {
    copy="$tmp/copy"
    rm -rf "$copy" && mkdir -p "$copy/cmake" "$copy/gauges"
    cp "$REPO/cmake/modules.txt" "$copy/cmake/"
    for folder in $(sed -e 's/#.*//' "$REPO/cmake/modules.txt") cli; do
        cp -r "$REPO/$folder" "$copy/"
    done
    echo gauges >>"$copy/cmake/modules.txt"
    printf '#include "gauges/gauges.h"\n#include "shell/app_state.h"\n' >"$copy/gauges/gauges.cpp"
    : >"$copy/gauges/gauges.h"
}

fresh_copy
"$CHECK" "$copy" >"$tmp/out" 2>&1 || {
    echo "FAIL: a new listed page folder: $(cat "$tmp/out")"
    failed=1
}
rm "$copy/cmake/modules.txt"
"$CHECK" "$copy" >"$tmp/out" 2>&1
[ $? -eq 2 ] || { echo "FAIL: no module list passed"; failed=1; }

# A new page folder listed in cmake/modules.txt gets the pages' rules.
plants+=(
    "gauges/gauges.cpp config/config_page.h"
    "config/config_page.cpp gauges/gauges.h"
    "link/link.cpp gauges/gauges.h"
)
for plant in "${plants[@]}"; do
    read -r file include <<<"$plant"
    fresh_copy
    sed -i "1i #include \"$include\"" "$copy/$file"
    if "$CHECK" "$copy" >"$tmp/out" 2>&1; then
        echo "FAIL: $file including $include passed"
        failed=1
    elif ! grep -qF "$file includes $include" "$tmp/out"; then
        echo "FAIL: $file including $include not named: $(cat "$tmp/out")"
        failed=1
    fi
done
[ "$failed" -eq 0 ] && echo "PASS: include directions (${#plants[@]} planted includes caught)"
exit "$failed"
