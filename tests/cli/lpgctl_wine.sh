#!/usr/bin/env bash
# lpgctl.exe under Wine: the Win32 backend on COM1 (mapped to a pty served by
# lpgsim), the port of ZuvelS.ini when --port is missing, the built-in
# simulated controller, a missing port, and a save that matches the native
# program's. Sourced by scripts/test after wine-env is set up inside the
# private mount namespace (isolate_serial_ports); prints PASS/FAIL lines.
set -u

cli_check() {  # cli_check NAME CONDITION-EXIT-CODE [detail]
  if [ "$2" -eq 0 ]; then echo "PASS lpgctl-wine.$1"; else echo "FAIL lpgctl-wine.$1 ${3:-}"; fi
}

# Runs lpgctl.exe in $work; stdout to $work/out, stderr to $work/err; the
# exit code in CLI_CODE.
lpgctl_exe() {
  (cd "$work" && timeout 60 wine "$DIST/lpgctl.exe" "$@" >out.crlf 2>err.crlf)
  CLI_CODE=$?
  # The console's text mode ends lines with CR LF.
  tr -d '\r' <"$work/out.crlf" >"$work/out"
  tr -d '\r' <"$work/err.crlf" >"$work/err"
}

run_lpgctl_wine_tests() {
  local work="$WIN_BUILD/lpgctl-wine" log="$WIN_BUILD/lpgctl-wine/frames.log"
  rm -rf "$work" && mkdir -p "$work"
  start_lpgsim "$WIN_BUILD/com1" "$log" --gen 1 || { cli_check start 1 "lpgsim"; return; }
  map_com1 "$WIN_BUILD/com1"

  lpgctl_exe --port demo status
  [ "$CLI_CODE" -eq 0 ] && grep -q '^generation: 3$' "$work/out"
  cli_check demo-status $? "(exit $CLI_CODE: $(cat "$work/err"))"

  write_ini "$work/ZuvelS.ini" 1 ang
  lpgctl_exe status
  [ "$CLI_CODE" -eq 0 ] && grep -q '^generation: 1$' "$work/out" && grep -q '^port: *COM1$' "$work/out"
  cli_check ini-port-status $? "(exit $CLI_CODE: $(cat "$work/err"))"

  lpgctl_exe --port COM1 save win.zss
  "$ROOT/build/native/lpgctl" --port "$WIN_BUILD/com1" save "$work/native.zss" >/dev/null 2>&1
  # The Windows C runtime writes text files with CR LF, as the window does.
  [ "$CLI_CODE" -eq 0 ] && grep -q $'\r$' "$work/win.zss" &&
    [ "$(tr -d '\r' <"$work/win.zss")" = "$(cat "$work/native.zss")" ]
  cli_check save-matches-native $? "(exit $CLI_CODE: $(cat "$work/err"))"

  printf '[Zuvel_S]\nVersion=1.2\n[Configuration]\nOptions= 999\n' >"$work/broken.zss"
  lpgctl_exe --port COM1 load broken.zss
  [ "$CLI_CODE" -eq 8 ] && ! awk '$2 == ">" { print $3, $4, $5, $6 }' "$log" |
    grep -vqE '^(65 0([1-5]) 0\2 ..|0B 01 01 0D)$'
  cli_check broken-load-writes-nothing $? "(exit $CLI_CODE: $(cat "$work/err"))"

  lpgctl_exe --port COM1 dump --json
  [ "$CLI_CODE" -eq 0 ] && grep -q '"switch_over_speed_rpm": 2000,' "$work/out"
  cli_check dump-json $? "(exit $CLI_CODE: $(cat "$work/err"))"

  lpgctl_exe --port COM99 status
  [ "$CLI_CODE" -eq 3 ] && [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q 'no such port: COM99' "$work/err"
  cli_check missing-port $? "(exit $CLI_CODE: $(cat "$work/err"))"

  lpgctl_exe scan COM99 COM1
  [ "$CLI_CODE" -eq 0 ] && grep -q '^COM1 .*controller of generation 1' "$work/out"
  cli_check scan $? "(exit $CLI_CODE: $(cat "$work/out" "$work/err"))"

  # The registry's list as Wine fills it; nothing is opened.
  lpgctl_exe ports
  [ "$CLI_CODE" -eq 0 ]
  cli_check ports $? "(exit $CLI_CODE: $(cat "$work/err"))"

  lpgctl_wine_unicode_names "$work"

  stop_lpgsim
}

# Files named in the fitters' languages where the ANSI code page lacks their
# letters (Wine under C.UTF-8 reads Unix names as UTF-8 and gives programs
# code page 1252): every command that takes a file reaches it whole, by a
# path relative to the folder and by a whole Windows one, and a message
# naming one is UTF-8. Expects lpgsim on COM1 and $work/win.zss.
lpgctl_wine_unicode_names() {
  local work=$1 folder='Jūratė Łukasz Андрей' plain
  mkdir -p "$work/$folder"
  plain=$(wine_path "$work/$folder")
  unicode_exe() { LC_ALL=C.UTF-8 lpgctl_exe "$@"; }

  unicode_exe --port COM1 save "$plain\\nustatymai ėūł.zss"
  [ "$CLI_CODE" -eq 0 ] && cmp -s "$work/$folder/nustatymai ėūł.zss" "$work/win.zss"
  cli_check unicode-save $? "(exit $CLI_CODE: $(cat "$work/err"))"

  cp "$work/$folder/nustatymai ėūł.zss" "$work/$folder/копия.zss"
  unicode_exe --port COM1 load "$folder/копия.zss"
  [ "$CLI_CODE" -eq 0 ]
  cli_check unicode-load $? "(exit $CLI_CODE: $(cat "$work/err"))"

  # The names come back in the JSON as they were given, in UTF-8.
  unicode_exe diff --json "$folder/копия.zss" "$plain\\nustatymai ėūł.zss"
  [ "$CLI_CODE" -eq 0 ] && grep -qF "\"a\": \"$folder/копия.zss\"" "$work/out" &&
    python3 -c 'import json,sys; json.load(open(sys.argv[1], encoding="utf-8"))' "$work/out"
  cli_check unicode-diff $? "(exit $CLI_CODE: $(cat "$work/out" "$work/err"))"

  unicode_exe --port COM1 log --seconds 1 --out "$folder/važiavimas ł.csv"
  [ "$CLI_CODE" -eq 0 ] && [ "$(wc -l <"$work/$folder/važiavimas ł.csv")" -ge 2 ]
  cli_check unicode-log-out $? "(exit $CLI_CODE: $(cat "$work/err"))"

  unicode_exe --port COM1 record "$plain\\įrašas Ж.rec" --seconds 1
  [ "$CLI_CODE" -eq 0 ] && [ -s "$work/$folder/įrašas Ж.rec" ]
  cli_check unicode-record $? "(exit $CLI_CODE: $(cat "$work/err"))"

  unicode_exe --port "replay:$folder/įrašas Ж.rec" dump --json
  [ "$CLI_CODE" -eq 0 ] && grep -q 'switch_over_speed' "$work/out"
  cli_check unicode-replay $? "(exit $CLI_CODE: $(cat "$work/err"))"

  LPGCTL_PORT="replay:$plain\\įrašas Ж.rec" unicode_exe dump --json
  [ "$CLI_CODE" -eq 0 ] && grep -q 'switch_over_speed' "$work/out"
  cli_check unicode-port-variable $? "(exit $CLI_CODE: $(cat "$work/err"))"

  # The message names the file as it was given, in UTF-8, on one line.
  unicode_exe --port COM1 save "Nėra Ж/x.zss"
  [ "$CLI_CODE" -ne 0 ] && [ "$(wc -l <"$work/err")" -eq 1 ] && grep -qF 'Nėra Ж/x.zss' "$work/err"
  cli_check unicode-message $? "(exit $CLI_CODE: $(cat "$work/err"))"
}

# A Unix path as Wine names it (drive Z:).
wine_path() { printf 'Z:%s' "${1//\//\\}"; }
