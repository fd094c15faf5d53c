#!/usr/bin/env bash
# The filter box below the tree, driven from the keyboard as a user does.
#
# On the small fixture library (top level: *Plugins, the context folder,
# Archive, Mail with Draft, Home and Sign, Welcome) the main window comes up
# from the tray with the input focus in the filter box. Typing "We" puts
# the tree's focus on "Welcome" and the details pane on its text; Backspace
# twice and "M" land on "Mail (3)"; Right opens it, Down and Up walk its
# records with the box showing each name; Left in the box then moves only
# the caret; Num * collapses the whole tree onto "Mail (3)"; Enter opens the
# folder and Enter again closes it. A click on the tree's first row and an
# "x" typed there put "*Pluginsx" into the box, whose search lands on the
# context folder. Typing "We" over the selected box text and Enter paste
# "Welcome": the window hides and the debug log names the record. Brought
# up again from the tray, a double click on "Mail (3)" opens it, exactly
# once; a second closes it.
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
# shellcheck source-path=SCRIPTDIR source=lib/main_window.sh
source "$(dirname "$0")/lib/main_window.sh"
require_db_tool
e2e_setup

step "library, start, window from the tray"
make_fixture_library
start_tembric
wait_started 20
wait_tray_icon 10
show_from_tray
activate_main

# The focused item of the tree: "TEXT expanded|collapsed" (none: empty).
focused_item() {
  probe tree-items "$MAIN_CLASS" |
    awk '$1 == "item" && $5 == "selected" { s = $4; sub(/^item [0-9]+ -?[0-9]+ [a-z]+ selected /, ""); print $0 " " s; exit }'
}
# The text of the N-th edit control of the window (1 the info line, 2 the preview, 3 the filter box),
# a backslash written as two as the probe escapes it.
edit_text() {
  probe_reading controls "$MAIN_CLASS" | awk -F'\t' -v n="$1" 'tolower($2) == "edit" && ++i == n { print $5; exit }'
}
filter_text() { edit_text 3; }
focus_is() { [ "$(focused_item)" = "$1" ]; }
filter_is() { [ "$(filter_text)" = "$1" ]; }
# expect_focus ITEM FILTER WHAT
expect_focus() {
  wait_for focus_is "$1" 5 || fail "$3: the tree's focus is on \"$(focused_item)\", expected \"$1\""
  wait_for filter_is "$2" 5 || fail "$3: the filter box holds \"$(filter_text)\", expected \"$2\""
}
# Under Wine a key pressed right after another may overtake the handling of
# the first: each key is given its own moment.
# The height of a tree row under Wine with the program's font.
readonly ROW_HEIGHT=16
keys() {
  local k
  for k in "$@"; do
    xdotool key "$k"
    sleep 0.15
  done
}

step "typing the first letters of a record focuses it"
xdotool type --delay 120 We
expect_focus "Welcome collapsed" "We" "after typing \"We\""
assert_eq "Text " "$(edit_text 1)" "details pane: kind of the record"
assert_eq 'text of \\Welcome' "$(edit_text 2)" "details pane: preview"

step "Backspace twice and M: the folder Mail"
keys BackSpace BackSpace M
expect_focus "Mail (3) collapsed" "M" "after \"M\""
assert_eq "Folder " "$(edit_text 1)" "details pane of the folder"

step "Right opens the folder, Down and Up walk its records"
keys Right
expect_focus "Mail (3) expanded" "M" "after Right"
keys Down
expect_focus "Draft collapsed" "Draft" "after Down"
assert_eq 'text of \\Mail\\Draft' "$(edit_text 2)" "preview of the record reached with Down"
keys Down
expect_focus "Home collapsed" "Home" "after a second Down"
keys Up
expect_focus "Draft collapsed" "Draft" "after Up"
keys Left
holds focus_is "Draft collapsed" 0.5 || fail "Left on a record moved the tree's focus: $(focused_item)"

step "Num * collapses the tree onto the folder"
screenshot before-collapse
keys KP_Multiply
wait_for focus_is "Mail (3) collapsed" 5 || fail "after Num *: the tree's focus is on \"$(focused_item)\""
probe tree-items "$MAIN_CLASS" | awk '$1 == "item" && $2 > 0' | found . &&
  fail "items below the top level are still shown after Num *"

step "Enter opens and closes the folder"
keys Return
wait_for focus_is "Mail (3) expanded" 5 || fail "Enter did not open the folder: $(focused_item)"
keys Return
wait_for focus_is "Mail (3) collapsed" 5 || fail "a second Enter did not close the folder: $(focused_item)"

step "a letter typed in the tree goes to the box and searches there"
IFS=, read -r tl tt _ _ <<<"$(probe_reading controls "$MAIN_CLASS" | awk -F'\t' 'tolower($2) == "systreeview32" { print $4; exit }')"
[ -n "$tt" ] || fail "the tree control was not found"
xdotool mousemove "$((tl + 40))" "$((tt + 10))" click 1
expect_focus "*Plugins collapsed" "*Plugins" "after a click on the tree's first row"
keys x
wait_for filter_is "*Pluginsx" 5 || fail "the x typed in the tree did not reach the box: \"$(filter_text)\""
# shellcheck disable=SC2317  # called through wait_for
on_context_folder() { focused_item | found ' (0) collapsed$'; }
wait_for on_context_folder 5 || fail "the search of \"*Pluginsx\" did not reach the context folder: $(focused_item)"

step "Enter on a record pastes it"
keys Home shift+End
xdotool type --delay 120 We
expect_focus "Welcome collapsed" "We" "after typing \"We\" over the selection"
screenshot main-window
keys Return
# shellcheck disable=SC2317  # called through wait_for
pasted() { probe edit-text -multiline TForm2 2>/dev/null | found -F "Paste: \\"; }
wait_for pasted 5 || fail "Enter on Welcome ran no paste; log:"$'\n'"$(probe edit-text -multiline TForm2 2>/dev/null)"
probe edit-text -multiline TForm2 | grep -F 'Paste: ' | tail -n 1 | found 'Welcome$' ||
  fail "the paste was not of Welcome: $(probe edit-text -multiline TForm2 | grep -F 'Paste: ')"
wait_hidden 5

step "a double click on the folder opens it once, a second closes it"
show_from_tray
activate_main
# Rows are as high as the first row's middle is below the tree's top, twice
# over; the folder is the fourth row.
row=$(probe tree-items "$MAIN_CLASS" | awk '$1 == "item" { i++ } $1 == "item" && / Mail \(3\)$/ { print i - 1; exit }')
[ "$row" = 3 ] || fail "the folder is not the fourth row of the tree"
xdotool mousemove "$((tl + 60))" "$((tt + 2 + row * ROW_HEIGHT + ROW_HEIGHT / 2))" click 1
expect_focus "Mail (3) collapsed" "Mail" "after a click on the folder's row"
sleep 0.6  # past the double-click time: the next two clicks make one double click
xdotool click --repeat 2 --delay 60 1
wait_for focus_is "Mail (3) expanded" 5 || fail "a double click did not open the folder: $(focused_item)"
holds focus_is "Mail (3) expanded" 0.5 || fail "the double click toggled the folder twice: $(focused_item)"
sleep 0.6
xdotool click --repeat 2 --delay 60 1
wait_for focus_is "Mail (3) collapsed" 5 || fail "a second double click did not close the folder: $(focused_item)"
