#!/usr/bin/env bash
# lpgctl serve in front of lpgsim, driven by Python's RFC 2217 client:
# reads pass, writes are refused (none in the simulator's frame log) without
# --allow-writes and pass with it, 0xFF both ways. Loopback only. Sourced by
# scripts/test; prints PASS/FAIL lines.
set -u

# serve_python_run MODE [SERVE-OPTIONS...]: one server, one client run.
serve_python_run() {
  local mode=$1 work="$ROOT/build/serve-python/$1"
  shift
  rm -rf "$work" && mkdir -p "$work"
  "$ROOT/build/native/lpgsim" --link "$work/sim.pty" --log "$work/frames.log" &
  local sim=$!
  for _ in $(seq 100); do [ -e "$work/sim.pty" ] && break; sleep 0.05; done
  "$ROOT/build/native/lpgctl" --port "$work/sim.pty" serve --listen 127.0.0.1:0 "$@" 2>"$work/serve.err" &
  local server=$! port=""
  for _ in $(seq 100); do
    port=$(sed -n 's/.*served on 127\.0\.0\.1:\([0-9]*\) .*/\1/p' "$work/serve.err")
    [ -n "$port" ] && break
    sleep 0.05
  done
  if [ -z "$port" ]; then
    echo "FAIL serve-python.$mode: the server never listened: $(cat "$work/serve.err")"
  else
    timeout 60 /usr/bin/python3 "$ROOT/tests/cli/serve_python.py" "rfc2217://127.0.0.1:$port" "$mode"
    local writes
    writes=$(grep ' > ' "$work/frames.log" | grep -vcE ' > (65 0([1-5]) 0\2 [0-9A-F]{2}|0B 01 01 0D)$')
    if [ "$mode" = writes ]; then
      [ "$writes" -eq 3 ] && echo "PASS serve-python.writes-in-frame-log" ||
        echo "FAIL serve-python.writes-in-frame-log: $writes write frames, want 3"
    else
      [ "$writes" -eq 0 ] && echo "PASS serve-python.no-write-in-frame-log" ||
        echo "FAIL serve-python.no-write-in-frame-log: $writes write frames reached the simulator"
      grep -q 'refused: write of 255 to wire address 6' "$work/serve.err" &&
        echo "PASS serve-python.refusal-logged" ||
        echo "FAIL serve-python.refusal-logged: $(cat "$work/serve.err")"
    fi
  fi
  kill -INT "$server" 2>/dev/null
  timeout 10 tail --pid="$server" -f /dev/null || echo "FAIL serve-python.$mode: Ctrl+C did not end the server"
  kill "$sim" 2>/dev/null
  wait "$server" "$sim" 2>/dev/null
}

run_serve_python_tests() {
  serve_python_run read-only
  serve_python_run writes --allow-writes
}

# lpgctl.exe serve under Wine (Winsock), on COM1 mapped to lpgsim's pty, met
# by the same client read-only. Needs wine-env's prefix (scripts/test's
# Windows layers).
run_serve_wine_test() {
  local work="$WIN_BUILD/serve-wine"
  rm -rf "$work" && mkdir -p "$work"
  start_lpgsim "$WIN_BUILD/com1" "$work/frames.log" || { echo "FAIL serve-wine: lpgsim"; return; }
  map_com1 "$WIN_BUILD/com1"
  (cd "$work" && exec timeout 120 wine "$DIST/lpgctl.exe" --port COM1 serve --listen 127.0.0.1:0 \
     2>"$work/serve.err") &
  local server=$! port=""
  for _ in $(seq 300); do
    port=$(tr -d '\r' <"$work/serve.err" | sed -n 's/.*served on 127\.0\.0\.1:\([0-9]*\) .*/\1/p')
    [ -n "$port" ] && break
    sleep 0.1
  done
  if [ -z "$port" ]; then
    echo "FAIL serve-wine: the server never listened: $(cat "$work/serve.err")"
  else
    timeout 60 /usr/bin/python3 "$ROOT/tests/cli/serve_python.py" "rfc2217://127.0.0.1:$port" \
      read-only serve-wine
    local writes
    writes=$(grep ' > ' "$work/frames.log" | grep -vcE ' > (65 0([1-5]) 0\2 [0-9A-F]{2}|0B 01 01 0D)$')
    [ "$writes" -eq 0 ] && echo "PASS serve-wine.no-write-in-frame-log" ||
      echo "FAIL serve-wine.no-write-in-frame-log: $writes write frames"
  fi
  # Wine's console process gets no Ctrl+C from here: the server ends with
  # its Wine server.
  wineserver -k >/dev/null 2>&1
  wait "$server" 2>/dev/null
  stop_lpgsim
}
