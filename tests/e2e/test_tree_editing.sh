#!/usr/bin/env bash
# The tree's editing commands used with the mouse, as a user does, on the
# fixture library (Archive, Mail with Draft, Home and Sign, Welcome).
# test_tree_editing.sh CASE:
#
#   delete  a right click on "Mail (3)" selects it and opens the tree's
#           context menu; its fourth item "Delete" asks in a "Tembric" box
#           "Are you shure you want to remove 'Mail'?" with Yes and No; Yes
#           takes the folder from the tree, and after "Shut down"
#           `tembric-db list` holds no row at or below \Mail, and Welcome
#           and Archive still
#           (before: with "*Plugins" focused, the toolbar's Delete is
#           disabled)
#   drag    the record "Welcome" dragged with the mouse (button down, moved
#           in steps, button up) onto the folder "Archive": the tree's top
#           level loses Welcome and Archive gets a child, and after "Shut
#           down" `tembric-db list` holds \Archive\Welcome and no \Welcome;
#           on the way the mouse rests on the collapsed "Mail (3)", which opens
#   refused a drop on "*Plugins" does nothing; a drag onto "Archive" ended
#           with Esc before the button comes up does nothing either, and
#           the window stays shown (Esc ends the drag, not the window);
#           after "Shut down" \Welcome is where it was
#   scroll  with sixteen more records in Mail, Mail opened and the last row
#           "Welcome" in view (Archive scrolled out of it), Welcome dragged
#           to just above the tree: the rows scroll until the top one shows,
#           and Welcome dropped on Archive is saved as \Archive\Welcome
#   collapse  with "Draft" focused inside the opened folder Mail, the
#           numeric keypad's "*" leaves only the top level showing and the
#           focus on "Mail (3)"
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
# shellcheck source-path=SCRIPTDIR source=lib/main_window.sh
source "$(dirname "$0")/lib/main_window.sh"

readonly CASE=${1:?usage: test_tree_editing.sh delete|drag|refused|scroll|collapse}
require_db_tool
e2e_setup

# item_middle TEXT: "X Y", the screen middle of the tree row captioned TEXT.
item_middle() {
  local out
  out=$(probe tree-item-rect "$MAIN_CLASS" "$1") || return 1
  printf '%s\n' "$out" | awk '$1 == "rect" { print $7, $8 }'
}

# saved_paths: the FullName of every row of tembric.db, one a line.
saved_paths() {
  local out
  out=$(cd "$APP" && wine tembric-db.exe list "$(windows_path "$APP")" 2>&1 | tr -d '\r') ||
    fail "tembric-db list failed: $out"
  printf '%s\n' "$out" | cut -f1
}

shut_down() {
  step "Shut down from the tray menu"
  tray_menu_choose last
  wait_exit "$TEMBRIC_PID" 20 || fail "Tembric still runs 20s after Shut down"
  assert_eq 0 "$EXIT_STATUS" "exit code"
}

step "library, start, the main window from the tray"
make_fixture_library
if [ "$CASE" = scroll ]; then
  for i in $(seq -w 1 16); do
    out=$(cd "$APP" && wine tembric-db.exe add "$(windows_path "$APP")" "\\Mail\\Note $i" 2>&1) ||
      fail "tembric-db add Note $i failed: $out"
  done
fi
start_tembric
wait_started 20
wait_tray_icon 10
show_from_tray
activate_main
probe wait-tree -visible "$MAIN_CLASS" 5 10 >/dev/null || fail "the tree does not show the fixture's top level"

focus_is() { [ "$(tree_focus)" = "$1" ]; }

# delete_button: "enabled" or "disabled", the toolbar's Delete (command 104).
delete_button() { probe toolbar "$MAIN_CLASS" | awk -F'\t' 'NR > 1 && $2 == 104 { print $4; exit }'; }

# drag_points FX FY TX TY: button down at FX FY, moved in steps past the
# drag threshold to TX TY; the button stays down.
drag_points() {
  local fx=$1 fy=$2 tx=$3 ty=$4 i
  xdotool mousemove "$fx" "$fy"
  sleep 0.2
  xdotool mousedown 1
  for ((i = 1; i <= 10; i++)); do
    xdotool mousemove "$((fx + i))" "$((fy + (ty - fy) * i / 10))"
    sleep 0.05
  done
  xdotool mousemove "$tx" "$ty"
  sleep 0.3
}

# drag_to FROM TO: drag_points from the row FROM to the row TO.
drag_to() {
  local from to fx fy tx ty
  from=$(item_middle "$1") || fail "no row \"$1\" in the tree"
  to=$(item_middle "$2") || fail "no row \"$2\" in the tree"
  read -r fx fy <<<"$from"
  read -r tx ty <<<"$to"
  drag_points "$fx" "$fy" "$tx" "$ty"
}

welcome_on_top() { tree_top_level | found -x 'Welcome'; }

case "$CASE" in
delete)
  step "Delete is disabled on *Plugins"
  xdotool type --delay 120 '*Pl'
  wait_for focus_is "*Plugins collapsed" 5 || fail "the tree's focus is on \"$(tree_focus)\", expected *Plugins"
  # shellcheck disable=SC2317  # called through wait_for
  delete_disabled() { [ "$(delete_button)" = disabled ]; }
  wait_for delete_disabled 5 || fail "the toolbar's Delete is \"$(delete_button)\" on *Plugins"
  step "right click on Mail, Delete from the context menu"
  xy=$(item_middle "Mail (3)") || fail "no row \"Mail (3)\" in the tree:"$'\n'"$(probe tree-items "$MAIN_CLASS")"
  # shellcheck disable=SC2086  # "X Y"
  xdotool mousemove $xy click 3
  wait_for popup_menu_shown 5 || fail "the right click opened no menu"
  assert_eq "Mail (3) collapsed" "$(tree_focus)" "the row the right click selected"
  assert_eq enabled "$(delete_button)" "the toolbar's Delete on Mail"
  screenshot tree-popup
  # New, Add child, Edit, Delete.
  xdotool key Down Down Down Down Return
  answer_box "dialogs 1"$'\n'"text Are you shure you want to remove 'Mail'?"$'\n'"button Yes"$'\n'"button No" Yes \
    "the confirmation box"
  # shellcheck disable=SC2317
  mail_gone() { ! tree_top_level | found '^Mail'; }
  wait_for mail_gone 5 || fail "Mail is still in the tree:"$'\n'"$(tree_top_level)"
  [ -z "$(tembric_boxes)" ] || fail "a message box is shown: $(tembric_boxes)"
  shut_down
  paths=$(saved_paths)
  if printf '%s\n' "$paths" | found '^\\Mail'; then fail "tembric.db still holds Mail's rows:"$'\n'"$paths"; fi
  printf '%s\n' "$paths" | found -x '\\Welcome' || fail "tembric.db lost \\Welcome:"$'\n'"$paths"
  printf '%s\n' "$paths" | found -x '\\Archive' || fail "tembric.db lost \\Archive:"$'\n'"$paths"
  ;;
drag)
  step "Welcome dragged, resting on the collapsed Mail opens it"
  drag_to Welcome 'Mail (3)'
  # shellcheck disable=SC2317  # called through wait_for
  mail_open() { probe tree-items "$MAIN_CLASS" | found '^item 0 [0-9-]* expanded - Mail (3)$'; }
  wait_for mail_open 5 || fail "Mail did not open under the dragging mouse:"$'\n'"$(probe tree-items "$MAIN_CLASS")"
  step "dropped on Archive"
  to=$(item_middle "Archive") || fail "no row \"Archive\" in the tree"
  read -r tx ty <<<"$to"
  xdotool mousemove "$tx" "$((ty + 1))"
  xdotool mousemove "$tx" "$ty"
  sleep 0.3
  screenshot drag-over
  xdotool mouseup 1
  # shellcheck disable=SC2317
  welcome_moved() { ! tree_top_level | found -x 'Welcome'; }
  wait_for welcome_moved 5 || fail "Welcome is still at the top level:"$'\n'"$(probe tree-items "$MAIN_CLASS")"
  [ -z "$(tembric_boxes)" ] || fail "a message box is shown: $(tembric_boxes)"
  shut_down
  paths=$(saved_paths)
  printf '%s\n' "$paths" | found -x '\\Archive\\Welcome' || fail "tembric.db has no \\Archive\\Welcome:"$'\n'"$paths"
  if printf '%s\n' "$paths" | found -x '\\Welcome'; then fail "tembric.db still holds \\Welcome:"$'\n'"$paths"; fi
  ;;
refused)
  step "Welcome dropped on *Plugins"
  drag_to Welcome '*Plugins'
  xdotool mouseup 1
  holds welcome_on_top 1 || fail "Welcome left the top level:"$'\n'"$(probe tree-items "$MAIN_CLASS")"
  step "Welcome dragged onto Archive, Esc"
  drag_to Welcome Archive
  xdotool key Escape
  xdotool mouseup 1
  holds welcome_on_top 1 || fail "Welcome left the top level after Esc:"$'\n'"$(probe tree-items "$MAIN_CLASS")"
  main_visible || fail "Esc during the drag hid the main window"
  [ -z "$(tembric_boxes)" ] || fail "a message box is shown: $(tembric_boxes)"
  shut_down
  saved_paths | found -x '\\Welcome' || fail "tembric.db lost \\Welcome:"$'\n'"$(saved_paths)"
  ;;
scroll)
  step "Mail opened, the last row Welcome focused and in view"
  xdotool type --delay 120 Ma
  wait_for focus_is "Mail (19) collapsed" 5 || fail "the tree's focus is on \"$(tree_focus)\", expected Mail (19)"
  # Draft, Home, the sixteen notes, Sign, Welcome.
  xdotool key Right
  wait_for focus_is "Mail (19) expanded" 5 || fail "Mail did not open: $(tree_focus)"
  # shellcheck disable=SC2046  # twenty separate key names
  xdotool key --delay 40 $(printf 'Down %.0s' {1..20})
  wait_for focus_is "Welcome collapsed" 5 || fail "the tree's focus is on \"$(tree_focus)\", expected Welcome"
  # shellcheck disable=SC2317  # called through wait_for
  in_view() { probe tree-item-rect "$MAIN_CLASS" "$1" >/dev/null; }
  wait_for in_view Welcome 5 || fail "Welcome is focused but not in view"
  ! in_view Archive || fail "Archive is in view with Welcome: the tree is too tall for this case"
  top=$(probe_reading controls "$MAIN_CLASS" | awk -F'\t' '$2 == "SysTreeView32" { split($4, r, ","); print r[2]; exit }')
  [ -n "$top" ] || fail "no tree among the main window's controls"
  step "Welcome dragged to just above the tree"
  from=$(item_middle Welcome) || fail "no row \"Welcome\" in view"
  read -r fx fy <<<"$from"
  drag_points "$fx" "$fy" "$fx" "$((top - 4))"
  # The rows scroll while the mouse rests there, up to the first one.
  wait_for in_view '*Plugins' 15 || fail "the tree did not scroll to its top:"$'\n'"$(probe tree-items "$MAIN_CLASS")"
  in_view Archive || fail "Archive is not in view at the tree's top"
  step "dropped on Archive"
  to=$(item_middle Archive) || fail "no row \"Archive\" in view"
  read -r tx ty <<<"$to"
  xdotool mousemove "$tx" "$((ty + 1))"
  xdotool mousemove "$tx" "$ty"
  sleep 0.3
  xdotool mouseup 1
  # shellcheck disable=SC2317
  welcome_moved() { ! welcome_on_top; }
  wait_for welcome_moved 5 || fail "Welcome is still at the top level:"$'\n'"$(probe tree-items "$MAIN_CLASS")"
  [ -z "$(tembric_boxes)" ] || fail "a message box is shown: $(tembric_boxes)"
  shut_down
  paths=$(saved_paths)
  printf '%s\n' "$paths" | found -x '\\Archive\\Welcome' || fail "tembric.db has no \\Archive\\Welcome:"$'\n'"$paths"
  ;;
collapse)
  step "Draft focused in the opened Mail, then numeric keypad *"
  xdotool type --delay 120 Ma
  wait_for focus_is "Mail (3) collapsed" 5 || fail "the tree's focus is on \"$(tree_focus)\", expected Mail"
  xdotool key Right Down
  wait_for focus_is "Draft collapsed" 5 || fail "the tree's focus is on \"$(tree_focus)\", expected Draft"
  xdotool key KP_Multiply
  # shellcheck disable=SC2317
  collapsed() { focus_is "Mail (3) collapsed" && ! probe tree-items "$MAIN_CLASS" | found '^item [1-9]'; }
  wait_for collapsed 5 || fail "after * the tree shows:"$'\n'"$(probe tree-items "$MAIN_CLASS")"
  ;;
*)
  fail "unknown case $CASE"
  ;;
esac
