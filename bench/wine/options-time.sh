#!/usr/bin/env bash
# Time to bring up the options dialog of the companion library tmgui.dll,
# from the menu command to painted, with the real Tembric.exe under Wine.
#
# Usage: bench/wine/options-time.sh WINDOWS_BUILD_DIR [RUNS]
#   RUNS  timed openings (default 10)
#
# On a small library (tembric-db.exe needed), the main window brought up
# from the tray; then RUNS times: File opened and "Options..." selected,
# and from the moment before the Return that chooses it until the dialog
# "Options" is visible with nothing left to paint in it or its controls
# (polled every millisecond by tembric-probe wait-painted): the library's
# load, the used hotkeys' fill and the dialog's making are all inside. Esc
# closes it again. Prints every opening, the median and the worst; the
# target is 150 ms.
set -euo pipefail
[ $# -ge 1 ] || { sed -n '2,15p' "$0"; exit 2; }
runs=${2:-10}
# shellcheck source-path=SCRIPTDIR source=library.sh
source "$(dirname "$0")/library.sh" "$1" options-time 1800

readonly OPTIONS_TITLE=Options
require_db_tool
e2e_setup

step "library, start, the main window"
make_fixture_library
start_tembric
wait_started 120
wait_tray_icon 30
show_from_tray
# shellcheck disable=SC2317  # called through wait_for
options_gone() { ! tembric_windows | awk -F'\t' -v t="$OPTIONS_TITLE" '$4 == "visible" && $6 == t' | found .; }

declare -a times=()
for ((i = 1; i <= runs; i++)); do
  step "opening $i of $runs"
  menu_choose 0 Up Up
  timed_painted "$i" "-name $OPTIONS_TITLE" xdotool key Return
  log "shown in $PAINTED_MS ms"
  times+=("$PAINTED_MS")
  [ "$i" -eq 1 ] && screenshot options

  dialog=$(xdotool search --onlyvisible --name "^$OPTIONS_TITLE\$" | head -n 1)
  [ -n "$dialog" ] || fail "the options dialog is not mapped"
  xdotool windowactivate --sync "$dialog" >/dev/null 2>&1 || xdotool windowfocus --sync "$dialog"
  xdotool key Escape
  wait_for options_gone 30 || fail "Esc did not close the options dialog"
  wait_shown 30
done

echo
echo "Tembric options dialog under Wine, menu command to shown and painted: ${times[*]} ms;" \
  "median $(median "${times[@]}") ms, worst $(worst "${times[@]}") ms (target 150 ms)"
