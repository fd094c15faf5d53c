#!/usr/bin/env bash
# The program's own "new record" hotkey, pressed in another application,
# opens the record dialog for a new record without showing the main window,
# and after Save the user is back in that application.
#
# With Tembric in the background the user works in tembric-paste-target.exe
# (until Tembric has taken it as the target) and presses Ctrl+Alt+N. The
# dialog "New record" appears; a name typed into it and Enter (Save) close
# it; the paste target is the foreground window again, the main window never
# showed, no message box, and tembric.db holds the new record. The text the
# user had copied is the new record's text (NewContent Auto with AutoPaste),
# and the keystroke given in the dialog, typed in the target ("=fth" and a
# space), pastes that text there.
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
# shellcheck source-path=SCRIPTDIR source=lib/main_window.sh
source "$(dirname "$0")/lib/main_window.sh"

readonly TARGET_TITLE='Write here'
readonly DIALOG_CLASS=TRecordForm
require_db_tool
e2e_setup

step "library, Tembric in the background, the user in the paste target"
make_fixture_library
readonly COPIED_TEXT='on the clipboard'
target_log=$E2E_TMP/target.log
behind_paste_target "$TARGET_TITLE" "$target_log" "$COPIED_TEXT"

step "Ctrl+Alt+N in the target"
xdotool key ctrl+alt+n
# shellcheck disable=SC2317  # called through wait_for
dialog_is() {
  alive "$TEMBRIC_PID" || fail "Tembric ended"
  probe window-state "$DIALOG_CLASS" 2>/dev/null | grep -qx "visible $1"
}
wait_for dialog_is 1 10 || fail "Ctrl+Alt+N showed no record dialog within 10s; log:"$'\n'"$(debug_log)"
caption=$(probe window-state "$DIALOG_CLASS" | awk '$1 == "title" { sub(/^title /, ""); print; exit }')
assert_eq "New record" "$caption" "the dialog's caption"
w=$(x_visible_titled "New record" | head -n 1)
[ -n "$w" ] || fail "the dialog is not mapped"
xdotool windowactivate --sync "$w" >/dev/null 2>&1 || xdotool windowfocus --sync "$w"
# dialog_edit N FIELD: a field (4 the screen rect, 5 the text) of the N-th
# visible edit box of the dialog: 1 Name, 2 Keystroke, 3 the memo.
dialog_edit() {
  probe controls "$DIALOG_CLASS" |
    awk -F'\t' -v n="$1" -v f="$2" 'tolower($2) == "edit" && $3 == "visible" && ++i == n { print $f; exit }'
}
assert_eq "$COPIED_TEXT" "$(dialog_edit 3 5)" "the memo (the copied text)"

step "a name, a keystroke and Save"
xdotool type --delay 60 'From the hotkey'
IFS=, read -r l t r b <<<"$(dialog_edit 2 4)"
[ -n "$b" ] || fail "no Keystroke box"
xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
xdotool type --delay 60 fth
# shellcheck disable=SC2317
keystroke_is() { [ "$(dialog_edit 2 5)" = "$1" ]; }
wait_for keystroke_is fth 5 || fail "the Keystroke box holds \"$(dialog_edit 2 5)\""
xdotool key Return
wait_for dialog_is 0 5 || fail "Save did not close the dialog; boxes: $(tembric_boxes)"
[ -z "$(tembric_boxes)" ] || fail "a message box is shown: $(tembric_boxes)"

step "back in the paste target, the record stored"
# shellcheck disable=SC2317
target_in_front() { probe window-state -name "$TARGET_TITLE" | grep -qx "foreground 1"; }
wait_for target_in_front 5 || fail "the paste target is not in front after the dialog"
assert_eq 0 "$(state_of visible)" "main window visible"
saved=$(cd "$APP" && wine tembric-db.exe list "$(windows_path "$APP")" 2>&1 | tr -d '\r') ||
  fail "tembric-db list failed: $saved"
printf '%s\n' "$saved" | grep -q '^\\From the hotkey'$'\t' || fail "tembric.db does not hold \\From the hotkey:"$'\n'"$saved"
probe_quiet answers "$MAIN_CLASS" 5 || fail "Tembric does not answer after the dialog"

step "the keystroke typed in the target pastes the copied text"
# A window brought to the front by a Wine program does not get the X focus:
# the user's click into the target gives it.
w=$(x_visible_titled "$TARGET_TITLE" | head -n 1)
xdotool windowactivate --sync "$w" >/dev/null 2>&1 || xdotool windowfocus --sync "$w"
xdotool key --delay 40 equal f t h space
# shellcheck disable=SC2317
pasted() { [ "$(target_pastes "$target_log")" -ge 1 ]; }
wait_for pasted 10 || fail "no paste reached the target; log:"$'\n'"$(debug_log)"
line=$(grep '^paste' "$target_log" | head -n 1)
[[ "$line" == *$'\t'"text $COPIED_TEXT" ]] || fail "the paste brought other content: $line"
