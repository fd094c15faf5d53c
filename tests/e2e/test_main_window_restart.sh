#!/usr/bin/env bash
# "Shut down" ends Tembric, keeps the window layout in the settings file and
# saves the library; the next run takes the layout back.
#
# Usage: test_main_window_restart.sh CASE
#   size     the window is resized to 260 x 520 and moved, then "Shut down"
#            from the tray menu: the process ends, [GUI] holds the size and
#            the bars' state, tembric.db is rewritten and still holds every
#            record (plus the two system folders); after a restart the size
#            comes back and the window is centred again
#   toolbar  View > Show toolbar hides the toolbar, File > Shut down ends
#            the program with ShowToolBar=0; after a restart the toolbar
#            stays hidden and the menu bar is still there
#   menu     View > Show main menu takes the menu bar away, "Shut down" from
#            the tray menu writes ShowMainMenu=0; after a restart the window
#            has no menu bar and still its toolbar
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
# shellcheck source-path=SCRIPTDIR source=lib/main_window.sh
source "$(dirname "$0")/lib/main_window.sh"
case=${1:?usage: test_main_window_restart.sh size|toolbar|menu}
require_db_tool
e2e_setup

step "library"
make_fixture_library
db_before=$(stat -c '%Y.%s %s' "$APP/tembric.db")
db_sum_before=$(md5sum <"$APP/tembric.db")

step "start and show"
start_tembric
wait_started 20
wait_tray_icon 10
show_from_tray

case $case in
  size)
    step "resize to 260x520 and move"
    xwin=$(x_visible_titled "$MAIN_CAPTION" | head -n 1)
    centred_rect=$(state_of rect)
    # The X window is what the window manager frames, without the borders
    # Wine counts into the window's size: ask for the difference less.
    read -r ow oh <<<"$(state_of size)"
    eval "$(xdotool getwindowgeometry --shell "$xwin")"
    xdotool windowsize --sync "$xwin" $((260 - (ow - WIDTH))) $((520 - (oh - HEIGHT)))
    resized() { [ "$(state_of size)" = "260 520" ]; }
    wait_for resized 5 || fail "the window was not resized to 260x520: size $(state_of size)"
    xdotool windowmove --sync "$xwin" 40 30
    moved() { read -r l t _ <<<"$(state_of rect)"; [ "$l $t" != "$(cut -d' ' -f1,2 <<<"$centred_rect")" ]; }
    wait_for moved 5 || fail "the window did not move: rect $(state_of rect)"
    screenshot resized

    step "Shut down from the tray menu"
    tray_menu_choose last
    ;;
  toolbar)
    step "View > Show toolbar hides the toolbar"
    assert_eq visible "$(state_of toolbar)" "toolbar before"
    menu_choose 1 Return
    toolbar_gone() { [ "$(state_of toolbar)" != visible ]; }
    wait_for toolbar_gone 5 || fail "the toolbar is still shown"
    assert_eq 1 "$(state_of menu)" "menu bar present"
    screenshot no-toolbar

    step "File > Shut down"
    menu_choose 0 Up Return
    ;;
  menu)
    step "View > Show main menu hides the menu bar"
    menu_choose 1 Down Return
    menu_gone() { [ "$(state_of menu)" = 0 ]; }
    wait_for menu_gone 5 || fail "the menu bar is still attached"
    assert_eq visible "$(state_of toolbar)" "toolbar"
    screenshot no-menu

    step "Shut down from the tray menu"
    tray_menu_choose last
    ;;
  *) fail "unknown case $case" ;;
esac

step "the program ends"
wait_exit "$TEMBRIC_PID" 10 || fail "Tembric still runs 10s after Shut down"
assert_eq 0 "$EXIT_STATUS" "exit code"
probe_quiet mutex-exists "$MUTEX_NAME" && fail "$MUTEX_NAME still exists after Shut down"

step "window layout in the settings file"
log "settings file:"$'\n'"$(tr -d '\r' <"$APP/Tembric.ini")"
if [ "$case" = size ]; then
  assert_eq 260 "$(ini_value GUI MainWidth)" "[GUI] MainWidth"
  assert_eq 520 "$(ini_value GUI MainHeight)" "[GUI] MainHeight"
  assert_eq 1 "$(ini_value GUI ShowToolBar)" "[GUI] ShowToolBar"
else
  assert_eq 199 "$(ini_value GUI MainWidth)" "[GUI] MainWidth"
  assert_eq 445 "$(ini_value GUI MainHeight)" "[GUI] MainHeight"
  assert_eq "$([ "$case" = toolbar ] && echo 0 || echo 1)" "$(ini_value GUI ShowToolBar)" "[GUI] ShowToolBar"
fi
# The details pane keeps its designed height of 77 (it was never dragged).
assert_eq 77 "$(ini_value GUI PropHeight)" "[GUI] PropHeight"
assert_eq "$([ "$case" = menu ] && echo 0 || echo 1)" "$(ini_value GUI ShowMainMenu)" "[GUI] ShowMainMenu"
assert_eq 11 "$(ini_value Basic DBVersion)" "[Basic] DBVersion kept"

step "the records table was saved"
[ "$(stat -c '%Y.%s %s' "$APP/tembric.db")" != "$db_before" ] || [ "$(md5sum <"$APP/tembric.db")" != "$db_sum_before" ] ||
  fail "tembric.db was not written at Shut down"
check=$(cd "$APP" && wine tembric-db.exe check "$(windows_path "$APP")" 2>&1 | tr -d '\r') ||
  fail "tembric-db check of the saved library failed: $check"
log "$check"
saved=$(cd "$APP" && wine tembric-db.exe list "$(windows_path "$APP")" 2>&1 | tr -d '\r') ||
  fail "tembric-db list failed: $saved"
# Every record of the library, and the two system folders of the run.
expected=$(printf '%s\n%s\n%s\n' "$FIXTURE_RECORDS" $'\\*Plugins\tfolder' $'\\*WinContext\tfolder' | sort)
assert_eq "$expected" "$(printf '%s\n' "$saved" | sort)" "records in the saved tembric.db"

step "restart"
start_tembric
wait_started 20
wait_tray_icon 10
show_from_tray
state=$(main_state)
log "window state:"$'\n'"$state"
screenshot after-restart
read -r l t r b <<<"$(state_of rect "$state")"
w=$((r - l)) h=$((b - t))
case $case in
  size) assert_eq "260 520" "$w $h" "size after the restart" ;;
  *) assert_eq "199 445" "$w $h" "size after the restart" ;;
esac
if [ "$case" = toolbar ]; then
  [ "$(state_of toolbar "$state")" != visible ] || fail "the toolbar is shown again after the restart"
else
  assert_eq visible "$(state_of toolbar "$state")" "toolbar after the restart"
fi
assert_eq "$([ "$case" = menu ] && echo 0 || echo 1)" "$(state_of menu "$state")" "menu bar after the restart"
# The place is not kept: centred again.
assert_centred "$state" "first show after the restart"
assert_eq "$FIXTURE_TOP_LEVEL" "$(tree_top_level_normalised)" "top-level items of the tree after the restart"
