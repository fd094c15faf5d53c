# shellcheck shell=bash
# Helpers for the scenarios that use the record dialog ("Record properties",
# window class TRecordForm) as a user does. Sourced after harness.sh and
# main_window.sh.

readonly DIALOG_CLASS=TRecordForm

# dialog_controls: the probe's controls lines of the dialog (tab-separated:
# handle, class, visible|hidden, screen rect "L,T,R,B", text, details).
dialog_controls() { probe_reading controls "$DIALOG_CLASS"; }
# visible_control CLASS N: the line of the N-th visible control of that class.
visible_control() {
  dialog_controls | awk -F'\t' -v c="$1" -v n="$2" 'tolower($2) == tolower(c) && $3 == "visible" && ++i == n { print; exit }'
}
# control_text CLASS N / control_rect CLASS N
control_text() { visible_control "$1" "$2" | cut -f5; }
control_rect() { visible_control "$1" "$2" | cut -f4; }
# button_rect CAPTION: the rect of the visible button with that caption.
button_rect() {
  dialog_controls | awk -F'\t' -v t="$1" 'tolower($2) == "button" && $3 == "visible" && $5 == t { print $4; exit }'
}
# click_rect "L,T,R,B": a left click in the middle.
click_rect() {
  local l t r b
  IFS=, read -r l t r b <<<"$1"
  [ -n "$b" ] || fail "no place to click"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
}
dialog_state() { probe window-state "$DIALOG_CLASS" 2>/dev/null || true; }
dialog_visible() {
  alive "$TEMBRIC_PID" || fail "Tembric ended"
  dialog_state | found -x 'visible 1'
}
dialog_title() { dialog_state | awk '$1 == "title" { sub(/^title /, ""); print; exit }'; }
dialog_hidden() {
  alive "$TEMBRIC_PID" || fail "Tembric ended"
  dialog_state | found -x 'visible 0'
}
# activate_dialog: the dialog gets the X focus, so that typed keys reach it.
activate_dialog() {
  local w title
  title=$(dialog_title)
  w=$(x_visible_titled "$title" | head -n 1)
  [ -n "$w" ] || fail "the dialog \"$title\" is not mapped"
  xdotool windowactivate --sync "$w" >/dev/null 2>&1 || xdotool windowfocus --sync "$w"
}
# replace_name TEXT: the Name box (focused) holds TEXT.
replace_name() {
  xdotool key End shift+Home
  xdotool type --delay 60 "$1"
  # shellcheck disable=SC2317  # called through wait_for
  name_is() { [ "$(control_text edit 1)" = "$1" ]; }
  wait_for name_is "$1" 5 || fail "the Name box holds \"$(control_text edit 1)\", expected \"$1\""
}

# choose_kind KIND: the content kind list ("Text", "Image", "Raw clipboard")
# set to KIND, as a user picks it from the dropped-down list.
# (The dialog's drop-down lists in order: Parent, the kind, the source.)
choose_kind() {
  click_rect "$(control_rect combobox 2)"
  # The keys go to the dropped-down list once it is shown.
  # shellcheck disable=SC2317  # called through wait_for
  list_dropped() { tembric_windows | awk -F'\t' '$3 == "ComboLBox" && $4 == "visible"' | found .; }
  wait_for list_dropped 5 || fail "a click on the content kind list did not drop it down"
  # A letter selects the list's item that begins with it (Wine's list then
  # closes; Return closes one that stays open, and would be Save otherwise).
  xdotool key "${1:0:1}"
  # shellcheck disable=SC2317  # called through wait_for
  kind_is() { [ "$(control_text combobox 2)" = "$1" ]; }
  wait_for kind_is "$1" 5 || fail "the content kind is \"$(control_text combobox 2)\", expected \"$1\""
  if list_dropped; then xdotool key Return; fi
  # shellcheck disable=SC2317
  list_closed() { ! list_dropped; }
  wait_for list_closed 5 || fail "the content kind list stays dropped down"
}

# load_from_file FILE: "Load from file" with FILE typed into the open-file dialog.
load_from_file() {
  click_rect "$(button_rect 'Load from file')"
  probe_while "$TEMBRIC_PID" wait-window -visible -name Open 10 >/dev/null ||
    fail "\"Load from file\" showed no open-file dialog"
  local open
  open=$(x_visible_titled Open | head -n 1)
  [ -n "$open" ] && xdotool windowactivate --sync "$open" >/dev/null 2>&1
  xdotool type --delay 30 "$(windows_path "$1")"
  xdotool key Return
}
