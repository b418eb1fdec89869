#!/usr/bin/env bash
# End to end: the real ZuvelS.exe under Wine, COM1 mapped to a pty served by
# lpgsim. Reads lpgsim's frame logs to check the readings page's polling
# pattern, the slow polling after the controller goes away, and recovery.
# Runs the build that wine-env's use_win_build chose (64- or 32-bit, each
# in its own prefix); the optional argument names the checks (default e2e).
# Sourced wine-env must be set up (prefix, display) by a script that called
# isolate_serial_ports first, as scripts/test does, so the program never
# reaches the machine's own serial ports; prints PASS/FAIL lines.
set -u

E2E_LABEL=e2e
e2e_check() {  # e2e_check NAME CONDITION-EXIT-CODE [detail]
  if [ "$2" -eq 0 ]; then echo "PASS $E2E_LABEL.$1"; else echo "FAIL $E2E_LABEL.$1 ${3:-}"; fi
}

# Command bytes of the requests in a frame log, one per line.
requests() { awk '$2 == ">" { print $4 }' "$1"; }

# Waits until the log has at least N status requests (or T seconds pass).
await_status() {  # await_status LOG N T
  local i
  for i in $(seq $(( $3 * 20 ))); do
    [ "$(awk '$2 == ">" && $3 == "65" && $4 == "01"' "$1" 2>/dev/null | wc -l)" -ge "$2" ] && return 0
    sleep 0.05
  done
  return 1
}

run_polling_e2e() {  # run_polling_e2e [LABEL]
  E2E_LABEL=${1:-e2e}
  local work="$WIN_BUILD/e2e" log1 log2 exe_pid
  make_run_dir "$work"
  log1="$work/frames1.log"
  log2="$work/frames2.log"

  start_lpgsim "$WIN_BUILD/com1" "$log1" --gen 1 || { e2e_check start 1 "lpgsim"; return; }
  map_com1 "$WIN_BUILD/com1"
  (cd "$work" && exec timeout 120 wine "$DIST/ZuvelS.exe" >/dev/null 2>&1) &
  exe_pid=$!

  # 1. The pattern: probe once, then status+Live on every tick and the two
  # configuration blocks on every fourth.
  await_status "$log1" 20 30
  e2e_check polls-while-answered $? "(no status requests in $log1)"
  local seq
  seq=$(requests "$log1" | head -n 41 | tr '\n' ' ')
  local expect="01 02 01 02 01 02 01 02 03 04 01 02 01 02 01 02 01 02 03 04 "
  # The echo probe (0B) goes first and never again.
  [ "$(awk '$2 == ">" {print $3}' "$log1" | head -n 1)" = "0B" ] &&
    [ "$(awk '$2 == ">" && $3 == "0B"' "$log1" | wc -l)" -eq 1 ]
  e2e_check echo-probe-once $?
  [ "${seq#01 }" != "$seq" ] && [ "$(echo "$seq" | cut -d' ' -f2-21) " = "$expect" ]
  e2e_check tick-pattern $? "(requests: $seq)"
  # Fast polling: at least 10 status requests a second while answered.
  local first last count
  first=$(awk '$2 == ">" && $4 == "01" {print $1; exit}' "$log1")
  last=$(awk '$2 == ">" && $4 == "01" {t=$1} END {print t}' "$log1")
  count=$(awk '$2 == ">" && $4 == "01"' "$log1" | wc -l)
  [ $(( (count - 1) * 1000 / (last - first + 1) )) -ge 10 ]
  e2e_check fast-polling $? "($count status requests in $((last - first)) ms)"

  # 2. The controller goes away: the link goes down and polling slows to
  # one attempt a second, reopening the port each time.
  stop_lpgsim
  sleep 4
  # 3. It comes back on the same path: the program reopens the port and
  # goes back to fast polling with block reads.
  start_lpgsim "$WIN_BUILD/com1" "$log2" --gen 1 || { e2e_check restart 1; return; }
  await_status "$log2" 25 30
  e2e_check recovers $? "(no recovery in $log2)"
  awk '$2 == ">" && $4 == "02"' "$log2" | grep -q .
  e2e_check block-reads-after-recovery $?
  # After recovery the first status exchanges may still be 1 s apart (the
  # slow timer is re-armed at the end of the first good tick); the last
  # twenty must be fast again.
  first=$(awk '$2 == ">" && $4 == "01" {print $1}' "$log2" | tail -n 20 | head -n 1)
  last=$(awk '$2 == ">" && $4 == "01" {print $1}' "$log2" | tail -n 1)
  count=$(awk '$2 == ">" && $4 == "01"' "$log2" | wc -l)
  [ "$count" -ge 20 ] && [ $(( ${last:-0} - ${first:-0} )) -lt 2000 ]
  e2e_check fast-again $? "(last 20 of $count status requests over $(( ${last:-0} - ${first:-0} )) ms)"
  # No probe again: the port selection didn't change.
  [ "$count" -gt 0 ] && ! awk '$2 == ">" && $3 == "0B"' "$log2" | grep -q .
  e2e_check no-second-probe $?

  kill "$exe_pid" 2>/dev/null
  wineserver -k >/dev/null 2>&1 || true
  wait "$exe_pid" 2>/dev/null
  stop_lpgsim
}

# The program as the setup leaves it under a profile named in the fitters'
# letters, with a code page that lacks them (Wine under C.UTF-8 gives
# programs code page 1252): started in its own folder, it polls the
# controller and writes its ZuvelS.ini there. (Its language files are read
# from such a folder in the window's tests.)
run_unicode_folder_e2e() {  # run_unicode_folder_e2e [LABEL]
  E2E_LABEL=${1:-e2e}
  local work="$WIN_BUILD/e2e-Jūratė Łukasz Андрей" log exe_pid
  make_run_dir "$work"
  cp "$DIST/ZuvelS.exe" "$work/"
  rm -f "$work/ZuvelS.ini"  # made anew with its defaults: COM1, Polish
  log="$work/frames.log"
  start_lpgsim "$WIN_BUILD/com1" "$log" --gen 1 || { e2e_check unicode-start 1 "lpgsim"; return; }
  map_com1 "$WIN_BUILD/com1"
  (cd "$work" && LC_ALL=C.UTF-8 exec timeout 120 wine "$work/ZuvelS.exe" >/dev/null 2>&1) &
  exe_pid=$!
  await_status "$log" 10 30
  e2e_check unicode-folder-polls $? "(no status requests in $log)"
  grep -q '^CommPort= 1' "$work/ZuvelS.ini" 2>/dev/null && grep -q '^Language= pol' "$work/ZuvelS.ini"
  e2e_check unicode-folder-ini $? "($(cat "$work/ZuvelS.ini" 2>&1))"
  kill "$exe_pid" 2>/dev/null
  wineserver -k >/dev/null 2>&1 || true
  wait "$exe_pid" 2>/dev/null
  stop_lpgsim
}
