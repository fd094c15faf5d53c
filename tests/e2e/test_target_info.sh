#!/usr/bin/env bash
# While Tembric is in the background it keeps track of the window the user
# works in, and its debug window ("Show Table" on the toolbar) logs each new
# identification as "Target: <application> | <window title>". An application
# is named by the description in its version resource, or, without one, by
# its file name (first letter capital, the rest small).
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
# shellcheck source-path=SCRIPTDIR source=lib/main_window.sh
source "$(dirname "$0")/lib/main_window.sh"
described_exe=$TEMBRIC_BUILD_DIR/bin/tembric-e2e-target.exe
plain_exe=$TEMBRIC_BUILD_DIR/bin/PLAINTARGET.exe
described_line='Target: Tembric Test Target | Letter to Anna'
plain_line='Target: Plaintarget | Shopping list'
require_db_tool
e2e_setup

step "library"
make_fixture_library

step "start Tembric"
start_tembric
wait_started 20
wait_tray_icon 10

# debug_log: the text of the debug window's log box (the window may be
# hidden; the box is filled all the same).
debug_log() { probe edit-text -multiline TForm2 2>/dev/null || true; }
logged() {
  alive "$TEMBRIC_PID" || fail "Tembric ended"
  debug_log | found -xF "$1"
}

# switch_to EXE TITLE: starts the application and gives its window the focus,
# as a user who clicks it does.
switch_to() {
  wine "$1" "$2" >/dev/null 2>&1 &
  E2E_BACKGROUND_PIDS+=("$!")
  local xwin=
  window_mapped() { xwin=$(x_visible_titled "$2" | head -n 1); [ -n "$xwin" ]; }
  wait_for window_mapped "$1" "$2" 10 || fail "the window \"$2\" did not appear"
  xdotool windowactivate --sync "$xwin" >/dev/null 2>&1 || xdotool windowfocus --sync "$xwin"
  in_front() { probe window-state -name "$1" | found -x "foreground 1"; }
  wait_for in_front "$2" 15 || fail "\"$2\" did not come to the front"
}

step "an application with a described version resource in front"
switch_to "$described_exe" "Letter to Anna"
wait_for logged "$described_line" 15 || fail "no \"$described_line\" in the log within 15s; log:"$'\n'"$(debug_log)"

step "an application without a version resource in front"
switch_to "$plain_exe" "Shopping list"
wait_for logged "$plain_line" 15 || fail "no \"$plain_line\" in the log within 15s; log:"$'\n'"$(debug_log)"

step "bring up Tembric from the tray, Show Table"
show_from_tray
screenshot main-window
click_toolbar_button "Show Table" 2
expect probe_quiet wait-window -visible TForm2 0.5 10 -- "the debug window (class TForm2) shown"
debug=$(probe window-state TForm2)
log "debug window:"$'\n'"$debug"
screenshot debug-window
assert_eq Form2 "$(state_of title "$debug")" "the debug window's caption"
read -r l t r b <<<"$(state_of rect "$debug")"
assert_eq "813 601" "$((r - l)) $((b - t))" "the debug window's size"
pages=$(probe_reading controls TForm2 | awk -F'\t' '$2 == "SysTabControl32" { sub(/^tabs /, "", $6); print $6 }')
assert_eq "TembricDB|WinDB|RelDB" "$pages" "the debug window's pages"

step "the log names both applications, in the order they were used"
log_text=$(debug_log)
log "log:"$'\n'"$log_text"
order=$(printf '%s\n' "$log_text" | grep -xF -e "$described_line" -e "$plain_line" | uniq)
# A line is written at each change of the identification; repeats of one
# line in a row (another window came and went) are folded.
assert_eq "$described_line"$'\n'"$plain_line" "$order" "Target lines of the log"
