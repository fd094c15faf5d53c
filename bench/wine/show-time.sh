#!/usr/bin/env bash
# Time to bring up the main window of the real Tembric.exe under Wine, on a
# library of N records.
#
# Usage: bench/wine/show-time.sh WINDOWS_BUILD_DIR [N] [RUNS]
#   N     records in the library (default 100000, made with tembric-db
#         generate and cached in the build folder)
#   RUNS  timed shows (default 5)
#
# Starts Tembric once, waits until it runs in the background, then RUNS times:
# a left click on the tray icon, and the moment the main window is visible,
# its tree holds items and neither has anything left to paint (polled every
# millisecond by tembric-probe wait-tree); then Esc hides it again. The first
# show of a run is timed separately (it also centres the window). Prints
# every show and the median of the later ones.
set -euo pipefail
[ $# -ge 1 ] || { sed -n '2,15p' "$0"; exit 2; }
records=${2:-100000}
runs=${3:-5}
# shellcheck source-path=SCRIPTDIR source=library.sh
source "$(dirname "$0")/library.sh" "$1" show-time 3600

e2e_setup

step "library of $records records"
bench_library "$records"
records=$BENCH_RECORDS

step "start Tembric"
start_tembric
wait_started 600
wait_tray_icon 30

declare -a times=()
first=
for ((i = 0; i <= runs; i++)); do
  step "show $i of $runs"
  wait_tray_click_gap
  timed_show "$i" click_tray 1
  ms=$SHOWN_MS
  log "shown in $ms ms (tree items: $SHOWN_ITEMS)"
  if [ "$i" -eq 0 ]; then first=$ms; else times+=("$ms"); fi
  [ "$i" -eq 0 ] && screenshot main-window

  activate_main
  xdotool key Escape
  wait_hidden 30
done

echo
echo "Tembric main window under Wine, $records records: first show $first ms;" \
  "later shows ${times[*]} ms; median $(median "${times[@]}") ms"
