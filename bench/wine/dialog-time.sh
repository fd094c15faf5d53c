#!/usr/bin/env bash
# Time to bring up the record dialog of the real Tembric.exe under Wine.
#
# Usage: bench/wine/dialog-time.sh WINDOWS_BUILD_DIR [RUNS]
#   RUNS  timed openings (default 10)
#
# On a small library (tembric-db.exe needed), the main window brought up
# from the tray with the record "Welcome" focused; then RUNS times: from the
# moment before `xdotool key ctrl+e` until the dialog is visible with
# nothing left to paint in it or its controls (polled every millisecond by
# tembric-probe wait-painted); then Esc closes it again. Prints every
# opening and the median.
set -euo pipefail
[ $# -ge 1 ] || { sed -n '2,12p' "$0"; exit 2; }
runs=${2:-10}
# shellcheck source-path=SCRIPTDIR source=library.sh
source "$(dirname "$0")/library.sh" "$1" dialog-time 1800

readonly DIALOG_CLASS=TRecordForm
require_db_tool
e2e_setup

step "library, start, the main window with \"Welcome\" focused"
make_fixture_library
start_tembric
wait_started 120
wait_tray_icon 30
show_from_tray
activate_main
xdotool type --delay 120 We
# shellcheck disable=SC2317  # called through wait_for
welcome_focused() { [ "$(tree_focus)" = "Welcome collapsed" ]; }
wait_for welcome_focused 10 || fail "the tree's focus is on \"$(tree_focus)\", expected Welcome"
# shellcheck disable=SC2317
dialog_hidden() { probe window-state "$DIALOG_CLASS" 2>/dev/null | found -x 'visible 0'; }

declare -a times=()
for ((i = 1; i <= runs; i++)); do
  step "opening $i of $runs"
  activate_main
  timed_painted "$i" "$DIALOG_CLASS" xdotool key ctrl+e
  log "shown in $PAINTED_MS ms"
  times+=("$PAINTED_MS")
  [ "$i" -eq 1 ] && screenshot dialog

  dialog=$(xdotool search --onlyvisible --name ' - Properites$' | head -n 1)
  [ -n "$dialog" ] || fail "the dialog is not mapped"
  xdotool windowactivate --sync "$dialog" >/dev/null 2>&1 || xdotool windowfocus --sync "$dialog"
  xdotool key Escape
  wait_for dialog_hidden 30 || fail "Esc did not close the dialog"
  wait_shown 30
done

echo
echo "Tembric record dialog under Wine, Ctrl+E to shown and painted: ${times[*]} ms;" \
  "median $(median "${times[@]}") ms"
