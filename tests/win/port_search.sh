#!/usr/bin/env bash
# The port search against Wine's registry and the Win32 serial calls:
# COM1..COM3 mapped to ptys served by lpgsim (COM1 echoes, COM2 stays silent,
# COM3 answers as a generation-3 controller); runs win_tests.exe's
# SerialPortSearch tests.
#
# Wine lists the machine's own serial devices in the registry too, and the
# search opens every listed port. So this runs only where those devices are
# out of reach: inside a mount namespace in which /dev/ttyS*, /dev/ttyUSB*
# and /dev/ttyACM* are bind-mounted to /dev/null, with the prefix's
# wineserver started in it, which the environment says with
# ZUVELS_PORT_ISOLATION=1. Anywhere else it refuses.
#
# Sourced (ROOT set, scripts/wine-env sourced, display and prefix made):
# defines run_port_search_tests, which writes the test output to
# $WIN_BUILD/port_search_tests.log, leaves its counts (run_win_tests) in
# PORT_SEARCH_COUNTS and returns how many failed.
# Run directly: sets all that up itself, e.g.
#   unshare -m --propagation private bash -c 'for d in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM*;
#     do [ -e "$d" ] && mount --bind /dev/null "$d"; done; export ZUVELS_PORT_ISOLATION=1;
#     tests/win/port_search.sh'

# True when the environment says the serial devices are isolated and every
# one of them here is indeed /dev/null; says why not otherwise.
port_isolation_ok() {
  if [ "${ZUVELS_PORT_ISOLATION:-}" != 1 ]; then
    echo "port search tests refused: the machine's serial devices are not isolated" \
         "(ZUVELS_PORT_ISOLATION is not 1; see the head of tests/win/port_search.sh)" >&2
    return 1
  fi
  local d null
  null=$(stat -Lc %t:%T /dev/null)
  for d in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM*; do
    [ -e "$d" ] || continue
    if [ "$(stat -Lc %t:%T "$d")" != "$null" ]; then
      echo "port search tests refused: $d is a real device here" >&2
      return 1
    fi
  done
}

run_port_search_tests() {
  port_isolation_ok || return 2
  local work="$WIN_BUILD/search" pids=() n rc
  rm -rf "$work" && mkdir -p "$work"
  local faults=(echo silent none)
  for n in 1 2 3; do
    "$ROOT/build/native/lpgsim" --link "$work/port$n" --log "$work/port$n.log" \
      --gen 3 --fault "${faults[$((n - 1))]}" >/dev/null 2>&1 &
    pids+=($!)
  done
  for n in 1 2 3; do
    for _ in $(seq 100); do [ -L "$work/port$n" ] && break; sleep 0.05; done
    wine reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /t REG_SZ /d "$work/port$n" /f >/dev/null 2>&1
  done
  # The server picks up the mapping when it starts again.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  # Counts as run_win_tests gives them, for the caller.
  PORT_SEARCH_COUNTS=$(ZUVELS_SEARCH_LOGS="$work" run_win_tests \
    "$WIN_BUILD/port_search_tests.log" 'SerialPortSearch*')
  read -r _ _ rc _ _ <<<"$PORT_SEARCH_COUNTS"
  kill "${pids[@]}" 2>/dev/null
  wait "${pids[@]}" 2>/dev/null
  # Back to unmapped, so later runs in this prefix see no stale ptys.
  for n in 1 2 3; do
    wine reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /t REG_SZ /d "" /f >/dev/null 2>&1
  done
  wineserver -k >/dev/null 2>&1 || true
  return $rc
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -u
  ROOT=$(cd "$(dirname "$0")/../.." && pwd)
  # Before any Wine process starts: its server would see the real devices.
  port_isolation_ok || exit 2
  . "$ROOT/scripts/wine-env"
  trap wine_cleanup EXIT
  start_xvfb && make_prefix
  run_port_search_tests
  rc=$?
  grep -E "^\[  (FAILED|PASSED|SKIPPED) |Failure" "$WIN_BUILD/port_search_tests.log"
  exit $rc
fi
