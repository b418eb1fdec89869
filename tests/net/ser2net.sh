#!/usr/bin/env bash
# The network ports against a server none of us wrote: Debian's ser2net in
# front of lpgsim's pty, once in RFC 2217 mode and once in raw TCP mode,
# driven by the native lpgctl (and, with Wine set up, by the window).
# Sourced by scripts/test (or run by tests/net/run.sh), inside the private
# mount namespace of scripts/wine-env: there ser2net's own configuration file
# is covered by an empty one, so only our file, which names nothing but
# lpgsim's pty, is ever read. Loopback only. Prints PASS/FAIL lines.
set -u

NET_LABEL=net
net_check() {  # net_check NAME CONDITION-EXIT-CODE [detail]
  if [ "$2" -eq 0 ]; then echo "PASS $NET_LABEL.$1"; else echo "FAIL $NET_LABEL.$1 ${3:-}"; fi
}

SER2NET_PID=""
NET_SIM_PID=""

# A port nobody listens on now, on 127.0.0.1.
free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Starts lpgsim on a pty linked at $1, logging frames to $2.
net_start_sim() {
  rm -f "$1" "$2"
  "$ROOT/build/native/lpgsim" --link "$1" --log "$2" >/dev/null 2>&1 &
  NET_SIM_PID=$!
  for _ in $(seq 100); do [ -L "$1" ] && return 0; sleep 0.05; done
  return 1
}

# Our own configuration: one connection, on 127.0.0.1:$3, to the pty $2;
# $1 is rfc2217 or raw.
write_ser2net_config() {  # write_ser2net_config MODE PTY PORT FILE
  local accepter="tcp,127.0.0.1,$3"
  [ "$1" = rfc2217 ] && accepter="telnet(rfc2217),tcp,127.0.0.1,$3"
  cat >"$4" <<EOF
%YAML 1.1
---
connection: &lpgsim
  accepter: $accepter
  connector: serialdev,$2,9600n81,local
  options:
    kickolduser: true
EOF
}

# Starts ser2net with only FILE (the default file, if there is one, covered
# by an empty one in this namespace), no UUCP lock, its pid file beside.
start_ser2net() {  # start_ser2net FILE PORT
  local dir
  dir=$(dirname "$1")
  if [ -e /etc/ser2net/ser2net.yaml ]; then
    : >"$dir/empty.yaml"
    mount --bind "$dir/empty.yaml" /etc/ser2net/ser2net.yaml || return 1
  fi
  ser2net -n -u -P "$dir/ser2net.pid" -c "$1" >"$dir/ser2net.log" 2>&1 &
  SER2NET_PID=$!
  for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$2") 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}

stop_ser2net() {
  [ -n "$SER2NET_PID" ] && kill "$SER2NET_PID" 2>/dev/null && wait "$SER2NET_PID" 2>/dev/null
  SER2NET_PID=""
}

net_cleanup() {
  stop_ser2net
  [ -n "$NET_SIM_PID" ] && kill "$NET_SIM_PID" 2>/dev/null && wait "$NET_SIM_PID" 2>/dev/null
  NET_SIM_PID=""
  umount /etc/ser2net/ser2net.yaml 2>/dev/null || true
}

# True when the frame log holds a request that is no block read nor probe.
has_write_frame() {
  awk '$2 == ">" { f = $3 " " $4 " " $5 " " $6
    if (f != "65 01 01 67" && f != "65 02 02 69" && f != "65 03 03 6B" && f != "65 04 04 6D" &&
        f != "65 05 05 6F" && f != "0B 01 01 0D") found = 1 }
    END { exit !found }' "$1"
}

# lpgctl through ser2net in MODE: status, a dump that equals the one straight
# from the pty, and a configuration write seen in lpgsim's frame log.
net_lpgctl_checks() {  # net_lpgctl_checks MODE URL WORK LOG PTY
  local mode=$1 url=$2 work=$3 log=$4 lpgctl="$ROOT/build/native/lpgctl"
  "$lpgctl" --port "$url" status >"$work/status.out" 2>&1
  net_check "$mode.status" $? "($(head -c 300 "$work/status.out"))"
  "$lpgctl" --port "$url" dump >"$work/dump-net.out" 2>&1
  local rc=$?
  "$lpgctl" --port "$5" dump >"$work/dump-pty.out" 2>&1
  [ $rc -eq 0 ] && cmp -s "$work/dump-net.out" "$work/dump-pty.out"
  net_check "$mode.dump" $? "(exit $rc; $(diff "$work/dump-net.out" "$work/dump-pty.out" | head -n 4))"
  "$lpgctl" --port "$url" save "$work/car.zs2" >/dev/null 2>&1 &&
    "$lpgctl" --port "$url" load "$work/car.zs2" >"$work/load.out" 2>&1 && has_write_frame "$log"
  net_check "$mode.configuration-write" $? "($(tail -n 2 "$work/load.out" 2>/dev/null))"
  # Replies holding 0xFF (values, a checksum) went through, and the dump
  # above, equal to the one straight from the pty, came out of them whole.
  grep -q '^[0-9]* < .* FF' "$log" && cmp -s "$work/dump-net.out" "$work/dump-pty.out"
  net_check "$mode.0xff-on-the-wire" $? "(no reply with 0xFF in $log, or the dumps differ)"
}

run_ser2net_tests() {
  local work="$ROOT/build/net" mode port url pty
  rm -rf "$work" && mkdir -p "$work"
  if ! command -v ser2net >/dev/null; then
    net_check ser2net-installed 1 "(scripts/setup installs it)"
    return
  fi
  for mode in rfc2217 raw; do
    mkdir -p "$work/$mode"
    net_start_sim "$work/$mode/com" "$work/$mode/frames.log" || { net_check "$mode.sim" 1; continue; }
    pty=$(readlink -f "$work/$mode/com")
    port=$(free_port)
    write_ser2net_config "$mode" "$pty" "$port" "$work/$mode/ser2net.yaml"
    if ! start_ser2net "$work/$mode/ser2net.yaml" "$port"; then
      net_check "$mode.ser2net-up" 1 "($(tail -n 3 "$work/$mode/ser2net.log"))"
      net_cleanup
      continue
    fi
    url="rfc2217://127.0.0.1:$port"
    [ "$mode" = raw ] && url="socket://127.0.0.1:$port"
    net_lpgctl_checks "$mode" "$url" "$work/$mode" "$work/$mode/frames.log" "$work/$mode/com"
    net_cleanup
  done
}
