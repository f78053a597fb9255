#!/usr/bin/env bash
# The one way the tests and the scripts start a private X server: Xvfb on a display number it picks
# itself (-displayfd), 1280 x 1024 at 24 bits, no TCP, no reset when its last client leaves (probes
# come and go while a slow program starts), no key auto-repeat (on a loaded machine a key's release
# can come late enough to repeat it); optionally openbox on it, ready once it has announced itself.
# Every server ends with the shell that started it, even one that is killed.
#   source tests/support/xserver.sh; orvex_start_x [VARIABLE [openbox]]
#       sets and exports VARIABLE (default DISPLAY) to the new server's name; orvex_stop_x ends them all
#   bash tests/support/xserver.sh [--wm openbox] COMMAND [ARG ...]
#       runs COMMAND on a new server (DISPLAY set, and ORVEX_PRIVATE_X=1), exits with its status

orvex_x_servers=()

orvex_start_x() {
  local variable=${1:-DISPLAY} manager=${2:-} fd number
  exec {fd}< <(exec setpriv --pdeathsig TERM Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp \
                 -noreset -r 2>/dev/null)
  orvex_x_servers+=($!)
  read -r -t 30 number <&"$fd" || { echo "Xvfb did not start" >&2; return 1; }
  printf -v "$variable" ':%s' "$number"
  export "${variable?}"
  [ -n "$manager" ] || return 0
  DISPLAY=":$number" setpriv --pdeathsig TERM "$manager" --sm-disable >/dev/null 2>&1 &
  orvex_x_servers+=($!)
  for _ in $(seq 300); do
    DISPLAY=":$number" xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.1
  done
  echo "$manager did not start" >&2
  return 1
}

orvex_stop_x() {
  [ ${#orvex_x_servers[@]} -eq 0 ] || kill "${orvex_x_servers[@]}" 2>/dev/null || true
  orvex_x_servers=()
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  manager=
  if [ "${1:-}" = --wm ]; then manager=$2; shift 2; fi
  trap orvex_stop_x EXIT
  orvex_start_x DISPLAY "$manager"
  export ORVEX_PRIVATE_X=1
  status=0
  "$@" || status=$?
  exit $status
fi
