#!/usr/bin/env bash
# Round-trip benchmark, sourced by scripts/bench: lpgctl log rows a second
# through lpgctl serve (RFC 2217) behind netdelay at several round trips,
# beside the limit of the readings page's poll pattern, and whether the link
# stayed up; then a USB adapter's 16 ms latency timer (lpgsim --latency)
# beside none, on the local port. lpgsim paces its replies at 9600 baud.
# Loopback only. A row with the link down: build/remote-bench/ holds the
# simulator's frame logs (*.frames) and lpgctl's lines (log*.err).

# The limit at a round trip of RTT ms: a plain tick is two exchanges (status
# and Live, 15 reply bytes), every fourth four (45 bytes with ConfigA and
# ConfigB), each tick at least the 50 ms rhythm.
remote_limit() {  # remote_limit RTT
  awk -v r="$1" 'BEGIN {
    b = 10000 / 9600; p = 2 * r + 15 * b; s = 4 * r + 45 * b
    if (p < 50) p = 50; if (s < 50) s = 50
    printf "%.1f", 4000 / (3 * p + s) }'
}

# Rows a second from the first row to the last (the connect and the echo
# probe's wait before the first are left out), and rows with the link down.
remote_rates() {  # remote_rates CSV
  awk -F, 'NR > 1 { n++; if (n == 1) first = $2; last = $2; if ($NF + 0 != 1) down++ }
    END { printf "%6.1f %6d", (last > first ? (n - 1) * 1000 / (last - first) : 0), down + 0 }' "$1"
}

# lpgsim on a pty at $1 with extra flags; its pid in SIM_PID.
remote_sim() {
  local link=$1; shift
  rm -f "$link"
  "$NATIVE/lpgsim" --link "$link" --log "$link.frames" --pace "$@" &
  SIM_PID=$!
  for _ in $(seq 200); do [ -e "$link" ] && return 0; sleep 0.05; done
  return 1
}

# Waits for a "PORT" line: from netdelay's stdout or serve's stderr.
remote_port_from() {  # remote_port_from FILE SED-EXPRESSION
  local port=""
  for _ in $(seq 200); do
    port=$(sed -n "$2" "$1" | head -n 1)
    [ -n "$port" ] && break
    sleep 0.05
  done
  echo "$port"
}

# A fresh WORK folder with lpgsim on WORK/sim.pty and lpgctl serve in front
# of it on a free loopback port: sets REMOTE_SERVER (its pid) and REMOTE_PORT.
start_remote_server() {  # start_remote_server WORK
  local work=$1
  NATIVE="$ROOT/build/native"
  rm -rf "$work" && mkdir -p "$work"
  remote_sim "$work/sim.pty" || { echo "remote bench: lpgsim did not start"; return 1; }
  "$NATIVE/lpgctl" --port "$work/sim.pty" serve --listen 127.0.0.1:0 2>"$work/serve.err" &
  REMOTE_SERVER=$!
  REMOTE_PORT=$(remote_port_from "$work/serve.err" 's/.*served on 127\.0\.0\.1:\([0-9]*\) .*/\1/p')
}

run_remote_bench() {  # run_remote_bench SECONDS
  local secs=$1 work="$ROOT/build/remote-bench"
  start_remote_server "$work" || return 1
  local server=$REMOTE_SERVER serve_port=$REMOTE_PORT
  printf '%-28s %7s %7s %10s\n' "lpgctl log via lpgctl serve" "rows/s" "limit" "rows down"
  for rtt in 0 20 50 100 200; do
    "$NATIVE/netdelay" --rtt "$rtt" --to "$serve_port" >"$work/delay.out" &
    local delay=$!
    local port
    port=$(remote_port_from "$work/delay.out" 's/^\([0-9]*\)$/\1/p')
    timeout $((secs + 30)) "$NATIVE/lpgctl" --port "rfc2217://127.0.0.1:$port" log \
      --seconds "$secs" --out "$work/rtt$rtt.csv" 2>"$work/log$rtt.err"
    read -r rate down <<<"$(remote_rates "$work/rtt$rtt.csv")"
    printf '  round trip %3d ms          %7s %7s %10s\n' "$rtt" "$rate" "$(remote_limit "$rtt")" "$down"
    kill "$delay"; wait "$delay" 2>/dev/null
  done
  kill -INT "$server"; wait "$server" 2>/dev/null
  kill "$SIM_PID"; wait "$SIM_PID" 2>/dev/null
  printf '%-28s %7s %7s %10s\n' "lpgctl log on the pty" "rows/s" "limit" "rows down"
  for latency in 0 16; do
    remote_sim "$work/lat.pty" --latency "$latency" || return 1
    timeout $((secs + 30)) "$NATIVE/lpgctl" --port "$work/lat.pty" log --seconds "$secs" \
      --out "$work/latency$latency.csv" 2>/dev/null
    read -r rate down <<<"$(remote_rates "$work/latency$latency.csv")"
    # The adapter's timer holds each reply once: at worst a round trip of that
    # long (the timer runs from the first byte, so part of it is wire time).
    printf '  adapter latency %3d ms     %7s %7s %10s\n' "$latency" "$rate" "$(remote_limit "$latency")" "$down"
    kill "$SIM_PID"; wait "$SIM_PID" 2>/dev/null
  done
}

# The readings page under Wine through lpgctl serve behind netdelay: its
# tick rate beside the same limit. Needs wine-env's prefix (scripts/bench).
run_remote_readings_bench() {  # run_remote_readings_bench SECONDS
  local secs=$1 work="$ROOT/build/remote-bench/readings"
  start_remote_server "$work" || return 1
  local server=$REMOTE_SERVER serve_port=$REMOTE_PORT
  echo "readings page (Wine) via lpgctl serve"
  for rtt in 0 20 50 100 200; do
    "$NATIVE/netdelay" --rtt "$rtt" --to "$serve_port" >"$work/delay.out" &
    local delay=$!
    local port
    port=$(remote_port_from "$work/delay.out" 's/^\([0-9]*\)$/\1/p')
    local run="$work/run$rtt"
    make_run_dir "$run"
    local line
    line=$(cd "$run" && timeout 120 wine "$WIN_TOOLS/readings_bench.exe" "$work/sim.pty.frames" \
             "$secs" "rfc2217://127.0.0.1:$port" 2>/dev/null | tr -d '\r' | grep '^tick rate')
    printf '  round trip %3d ms   %s   limit %s\n' "$rtt" \
      "$(echo "$line" | awk '{print $3, $4}')" "$(remote_limit "$rtt")"
    kill "$delay"; wait "$delay" 2>/dev/null
  done
  kill -INT "$server"; wait "$server" 2>/dev/null
  kill "$SIM_PID"; wait "$SIM_PID" 2>/dev/null
}
