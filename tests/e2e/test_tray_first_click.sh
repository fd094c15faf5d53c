#!/usr/bin/env bash
# A left click on the tray icon the moment it appears shows the main window,
# whatever Tembric is still doing to start up.
#
# Usage: test_tray_first_click.sh [STARTS]
#   STARTS  starts of Tembric (default 8), one after the other in the same
#           prefix. At each, the "Wine System Tray" window is looked for as
#           fast as the display answers and clicked as soon as it is mapped;
#           the main window must then be shown within 5 s. "Shut down" on its
#           toolbar ends the program, and the tray is gone before the next
#           start. A click that shows nothing is counted, answered with a
#           second click (to go on), and fails the scenario at the end.
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
# shellcheck source-path=SCRIPTDIR source=lib/main_window.sh
source "$(dirname "$0")/lib/main_window.sh"
starts=${1:-8}
e2e_setup

no_tray() { [ -z "$(tray_window)" ]; }

lost=0
for ((i = 1; i <= starts; i++)); do
  step "start $i of $starts: a click on the icon as soon as it appears"
  start_tembric
  # No wait_for here: its 50 ms pauses would let the start-up run ahead of
  # the click. Each look at the display takes a few milliseconds.
  end=$(e2e_deadline 20)
  tray=
  while [ -z "$tray" ]; do
    alive "$TEMBRIC_PID" || fail "Tembric ended before its tray icon appeared"
    e2e_past "$end" && fail "no tray icon within 20s"
    tray=$(tray_window || true)
  done
  xdotool mousemove --window "$tray" 10 10 click 1
  TRAY_LAST_CLICK=$(date +%s.%N)
  if wait_for main_visible 5; then
    log "start $i: shown by the first click"
  else
    lost=$((lost + 1))
    log "start $i: the first click showed nothing; debug log:"$'\n'"$(debug_log | grep -E '^(Tray|Form|aHide)')"
    show_from_tray
  fi

  step "start $i of $starts: Shut down"
  activate_main
  click_toolbar_button "Shut down"
  wait_exit "$TEMBRIC_PID" 10 || fail "Tembric still runs 10s after Shut down"
  [ "$EXIT_STATUS" -eq 0 ] || fail "exit code $EXIT_STATUS after Shut down"
  wait_for no_tray 10 || fail "the tray still shows an icon 10s after the end"
done

[ "$lost" -eq 0 ] || fail "$lost of $starts first clicks on the tray icon showed no window"
