#!/usr/bin/env bash
# Runs the ser2net interoperability checks alone (scripts/test runs them as
# its net and net-win layers), in the private mount namespace of
# scripts/wine-env. With --window, the window's checks under Wine too (the
# Windows build in build/win must be there).
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT"
. scripts/wine-env
isolate_serial_ports "$ROOT/tests/net/run.sh" "$@"
if [ -z "${ZUVELS_PORT_ISOLATION:-}" ]; then
  echo "FAIL net: ser2net runs only where the machine's serial ports are out of reach"
  exit 1
fi
. tests/net/ser2net.sh
trap 'net_cleanup; wine_cleanup' EXIT
run_ser2net_tests
if [ "${1:-}" = --window ]; then
  start_xvfb && make_prefix
  run_ser2net_window_tests
fi
