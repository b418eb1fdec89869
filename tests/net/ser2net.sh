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
NET_MASKED=""

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
  if [ -e /etc/ser2net/ser2net.yaml ] && [ -z "$NET_MASKED" ]; then
    : >"$dir/empty.yaml"
    mount --bind "$dir/empty.yaml" /etc/ser2net/ser2net.yaml || return 1
    NET_MASKED=1
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
  [ -n "$NET_MASKED" ] && umount /etc/ser2net/ser2net.yaml 2>/dev/null
  NET_MASKED=""
}

# True when the frame log holds a request that is no block read nor probe.
has_write_frame() {
  awk '$2 == ">" { f = $3 " " $4 " " $5 " " $6
    if (f != "65 01 01 67" && f != "65 02 02 69" && f != "65 03 03 6B" && f != "65 04 04 6D" &&
        f != "65 05 05 6F" && f != "0B 01 01 0D") found = 1 }
    END { exit !found }' "$1"
}

# A dump without its readings block, whose values move with the engine.
settings_dump() { awk '/^readings/ { skip = 1 } /^$/ { skip = 0 } !skip' "$1"; }

# lpgctl through ser2net in MODE: status; a configuration load seen in
# lpgsim's frame log, with a value of 255, so that 0xFF goes out in the write
# and comes back in its reply and in a block; a dump equal to the one
# straight from the pty.
net_lpgctl_checks() {  # net_lpgctl_checks MODE URL WORK LOG PTY
  local mode=$1 url=$2 work=$3 log=$4 lpgctl="$ROOT/build/native/lpgctl"
  "$lpgctl" --port "$url" status >"$work/status.out" 2>&1
  net_check "$mode.status" $? "($(head -c 300 "$work/status.out"))"
  "$lpgctl" --port "$url" save "$work/car.zs2" >"$work/load.out" 2>&1 &&
    sed 's/^LPGOffRPMLo=.*/LPGOffRPMLo= 255/' "$work/car.zs2" >"$work/car-ff.zs2" &&
    "$lpgctl" --port "$url" load "$work/car-ff.zs2" >>"$work/load.out" 2>&1 && has_write_frame "$log"
  net_check "$mode.configuration-write" $? "($(tail -n 2 "$work/load.out" 2>/dev/null))"
  "$lpgctl" --port "$url" dump >"$work/dump-net.out" 2>&1
  local rc=$?
  "$lpgctl" --port "$5" dump >"$work/dump-pty.out" 2>&1
  settings_dump "$work/dump-net.out" >"$work/settings-net.out"
  settings_dump "$work/dump-pty.out" >"$work/settings-pty.out"
  [ $rc -eq 0 ] && [ -s "$work/settings-net.out" ] &&
    cmp -s "$work/settings-net.out" "$work/settings-pty.out"
  net_check "$mode.dump" $? "(exit $rc; $(diff "$work/settings-net.out" "$work/settings-pty.out" | head -n 4))"
  # 0xFF went out in a request and came back in replies, and the dump read
  # through ser2net equals the one read straight from the pty.
  grep -q '^[0-9]* > .*FF' "$log" && grep -q '^[0-9]* < .*FF' "$log" &&
    cmp -s "$work/settings-net.out" "$work/settings-pty.out"
  net_check "$mode.0xff-both-ways" $? "(no 0xFF both ways in $log, or the dumps differ)"
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

# ---- The window under Wine (wine-env set up: prefix, display) ----

net_rid() { awk -v n="$1" '$1 == "#define" && $2 == n { print $3 }' "$ROOT/res/resource.h"; }
net_drive() { timeout 30 wine "$WIN_TOOLS/zdrive.exe" "$@" 2>/dev/null | tr -d '\r'; }

# Waits until the log has at least N status requests (or T seconds pass).
net_await_status() {  # net_await_status LOG N T
  for _ in $(seq $(( $3 * 20 ))); do
    [ "$(awk '$2 == ">" && $3 == "65" && $4 == "01"' "$1" 2>/dev/null | wc -l)" -ge "$2" ] && return 0
    sleep 0.05
  done
  return 1
}

# Starts ZuvelS.exe in WORK on PORT; its pid in NET_EXE_PID.
net_start_window() {  # net_start_window WORK PORT
  (cd "$1" && exec timeout 120 wine "$DIST/ZuvelS.exe" --port "$2" >/dev/null 2>&1) &
  NET_EXE_PID=$!
  net_drive wait 30 >/dev/null
}

net_stop_window() {
  kill "$NET_EXE_PID" 2>/dev/null
  wineserver -k >/dev/null 2>&1 || true
  wait "$NET_EXE_PID" 2>/dev/null
}

# lpgctl.exe (Winsock) through ser2net, and on a name that doesn't resolve.
net_lpgctl_exe_status() {  # net_lpgctl_exe_status URL WORK
  (cd "$2" && timeout 60 wine "$DIST/lpgctl.exe" --port "$1" status >exe.out 2>exe.err)
  local rc=$?
  [ $rc -eq 0 ] && tr -d '\r' <"$2/exe.out" | grep -q '^generation: 1$'
  net_check lpgctl-exe-status $? "(exit $rc: $(cat "$2/exe.err"))"
  (cd "$2" && timeout 60 wine "$DIST/lpgctl.exe" --port rfc2217://controller.invalid:2217 status \
    >exe.out 2>exe.err)
  rc=$?
  [ $rc -eq 15 ] && [ "$(tr -d '\r' <"$2/exe.err" | wc -l)" -eq 1 ] &&
    grep -q 'controller.invalid' "$2/exe.err"
  net_check lpgctl-exe-unresolvable $? "(exit $rc: $(cat "$2/exe.err"))"
}

# The window through ser2net in MODE: the polling pattern, a configuration
# write, no box, and ZuvelS.ini left as it was.
net_window_checks() {  # net_window_checks MODE URL WORK LOG
  local mode=$1 url=$2 work=$3 log=$4 seq expect
  make_run_dir "$work/run"
  cp "$work/run/ZuvelS.ini" "$work/ini.before"
  net_start_window "$work/run" "$url"
  net_await_status "$log" 20 30
  net_check "$mode.window-polls" $? "(no status requests in $log)"
  # Probe once, then status+Live on every tick and the two configuration
  # blocks on every fourth (generation 1).
  seq=$(awk '$2 == ">" { print $4 }' "$log" | head -n 41 | tr '\n' ' ')
  expect="01 02 01 02 01 02 01 02 03 04 01 02 01 02 01 02 01 02 03 04 "
  [ "$(awk '$2 == ">" {print $3}' "$log" | head -n 1)" = "0B" ] &&
    [ "$(echo "$seq" | cut -d' ' -f2-21) " = "$expect" ]
  net_check "$mode.window-tick-pattern" $? "(requests: $seq)"
  net_drive command "$(net_rid IDM_CONFIGURATION)" >/dev/null
  net_drive control "$(net_rid IDC_CFG_PROBE_TYPE)" 1 1 >/dev/null
  local i
  for i in $(seq 100); do has_write_frame "$log" && break; sleep 0.1; done
  has_write_frame "$log"
  net_check "$mode.window-configuration-write" $?
  local shown
  shown=$(net_drive box)
  [ "$shown" = none ]
  net_check "$mode.window-no-box" $? "($shown)"
  net_stop_window
  # lpgctl.exe on the same port, once the window has let it go.
  [ "$mode" = rfc2217 ] && net_lpgctl_exe_status "$url" "$work"
  cmp -s "$work/run/ZuvelS.ini" "$work/ini.before"
  net_check "$mode.window-ini-untouched" $? "($(cat "$work/run/ZuvelS.ini"))"
}

# Starts ZuvelS.exe in WORK on the simulated controller, to be moved to a
# network port by its Network dialog; its pid in NET_EXE_PID.
net_start_demo_window() {  # net_start_demo_window WORK
  (cd "$1" && exec timeout 120 wine "$DIST/ZuvelS.exe" --demo >/dev/null 2>&1) &
  NET_EXE_PID=$!
  net_drive wait 30 >/dev/null
}

# Port > Network... filled as a fitter would: ADDRESS, the kind, Connect.
net_fill_network_dialog() {  # net_fill_network_dialog ADDRESS KIND_CONTROL
  net_drive fill "$(net_rid IDM_NETWORK)" "$(net_rid IDC_NET_ADDRESS)=$1" "$(net_rid "$2")=!" \
    "1=!" | grep -q '^fail' && return 1
  return 0
}

# The window moved onto the port by its Network dialog: it polls there, the
# title names the address, no box, the address kept beside ZuvelS.ini and
# ZuvelS.ini itself untouched.
net_window_dialog_checks() {  # net_window_dialog_checks MODE URL WORK LOG
  local mode=$1 url=$2 work=$3 log=$4 kind=IDC_NET_RFC2217 before shown
  [ "$mode" = raw ] && kind=IDC_NET_RAW_TCP
  make_run_dir "$work/run-dialog"
  cp "$work/run-dialog/ZuvelS.ini" "$work/ini-dialog.before"
  net_start_demo_window "$work/run-dialog"
  before=$(awk '$2 == ">" && $4 == "01"' "$log" | wc -l)
  net_fill_network_dialog "${url#*://}" "$kind"
  net_check "$mode.dialog-connects" $?
  net_await_status "$log" $((before + 20)) 30
  net_check "$mode.dialog-window-polls" $? "(no status requests in $log)"
  shown=$(net_drive title)
  [[ $shown == *"$url"* ]]
  net_check "$mode.dialog-title-names-the-address" $? "($shown)"
  shown=$(net_drive box)
  [ "$shown" = none ]
  net_check "$mode.dialog-no-box" $? "($shown)"
  net_stop_window
  tr -d '\r' <"$work/run-dialog/ZuvelS_network.txt" | grep -qx "Recent= $url"
  net_check "$mode.dialog-address-kept" $? "($(cat "$work/run-dialog/ZuvelS_network.txt" 2>&1))"
  cmp -s "$work/run-dialog/ZuvelS.ini" "$work/ini-dialog.before"
  net_check "$mode.dialog-ini-untouched" $? "($(cat "$work/run-dialog/ZuvelS.ini"))"
}

# An address nobody answers, chosen in the dialog: one box naming it, and
# the window answers all along.
net_window_dialog_unreachable() {  # net_window_dialog_unreachable WORK
  local work=$1 port shown watch
  make_run_dir "$work/run-unreachable"
  port=$(free_port)
  net_start_demo_window "$work/run-unreachable"
  net_fill_network_dialog "127.0.0.1:$port" IDC_NET_RFC2217
  net_check fault.dialog-unreachable-connects $?
  for _ in $(seq 50); do shown=$(net_drive box); [ "$shown" != none ] && break; sleep 0.2; done
  [[ $shown == *"rfc2217://127.0.0.1:$port"* ]]
  net_check fault.dialog-unreachable-box $? "($shown)"
  net_drive closeboxes >/dev/null
  watch=$(net_drive watch 3 100)
  [ "${watch#ok}" != "$watch" ]
  net_check fault.dialog-unreachable-window-answers $? "($watch)"
  shown=$(net_drive box)
  [ "$shown" = none ]
  net_check fault.dialog-unreachable-one-box $? "($shown)"
  net_stop_window
}

# The window's faults: the server killed and started again (down, up, no
# box); a listener that never accepts (the window answers within 100 ms all
# along); a name that doesn't resolve (the box, naming the port).
net_window_faults() {  # net_window_faults WORK
  local work=$1 port url log pty
  mkdir -p "$work"
  net_start_sim "$work/com" "$work/frames.log" || { net_check fault.sim 1; return; }
  pty=$(readlink -f "$work/com")
  port=$(free_port)
  url="rfc2217://127.0.0.1:$port"
  write_ser2net_config rfc2217 "$pty" "$port" "$work/ser2net.yaml"
  start_ser2net "$work/ser2net.yaml" "$port" || { net_check fault.ser2net 1; return; }
  make_run_dir "$work/run"
  net_start_window "$work/run" "$url"
  net_await_status "$work/frames.log" 5 30
  net_check fault.up $?
  stop_ser2net
  sleep 4  # the link's three missed polls
  local before
  before=$(awk '$2 == ">" && $4 == "01"' "$work/frames.log" | wc -l)
  start_ser2net "$work/ser2net.yaml" "$port"
  net_await_status "$work/frames.log" $((before + 10)) 30
  net_check fault.server-back-link-up $?
  local shown
  shown=$(net_drive box)
  [ "$shown" = none ]
  net_check fault.server-back-no-box $? "($shown)"
  net_stop_window
  net_cleanup

  # A listener whose accept queue is full: the connect stays pending.
  python3 - "$work/listener.port" <<'PY' &
import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(0)
fill = [socket.socket() for _ in range(2)]
for f in fill: f.setblocking(False); f.connect_ex(s.getsockname())
open(sys.argv[1], "w").write(str(s.getsockname()[1]))
time.sleep(60)
PY
  local listener=$!
  for _ in $(seq 50); do [ -s "$work/listener.port" ] && break; sleep 0.1; done
  make_run_dir "$work/run2"
  net_start_window "$work/run2" "socket://127.0.0.1:$(cat "$work/listener.port")"
  local watch
  # From a second after the window is up (its first page is built by then)
  # over the 3 s a connect may stay pending, and the retries after.
  sleep 1
  watch=$(net_drive watch 8 100)
  [ "${watch#ok}" != "$watch" ]
  net_check fault.pending-connect-window-answers $? "($watch)"
  net_stop_window
  kill "$listener" 2>/dev/null; wait "$listener" 2>/dev/null

  make_run_dir "$work/run3"
  net_start_window "$work/run3" "rfc2217://controller.invalid:2217"
  for _ in $(seq 20); do shown=$(net_drive box); [ "$shown" != none ] && break; sleep 0.2; done
  # The box names the port and why it can't be reached.
  [[ $shown == *"rfc2217://controller.invalid:2217"*"does not resolve"* ]]
  net_check fault.unresolvable-box $? "($shown)"
  net_stop_window
}

run_ser2net_window_tests() {
  local work="$ROOT/build/net-win" mode port url pty
  rm -rf "$work" && mkdir -p "$work"
  for mode in rfc2217 raw; do
    mkdir -p "$work/$mode"
    NET_LABEL=net-win
    "$ROOT/build/native/lpgsim" --link "$work/$mode/com" --log "$work/$mode/frames.log" --gen 1 \
      >/dev/null 2>&1 &
    NET_SIM_PID=$!
    for _ in $(seq 100); do [ -L "$work/$mode/com" ] && break; sleep 0.05; done
    pty=$(readlink -f "$work/$mode/com")
    port=$(free_port)
    write_ser2net_config "$mode" "$pty" "$port" "$work/$mode/ser2net.yaml"
    if start_ser2net "$work/$mode/ser2net.yaml" "$port"; then
      url="rfc2217://127.0.0.1:$port"
      [ "$mode" = raw ] && url="socket://127.0.0.1:$port"
      net_window_checks "$mode" "$url" "$work/$mode" "$work/$mode/frames.log"
      net_window_dialog_checks "$mode" "$url" "$work/$mode" "$work/$mode/frames.log"
    else
      net_check "$mode.ser2net-up" 1
    fi
    net_cleanup
  done
  net_window_faults "$work/faults"
  net_cleanup
  net_window_dialog_unreachable "$work/faults"
  net_cleanup
}
