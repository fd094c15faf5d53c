#!/usr/bin/env bash
# The main window as the user brings it up and puts it away.
#
# Usage: test_main_window.sh CASE
#   tray         starts hidden with a tray icon; a left click on the icon
#                shows "Tembric 1.2" centred, with its menu bar, toolbar and
#                the library's top-level records in the tree; moved and then
#                closed with its close box it hides and keeps running, and
#                the next click shows it where it was left; Esc hides it too;
#                the tray menu's "Show" brings it back and "Shut down" on the
#                toolbar ends the program
#   no_icon      [Basic] ShowIcon=0: no tray icon, still running hidden
#   no_icon_hotkey  the same, and the show hotkey Ctrl+Alt+Z, typed in
#                another application, brings the window up; pressed again
#                while the window is active, it changes nothing
#   translucent  TranspEnabled=1, TranspValue=128: the shown window is
#                layered with alpha 128
#   opaque       TranspEnabled=0, TranspValue=128: the value has no effect
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
# shellcheck source-path=SCRIPTDIR source=lib/main_window.sh
source "$(dirname "$0")/lib/main_window.sh"
case=${1:?usage: test_main_window.sh tray|no_icon|no_icon_hotkey|translucent|opaque}
require_db_tool
e2e_setup

step "library and settings"
make_fixture_library
case $case in
  tray) ;;
  no_icon | no_icon_hotkey) write_ini $'[Basic]\nDBVersion=11\nShowIcon=0\n' ;;
  translucent) write_ini $'[Basic]\nDBVersion=11\nTranspEnabled=1\nTranspValue=128\n' ;;
  opaque) write_ini $'[Basic]\nDBVersion=11\nTranspEnabled=0\nTranspValue=128\n' ;;
  *) fail "unknown case $case" ;;
esac

step "start: hidden"
start_tembric
wait_started 20
assert_eq 0 "$(state_of visible)" "main window visible after start-up"

if [ "$case" = no_icon ] || [ "$case" = no_icon_hotkey ]; then
  step "no tray icon, still running"
  # shellcheck disable=SC2317  # called through holds
  no_tray() { alive "$TEMBRIC_PID" || fail "Tembric ended"; [ -z "$(tray_window)" ]; }
  # The icon would come with the main window's creation, which is over: it
  # must stay away, not just be late.
  holds no_tray 2 || fail "a tray icon is shown with ShowIcon=0"
  assert_eq 0 "$(state_of visible)" "main window visible"
  probe answers "$MAIN_CLASS" 5 >/dev/null || fail "TForm1 does not answer"
  [ "$case" = no_icon_hotkey ] || exit 0

  step "the show hotkey (Ctrl+Alt+Z) still brings up the window"
  # Global hotkeys reach Wine while one of its windows has the X focus: the
  # user works in another application.
  wine "$TEMBRIC_BUILD_DIR/bin/tembric-e2e-target.exe" "Some editor" >/dev/null 2>&1 &
  E2E_BACKGROUND_PIDS+=("$!")
  # shellcheck disable=SC2317  # called through wait_for
  editor_mapped() { [ -n "$(x_visible_titled "Some editor")" ]; }
  wait_for editor_mapped 10 || fail "the other application's window did not appear"
  xdotool windowactivate --sync "$(x_visible_titled "Some editor" | head -n 1)" >/dev/null 2>&1 || true
  xdotool key ctrl+alt+z
  wait_shown 5
  assert_eq "$MAIN_CAPTION" "$(state_of title)" "caption"
  screenshot main-window

  step "pressed again while the window is active: nothing changes"
  # shellcheck disable=SC2317  # called through wait_for and holds
  in_front() { [ "$(state_of foreground)" = 1 ]; }
  wait_for in_front 5 || fail "the main window was not brought to the front"
  shown_at=$(state_of rect)
  xdotool key ctrl+alt+z
  # Each handled press starts the debug log again with "DoHotKey"; this one
  # must stop right there.
  # shellcheck disable=SC2317
  only_the_press() { [ "$(debug_log | tr -d '\r')" = DoHotKey ]; }
  wait_for only_the_press 5 || fail "the second press was not handled, or did more:"$'\n'"$(debug_log)"
  # shellcheck disable=SC2317
  unchanged() {
    alive "$TEMBRIC_PID" || fail "Tembric ended"
    [ "$(state_of visible)" = 1 ] && in_front && [ "$(state_of rect)" = "$shown_at" ] && only_the_press
  }
  holds unchanged 1.5 || fail "the window changed after the second press: $(main_state)"$'\n'"$(debug_log)"
  exit 0
fi

step "tray icon shown, window stays hidden"
wait_tray_icon 10
holds main_hidden 1 || fail "the main window showed itself without being asked"

step "left click on the tray icon shows the main window"
show_from_tray
state=$(main_state)
log "window state:"$'\n'"$state"
screenshot main-window

if [ "$case" = translucent ] || [ "$case" = opaque ]; then
  xwin=$(x_visible_titled "$MAIN_CAPTION" | head -n 1)
  opacity=$(xprop -id "$xwin" _NET_WM_WINDOW_OPACITY 2>/dev/null | awk -F' = ' 'NF == 2 { print $2 }')
  log "X opacity property: ${opacity:-none}"
  if [ "$case" = translucent ]; then
    step "layered with alpha 128"
    assert_eq 1 "$(state_of layered "$state")" "main window layered (WS_EX_LAYERED)"
    assert_eq 128 "$(state_of alpha "$state")" "main window alpha (GetLayeredWindowAttributes)"
    # What the display is told: Wine passes the alpha on as the window's
    # opacity (128/255 of 0xffffffff).
    assert_eq 2155905152 "$opacity" "_NET_WM_WINDOW_OPACITY of the mapped window"
  else
    step "opaque although TranspValue is 128"
    alpha=$(state_of alpha "$state")
    [ "$(state_of layered "$state")" = 0 ] || [ "$alpha" = 255 ] ||
      fail "the main window is translucent with TranspEnabled=0 (alpha $alpha)"
    [ -z "$opacity" ] || [ "$opacity" = 4294967295 ] || fail "the display is told opacity $opacity"
  fi
  exit 0
fi

step "caption, place, bars and tree"
assert_eq "$MAIN_CAPTION" "$(state_of title "$state")" "caption"
read -r l t r b <<<"$(state_of rect "$state")"
assert_eq "199 445" "$((r - l)) $((b - t))" "size with no [GUI] settings (designed size)"
assert_centred "$state" "first show"
assert_eq 1 "$(state_of menu "$state")" "menu bar present"
assert_eq visible "$(state_of toolbar "$state")" "toolbar"
assert_eq "$FIXTURE_TOP_LEVEL" "$(tree_top_level_normalised)" "top-level items of the tree"
in_front() { [ "$(state_of foreground)" = 1 ]; }
wait_for in_front 5 || fail "the main window was not brought to the front"

step "moved, then closed with the close box: hidden, still running"
xwin=$(x_visible_titled "$MAIN_CAPTION" | head -n 1)
centred_rect="$l $t $r $b"
# (The window manager may place the frame a little off the asked spot; the
# place the window ends up at is what counts.)
xdotool windowmove --sync "$xwin" 100 80
moved() { [ "$(state_of rect)" != "$centred_rect" ]; }
wait_for moved 5 || fail "the main window did not move: $(state_of rect)"
left_at=$(state_of rect)
click_close_box
wait_hidden 5
holds main_hidden 1 || fail "the main window came back by itself"
probe answers "$MAIN_CLASS" 5 >/dev/null || fail "TForm1 does not answer after closing"
probe_quiet mutex-exists "$MUTEX_NAME" || fail "$MUTEX_NAME gone after closing the window"

step "the next click shows it where it was left"
show_from_tray
assert_eq "$left_at" "$(state_of rect)" "place of the second show (where it was left)"

step "Esc hides it, still running"
activate_main
xdotool key Escape
wait_hidden 5
holds main_hidden 1 || fail "the main window came back by itself"
probe answers "$MAIN_CLASS" 5 >/dev/null || fail "TForm1 does not answer after Esc"
alive "$TEMBRIC_PID" || fail "Tembric ended"

step "the tray menu's Show brings it back"
tray_menu_choose first
wait_shown 5

step "Shut down on the toolbar ends the program"
click_toolbar_button "Shut down"
wait_exit "$TEMBRIC_PID" 10 || fail "Tembric still runs 10s after Shut down"
assert_eq 0 "$EXIT_STATUS" "exit code"
probe_quiet mutex-exists "$MUTEX_NAME" && fail "$MUTEX_NAME still exists after Shut down"
assert_eq 199 "$(ini_value GUI MainWidth)" "[GUI] MainWidth"
