#!/usr/bin/env bash
# Time to bring up the main window of the real Tembric.exe under Wine from
# the program the user works in, with the context folder filled for it, on a
# library of N records, 10,000 windows rows and 100,000 relations.
#
# Usage: bench/wine/context-show-time.sh WINDOWS_BUILD_DIR [N] [RUNS]
#   N     records in the library (default 5000, so that their hotkeys fit the
#         255 slots; made with tembric-db
#         generate --windows 10000 --relations 100000 --application
#         Tembric-paste-target and cached in the build folder)
#   RUNS  timed shows (default 5)
#
# Starts Tembric once and the paste target beside it; RUNS times: the target
# in front (Tembric took it as the target before the first show), the show hotkey Ctrl+Alt+Z,
# and the moment the main window is visible, its tree holds items and nothing
# is left to paint (tembric-probe wait-tree); then Esc hides it again. The
# first show is timed separately. Prints every show, the context folder's
# caption and the median of the later shows.
set -euo pipefail
[ $# -ge 1 ] || { sed -n '2,16p' "$0"; exit 2; }
records=${2:-5000}
runs=${3:-5}
# shellcheck source-path=SCRIPTDIR source=library.sh
source "$(dirname "$0")/library.sh" "$1" context-show-time 3600
readonly TARGET_TITLE='Paste here'
readonly TARGET_APP='Tembric-paste-target'

e2e_setup

step "library of $records records, 10000 windows rows, 100000 relations"
bench_library "$records" contexts --windows 10000 --relations 100000 --application "$TARGET_APP"
records=$BENCH_RECORDS

step "start Tembric, the user in the paste target"
start_tembric
wait_started 600
wait_tray_icon 30
target_log=$E2E_TMP/pasted.log
start_paste_target "$TARGET_TITLE" "$target_log"
wait_target "$TARGET_TITLE"

# shellcheck disable=SC2317  # called through wait_for
target_in_front() { probe window-state -name "$TARGET_TITLE" | found -x "foreground 1"; }
declare -a times=()
first=
for ((i = 0; i <= runs; i++)); do
  step "show $i of $runs"
  xdotool windowactivate --sync "$(x_visible_titled "$TARGET_TITLE" | head -n 1)" >/dev/null 2>&1 || true
  wait_for target_in_front 10 || fail "the paste target did not come to the front"
  timed_show "$i" xdotool key ctrl+alt+z
  ms=$SHOWN_MS
  caption=$(tree_top_level | sed -n 2p)
  log "shown in $ms ms (tree items: $SHOWN_ITEMS, context folder: $caption)"
  if [ "$i" -eq 0 ]; then first=$ms; else times+=("$ms"); fi
  [ "$i" -eq 0 ] && screenshot main-window

  activate_main
  xdotool key Escape
  wait_hidden 30
done

echo
echo "Tembric main window under Wine from $TARGET_APP, $records records, 10000 windows rows, 100000 relations," \
  "context folder \"$caption\": first show $first ms; later shows ${times[*]} ms; median $(median "${times[@]}") ms"
