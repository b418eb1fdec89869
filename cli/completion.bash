# bash completion for lpgctl: its commands, their options, files, and the
# port forms with the serial adapters of /dev/serial/by-id. Ports are only
# listed by name (a glob), never opened. The Debian package installs it as
# /usr/share/bash-completion/completions/lpgctl; by hand: source it.

_lpgctl_commands="status dump save load diff ports scan log plot record serve help"

# The port forms of the port schemes' rows (link/port_schemes.cpp), and those
# of them followed by a file name; a unit test holds both to the rows.
_lpgctl_port_forms="demo demo:1 demo:3 replay: rfc2217:// socket://"
_lpgctl_port_file_forms="replay:"

# The options of one command (none: before the command).
_lpgctl_options() {
  local common="-p --port -v -q --help"
  case $1 in
    "") echo "$common --version --" ;;
    status | dump | ports | scan | diff) echo "$common --json" ;;
    load) echo "$common --json --no-verify" ;;
    log) echo "$common --seconds --out --plot" ;;
    plot) echo "$common --out" ;;
    record) echo "$common --seconds" ;;
    serve) echo "$common --listen --allow-writes --raw --idle" ;;
    *) echo "$common" ;;
  esac
}

# The ports PREFIX may become, one a line: the adapters' lasting names, the
# USB and ACM devices, the simulated controller and the other forms.
_lpgctl_ports() {
  local dir=${_LPGCTL_BY_ID:-/dev/serial/by-id} p
  for p in "$dir"/* /dev/ttyUSB* /dev/ttyACM*; do
    # A glob that matched nothing stays as it is; a dangling link still counts.
    [ -e "$p" ] || [ -L "$p" ] || continue
    case $p in "$1"*) echo "$p" ;; esac
  done
  for p in $_lpgctl_port_file_forms; do
    case $1 in "$p"*) compgen -f -- "${1#"$p"}" | sed "s|^|$p|" && return ;; esac
  done
  compgen -W "$_lpgctl_port_forms" -- "$1"
}

_lpgctl_files() { compgen -f -- "$1"; }

# Sets COMPREPLY from candidates, one a line, for the word WORD as the user
# typed it. Bash replaces only the part of the word after its last ':' or
# '=' (COMP_WORDBREAKS), so that much of the front is cut off each candidate.
_lpgctl_reply() {  # _lpgctl_reply WORD CANDIDATES
  local typed=${COMP_WORDS[COMP_CWORD]} front c
  case $typed in ":" | "=") typed="" ;; esac
  front=${1%"$typed"}
  COMPREPLY=()
  while IFS= read -r c; do
    [ -n "$c" ] && COMPREPLY+=("${c#"$front"}")
  done <<<"$2"
}

_lpgctl() {
  # The words as typed up to the cursor, split at blanks only: "--port=demo:1"
  # stays one word, as lpgctl reads it.
  local line=${COMP_LINE:0:COMP_POINT} words=() cur prev command="" i w
  read -ra words <<<"$line"
  [[ $line == *[[:space:]] || ${#words[@]} -eq 0 ]] && words+=("")
  cur=${words[${#words[@]} - 1]}
  prev=""
  [ ${#words[@]} -ge 2 ] && prev=${words[${#words[@]} - 2]}

  # The command: the first word that is neither an option nor its value.
  for ((i = 1; i < ${#words[@]} - 1; i++)); do
    w=${words[i]}
    case $w in
      -p | --port | --seconds | --out | --plot | --listen) ((i++)) ;;
      -*) ;;
      *) command=$w && break ;;
    esac
  done

  case $prev in
    -p | --port) _lpgctl_reply "$cur" "$(_lpgctl_ports "$cur")" && return ;;
    --out | --plot) compopt -o filenames 2>/dev/null
      _lpgctl_reply "$cur" "$(_lpgctl_files "$cur")" && return ;;
    --seconds) COMPREPLY=() && return ;;
    --listen) _lpgctl_reply "$cur" "$(compgen -W "127.0.0.1:2217 0.0.0.0:2217" -- "$cur")" && return ;;
  esac
  case $cur in
    --port=*) _lpgctl_reply "$cur" "$(_lpgctl_ports "${cur#--port=}" | sed 's/^/--port=/')" && return ;;
    --out=* | --plot=*)
      _lpgctl_reply "$cur" "$(_lpgctl_files "${cur#*=}" | sed "s/^/${cur%%=*}=/")" && return ;;
    -*) _lpgctl_reply "$cur" "$(compgen -W "$(_lpgctl_options "$command")" -- "$cur")" && return ;;
  esac
  case $command in
    "") _lpgctl_reply "$cur" "$(compgen -W "$_lpgctl_commands" -- "$cur")" ;;
    help) _lpgctl_reply "$cur" "$(compgen -W "$_lpgctl_commands" -- "$cur")" ;;
    scan) _lpgctl_reply "$cur" "$(_lpgctl_ports "$cur")" ;;
    diff) compopt -o filenames 2>/dev/null
      _lpgctl_reply "$cur" "$({ [ "$cur" = "" ] && echo -; _lpgctl_files "$cur"; })" ;;
    save | load | plot | record) compopt -o filenames 2>/dev/null
      _lpgctl_reply "$cur" "$(_lpgctl_files "$cur")" ;;
    *) COMPREPLY=() ;;
  esac
}

complete -F _lpgctl lpgctl
