#!/usr/bin/env bash
# The Debian package (build/lpgctl_<version>_<arch>.deb, from scripts/package):
# its files and fields, the program in it running, lintian's verdict (only
# errors fail; the rest is printed), the man page rendered by man without a
# warning, and the bash completion tried in a non-interactive bash. Prints
# PASS/FAIL lines. Sourced by scripts/test; by hand: tests/package/deb.sh
set -u

deb_check() {  # deb_check NAME CONDITION-EXIT-CODE [detail]
  if [ "$2" -eq 0 ]; then echo "PASS deb.$1"; else echo "FAIL deb.$1 ${3:-}"; fi
}

# Completes LINE (the cursor at its end) as bash would, with the function the
# completion registered; prints the candidates, one a line.
# shellcheck disable=SC2016
DEB_COMPLETE='
. "$1"
by_id=$2
shift 2
registered=$(complete -p lpgctl) || exit 1
[ "$registered" = "complete -F _lpgctl lpgctl" ] || { echo "registered: $registered"; exit 1; }
for line in "$@"; do
  COMP_LINE=$line COMP_POINT=${#line}
  # The word bash hands over: the text after the last blank, ":" or "=", or
  # that mark itself when the line ends with it.
  last=${line##*[ :=]}
  case $line in *: | *=) last=${line: -1} ;; esac
  COMP_WORDS=(lpgctl "$last") COMP_CWORD=1 COMPREPLY=()
  _LPGCTL_BY_ID=$by_id _lpgctl lpgctl "$last"
  printf "%s => %s\n" "$line" "$(printf "%s " "${COMPREPLY[@]}")"
done'

run_deb_tests() {
  local deb work
  deb=$(ls "$ROOT"/build/lpgctl_*_*.deb 2>/dev/null | head -n 1)
  [ -n "$deb" ] || { deb_check built 1 "(no build/lpgctl_*.deb)"; return; }
  work="$ROOT/build/deb-test"
  rm -rf "$work" && mkdir -p "$work/by-id" "$work/files"

  # 1. What is in it: these files, owned by root, nothing else.
  local files want
  files=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $2, $6 }' | sort | tr '\n' ' ')
  want="root/root ./usr/bin/lpgctl root/root ./usr/share/bash-completion/completions/lpgctl"
  want="$want root/root ./usr/share/doc/lpgctl/README.Debian root/root ./usr/share/doc/lpgctl/changelog.gz"
  want="$want root/root ./usr/share/doc/lpgctl/copyright root/root ./usr/share/man/man1/lpgctl.1.gz "
  [ "$files" = "$want" ]
  deb_check contents $? "($files)"
  local version
  version=$(basename "$deb" | cut -d_ -f2)
  [ "$(dpkg-deb --field "$deb" Package Version Architecture | tr '\n' ' ')" = \
    "Package: lpgctl Version: $version Architecture: $(dpkg --print-architecture) " ] &&
    dpkg-deb --field "$deb" Depends | grep -q 'libc6 (>=' &&
    dpkg-deb --field "$deb" Description | grep -q dialout
  deb_check control $? "($(dpkg-deb --field "$deb" Package Version Architecture Depends | tr '\n' ' '))"

  # 2. The program in it runs, on the built-in controller.
  dpkg-deb --extract "$deb" "$work/root"
  "$work/root/usr/bin/lpgctl" --port demo status >"$work/status.out" 2>&1 &&
    grep -q '^generation: 3$' "$work/status.out"
  deb_check program-runs $? "($(tail -n 1 "$work/status.out"))"

  # 3. lintian: errors fail, warnings and the rest are only shown.
  lintian --fail-on error -I --tag-display-limit 0 "$deb" 2>&1 | grep -v "root privileges" >"$work/lintian.log"
  local lintian_rc=${PIPESTATUS[0]}
  sed 's/^/  lintian: /' "$work/lintian.log"
  deb_check lintian-no-errors "$lintian_rc" "($(grep -c '^E:' "$work/lintian.log") errors)"

  # 4. The man page as man shows it, with groff's warnings on.
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$work/root/usr/share/man/man1/lpgctl.1.gz" \
    >"$work/man.txt" 2>"$work/man.err"
  [ ! -s "$work/man.err" ] && grep -q '^EXIT STATUS' "$work/man.txt" &&
    grep -q 'rfc2217://HOST:PORT' "$work/man.txt" && grep -q 'dialout' "$work/man.txt" &&
    grep -q "lpgctl $version" "$work/man.txt"
  deb_check man-page $? "($(head -n 3 "$work/man.err" | tr '\n' ' '))"

  # 5. The completion, in a bash that reads no start-up file. The adapters'
  # names are links to nothing: completion lists names and opens none.
  ln -s ../../ttyUSB7 "$work/by-id/usb-Adapter_Serial_A1-if00-port0"
  touch "$work/files/car.zs2" "$work/files/road.csv"
  (cd "$work/files" && bash --norc --noprofile -c "$DEB_COMPLETE" complete \
    "$work/root/usr/share/bash-completion/completions/lpgctl" "$work/by-id" \
    "lpgctl s" "lpgctl -" "lpgctl --port " "lpgctl -p de" "lpgctl --port demo:" \
    "lpgctl --port=$work/by-id/u" "lpgctl -p demo load --" "lpgctl -p demo load c" \
    "lpgctl help pl" "lpgctl serve --" "lpgctl log --out=r" "lpgctl --port rfc") >"$work/complete.txt" 2>&1
  local expect got bad=""
  while IFS='|' read -r line expect; do
    got=$(grep -F -x -- "$line => $expect" "$work/complete.txt")
    [ -n "$got" ] || bad="$bad [$line]"
  done <<EOF
lpgctl s|status save scan serve 
lpgctl -|-p --port -v -q --help --version -- 
lpgctl -p de|demo demo:1 demo:3 
lpgctl --port demo:|1 3 
lpgctl --port=$work/by-id/u|$work/by-id/usb-Adapter_Serial_A1-if00-port0 
lpgctl -p demo load --|--port --help --json --no-verify 
lpgctl -p demo load c|car.zs2 
lpgctl help pl|plot 
lpgctl serve --|--port --help --listen --allow-writes --raw --idle 
lpgctl log --out=r|road.csv 
lpgctl --port rfc|rfc2217:// 
EOF
  # With nothing typed after --port: the adapter's lasting name among the forms.
  grep -q -- "^lpgctl --port  => $work/by-id/usb-Adapter_Serial_A1-if00-port0 .*demo demo:1 demo:3 replay: rfc2217:// socket:// $" \
    "$work/complete.txt" || bad="$bad [lpgctl --port ]"
  [ -z "$bad" ]
  deb_check completion $? "(wrong:$bad; see $work/complete.txt)"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  ROOT=$(cd "$(dirname "$0")/../.." && pwd)
  start=$SECONDS
  run_deb_tests
  echo "time: deb $((SECONDS - start)) s"
fi
