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
dialog_hidden() { probe window-state "$DIALOG_CLASS" 2>/dev/null | grep -qx 'visible 0'; }

declare -a times=()
for ((i = 1; i <= runs; i++)); do
  step "opening $i of $runs"
  watch=$E2E_TMP/painted-$i.txt
  wine "$PROBE_EXE" wait-painted "$DIALOG_CLASS" 60 >"$watch" 2>&1 &
  watcher=$!
  expect grep -q '^waiting' "$watch" 10 -- "the dialog watcher running"
  activate_main
  t0=$(date +%s.%N)
  xdotool key ctrl+e
  wait_for ended "$watcher" 60 || fail "the dialog was not shown and painted within 60s"
  wait "$watcher" || fail "dialog not seen: $(cat "$watch")"
  t1=$(awk '$1 == "ready" { print $2 }' "$watch")
  ms=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.0f", (b - a) * 1000 }')
  log "shown in $ms ms"
  times+=("$ms")
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
