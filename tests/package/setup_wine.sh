#!/usr/bin/env bash
# The Windows setup (build/ZuvelS-<version>-setup.exe, from scripts/package)
# under Wine, as a user would meet it: started plainly, it asks for its
# language; a silent install in Russian puts the program, Lang\ and
# README.txt in %LOCALAPPDATA%\Programs\ZuvelS and ZuvelS.ini in Russian, the
# shortcuts start in that folder, the user's list of programs has the entry;
# the program started in the shortcut's folder writes its ini there; a second
# setup over it keeps that ini; the silent uninstaller removes the program
# and its traces and keeps the ini and a settings file of the user's. Prints
# PASS/FAIL lines.
#
# Sourced by scripts/test, which has isolated the serial ports already; run
# by hand it does that itself:  tests/package/setup_wine.sh
set -u

setup_check() {  # setup_check NAME CONDITION-EXIT-CODE [detail]
  if [ "$2" -eq 0 ]; then echo "PASS setup.$1"; else echo "FAIL setup.$1 ${3:-}"; fi
}

# A Windows path of the prefix (C:\...) as a path here.
setup_unix_path() { printf '%s' "$WINEPREFIX/drive_c$(printf '%s' "${1#[Cc]:}" | tr '\\' /)"; }

# The working folder a shortcut (.lnk) names, as Windows wrote it: its
# StringData after the header, the item list and the location block.
setup_lnk_working_dir() {
  python3 - "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
flags = struct.unpack_from("<I", data, 20)[0]
at = 76
if flags & 0x1:  # HasLinkTargetIDList
    at += 2 + struct.unpack_from("<H", data, at)[0]
if flags & 0x2:  # HasLinkInfo
    at += struct.unpack_from("<I", data, at)[0]
unicode = flags & 0x80
for bit in (0x4, 0x8, 0x10, 0x20, 0x40):  # name, relative path, working dir, args, icon
    if flags & bit:
        count = struct.unpack_from("<H", data, at)[0]
        size = count * 2 if unicode else count
        text = data[at + 2:at + 2 + size].decode("utf-16-le" if unicode else "latin-1")
        at += 2 + size
        if bit == 0x10:
            print(text.rstrip("\0"))
EOF
}

# The user's uninstall entry as reg lists it ("    NAME    REG_SZ    VALUE"),
# into SETUP_ENTRY; empty when there is none.
setup_read_entry() {
  # reg says that a key is missing on standard output, with exit code 1.
  SETUP_ENTRY=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZuvelS' 2>/dev/null) ||
    SETUP_ENTRY=""
  SETUP_ENTRY=${SETUP_ENTRY//$'\r'/}
}

# One value of SETUP_ENTRY, or nothing.
setup_reg_value() {  # setup_reg_value NAME
  printf '%s\n' "$SETUP_ENTRY" | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}

# Runs the setup (wine returns when it ends), 120 s at most.
setup_run() {  # setup_run EXE ARGS...
  timeout 120 wine "$@" >/dev/null 2>&1
}

# Waits until the uninstaller has removed itself from DIR and its entry from
# the registry, 60 s at most: it goes on in a copy of itself in the
# temporary folder after the one started has ended.
setup_await_uninstalled() {  # setup_await_uninstalled DIR
  local deadline=$((SECONDS + 60))
  while [ $SECONDS -lt $deadline ]; do
    if [ ! -e "$1/Uninstall.exe" ]; then
      setup_read_entry
      [ -z "$SETUP_ENTRY" ] && return 0
    fi
    sleep 0.2
  done
  return 1
}

# Ends a program started in the background under timeout (PID), which
# passes the signal on; 10 s at most, then every process of the prefix.
setup_end() {  # setup_end PID
  local _
  kill -TERM "$1" 2>/dev/null
  for _ in $(seq 100); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$1" 2>/dev/null && { echo "setup: a program ignored SIGTERM"; wineserver -k; }
  wait "$1" 2>/dev/null
}

# True when the setup, started without /S and /LANG, first asks for its
# language (rather than opening its first page), within 30 s.
setup_asks_language() {  # setup_asks_language SETUP
  (exec timeout 60 wine "$1" >/dev/null 2>&1) &
  local pid=$! asked=1 deadline=$((SECONDS + 30))
  while [ $SECONDS -lt $deadline ]; do
    if xdotool search --name '^Installer Language$' >/dev/null 2>&1; then asked=0 && break; fi
    # A page of the setup instead: its title names it in every language.
    xdotool search --name 'ZuvelS [0-9]' >/dev/null 2>&1 && break
    sleep 0.2
  done
  setup_end "$pid"
  return $asked
}

# Starts ZuvelS.exe in FOLDER, waits for its ini there (30 s at most), then
# ends it; true when the ini came.
setup_start_program() {  # setup_start_program FOLDER
  (cd "$1" && exec timeout 60 wine ./ZuvelS.exe --demo >/dev/null 2>&1) &
  local pid=$! came=1 _
  for _ in $(seq 300); do
    grep -q '^Language=' "$1/ZuvelS.ini" 2>/dev/null && { came=0; break; }
    sleep 0.1
  done
  setup_end "$pid"
  return $came
}

# The setup and the prefix's folders, for the tests below: SETUP_EXE,
# SETUP_VERSION, and the Windows paths LOCAL_APP, APP_DATA, DESKTOP. Starts
# the prefix's Wine server. False when there is no setup.
setup_begin() {
  SETUP_EXE=$(ls "$ROOT"/build/ZuvelS-*-setup.exe 2>/dev/null | head -n 1)
  [ -n "$SETUP_EXE" ] || { setup_check built 1 "(no build/ZuvelS-*-setup.exe)"; return 1; }
  SETUP_VERSION=$(basename "$SETUP_EXE" | sed 's/^ZuvelS-\(.*\)-setup\.exe$/\1/')
  # Shortcuts made in the prefix stay there: no menu entries for this machine.
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
  # One Wine server for the whole run, rather than one started for each
  # program and lingering after it; wine_cleanup ends it.
  wineserver -p
  { read -r LOCAL_APP && read -r APP_DATA && read -r DESKTOP; } < <(
    wine cmd /c 'echo %LOCALAPPDATA%&echo %APPDATA%&echo %USERPROFILE%\Desktop' 2>/dev/null | tr -d '\r')
}

# On a 32-bit Windows (a 32-bit prefix) the 32-bit programs go in.
run_setup_win32_tests() {
  setup_begin || return
  local dir
  dir=$(setup_unix_path "$LOCAL_APP\\Programs\\ZuvelS")
  rm -rf "$dir"
  setup_run "$SETUP_EXE" /S /LANG=ang
  [ "$(file -b "$dir/ZuvelS.exe" "$dir/lpgctl.exe" 2>&1 | grep -c '^PE32 executable .*Intel 80386')" -eq 2 ]
  setup_check program-for-32-bit $? "($(file -b "$dir/ZuvelS.exe" 2>&1))"
}

# The steps below share: SETUP_DIR (the install folder here), SETUP_AT (the
# same as Windows names it), SETUP_LNK (the Start-menu shortcut here),
# SETUP_DESKTOP_LNK, SETUP_INI_SUM.

# A first install, silent, in Russian: the files, the 64-bit program, the ini.
setup_step_install() {
  setup_run "$SETUP_EXE" /S /LANG=rus
  setup_check install-silent $? "(exit code)"
  local missing="" f code
  for f in ZuvelS.exe lpgctl.exe README.txt Uninstall.exe; do
    [ -f "$SETUP_DIR/$f" ] || missing="$missing $f"
  done
  for code in $("$ROOT/scripts/languages"); do
    [ -f "$SETUP_DIR/Lang/ZuvelS_lang.$code" ] || missing="$missing Lang/ZuvelS_lang.$code"
  done
  [ -z "$missing" ]
  setup_check files-in-place $? "(missing in $SETUP_DIR:$missing)"
  # A 64-bit Wine is a 64-bit Windows: the 64-bit program.
  file -b "$SETUP_DIR/ZuvelS.exe" 2>/dev/null | grep -q '^PE32+ executable .*x86-64'
  setup_check program-for-64-bit $? "($(file -b "$SETUP_DIR/ZuvelS.exe" 2>&1))"
  tr -d '\r' <"$SETUP_DIR/ZuvelS.ini" 2>/dev/null | grep -q '^Language= rus$'
  setup_check ini-in-chosen-language $? "($(tr '\r\n' '  ' <"$SETUP_DIR/ZuvelS.ini" 2>&1))"
}

# The shortcuts start in the program's folder; the user's uninstall entry.
setup_step_shortcuts_and_entry() {
  local got entry
  got=$(setup_lnk_working_dir "$SETUP_LNK" 2>&1)
  [ "$got" = "$SETUP_AT" ]
  setup_check start-menu-shortcut $? "(working folder '$got', want '$SETUP_AT', in $SETUP_LNK)"
  got=$(setup_lnk_working_dir "$SETUP_DESKTOP_LNK" 2>&1)
  [ "$got" = "$SETUP_AT" ]
  setup_check desktop-shortcut $? "(working folder '$got')"

  setup_read_entry
  entry="$(setup_reg_value DisplayName)|$(setup_reg_value DisplayVersion)|$(setup_reg_value Publisher)"
  entry="$entry|$(setup_reg_value DisplayIcon)|$(setup_reg_value QuietUninstallString)"
  [ "$entry" = "ZuvelS|$SETUP_VERSION|ZuvelS developers|$SETUP_AT\\ZuvelS.exe,0|\"$SETUP_AT\\Uninstall.exe\" /S" ] &&
    [ "$(setup_reg_value UninstallString)" = "\"$SETUP_AT\\Uninstall.exe\"" ] &&
    [ $(($(setup_reg_value EstimatedSize))) -gt 1000 ]
  setup_check uninstall-entry $? "($entry, size $(setup_reg_value EstimatedSize))"
}

# Started in the shortcut's folder, the program writes its ini there; a
# second setup, in another language, keeps that ini.
setup_step_program_and_upgrade() {
  rm -f "$SETUP_DIR/ZuvelS.ini"
  setup_start_program "$(setup_unix_path "$(setup_lnk_working_dir "$SETUP_LNK")")"
  setup_check program-writes-ini-there $? "(no ZuvelS.ini in $SETUP_DIR)"

  SETUP_INI_SUM=$(md5sum <"$SETUP_DIR/ZuvelS.ini" 2>/dev/null)
  printf 'the user settings file\r\n' >"$SETUP_DIR/car.zs2"
  setup_run "$SETUP_EXE" /S /LANG=cs &&
    [ "$(md5sum <"$SETUP_DIR/ZuvelS.ini" 2>/dev/null)" = "$SETUP_INI_SUM" ] && [ -f "$SETUP_DIR/ZuvelS.exe" ]
  setup_check upgrade-keeps-ini $? "($(tr '\r\n' '  ' <"$SETUP_DIR/ZuvelS.ini" 2>&1))"
}

# The uninstaller, silent, as the entry says: the program and its traces go,
# the ini and the user's file stay.
setup_step_uninstall() {
  local left
  setup_run "$SETUP_DIR/Uninstall.exe" /S && setup_await_uninstalled "$SETUP_DIR"
  setup_read_entry
  left=$(cd "$SETUP_DIR" 2>/dev/null && find . -mindepth 1 | sort | tr '\n' ' ')
  [ "$left" = "./ZuvelS.ini ./car.zs2 " ] && [ "$(md5sum <"$SETUP_DIR/ZuvelS.ini")" = "$SETUP_INI_SUM" ] &&
    [ ! -e "$SETUP_LNK" ] && [ ! -e "$SETUP_DESKTOP_LNK" ] && [ -z "$(setup_reg_value DisplayName)" ]
  setup_check uninstall-keeps-ini $? "(left in $SETUP_DIR: $left; entry '$(setup_reg_value DisplayName)')"
}

run_setup_wine_tests() {
  setup_begin || return
  SETUP_AT="$LOCAL_APP\\Programs\\ZuvelS"
  SETUP_DIR=$(setup_unix_path "$SETUP_AT")
  SETUP_LNK=$(setup_unix_path "$APP_DATA\\Microsoft\\Windows\\Start Menu\\Programs\\ZuvelS.lnk")
  SETUP_DESKTOP_LNK=$(setup_unix_path "$DESKTOP\\ZuvelS.lnk")
  rm -rf "$SETUP_DIR"

  # Started without options, it asks for its language first.
  setup_asks_language "$SETUP_EXE"
  setup_check asks-language $? "(no 'Installer Language' window)"
  setup_step_install
  setup_step_shortcuts_and_entry
  setup_step_program_and_upgrade
  setup_step_uninstall
}

# Makes the prefix ready: the one there (scripts/test made it fresh for the
# Windows tests of the same run), or a new one. Wine links the prefix's
# Desktop to the home folder: a folder of the prefix's own instead, so that
# the setup's desktop shortcut stays in the prefix; and a home of its own,
# for whatever else Wine puts there.
setup_wine_prefix() {
  export HOME="$ROOT/build/setup-wine/home"
  rm -rf "$HOME" && mkdir -p "$HOME"
  [ -f "$WINEPREFIX/system.reg" ] || make_prefix
  local d
  for d in "$WINEPREFIX"/drive_c/users/*/Desktop; do
    if [ -L "$d" ]; then rm -f "$d" && mkdir -p "$d"; fi
  done
}

# By hand: the serial ports out of reach, a display and a new prefix of its
# own.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  ROOT=$(cd "$(dirname "$0")/../.." && pwd)
  cd "$ROOT" || exit 1
  . scripts/wine-env
  isolate_serial_ports "$ROOT/tests/package/setup_wine.sh" "$@"
  export WINEPREFIX="$ROOT/build/setup-wine/wineprefix" HOME="$ROOT/build/setup-wine/home"
  mkdir -p "$HOME"
  trap wine_cleanup EXIT
  start_xvfb && make_prefix
  start=$SECONDS
  setup_wine_prefix && run_setup_wine_tests
  took=$((SECONDS - start))
  wine_cleanup
  export WINEPREFIX="$ROOT/build/setup-wine/wineprefix32" WINEARCH=win32
  start_xvfb && make_prefix
  start=$SECONDS
  setup_wine_prefix && run_setup_win32_tests
  echo "time: setup-wine $((took + SECONDS - start)) s (the new prefixes not counted)"
fi
