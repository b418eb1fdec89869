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
    "cli/road_commands.cpp service/reset.h"
)
for plant in "${plants[@]}"; do
    read -r file include <<<"$plant"
    copy="$tmp/copy"
    rm -rf "$copy" && mkdir -p "$copy"
    cp -r "$REPO/link" "$REPO/sim" "$REPO/shell" "$REPO/readings" "$REPO/config" \
        "$REPO/scope" "$REPO/service" "$REPO/cli" "$copy/"
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
