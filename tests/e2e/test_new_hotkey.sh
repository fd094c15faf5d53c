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
# shellcheck source-path=SCRIPTDIR source=lib/record_dialog.sh
source "$(dirname "$0")/lib/record_dialog.sh"

readonly TARGET_TITLE='Write here'
require_db_tool
e2e_setup

step "library, Tembric in the background, the user in the paste target"
make_fixture_library
readonly COPIED_TEXT='on the clipboard'
target_log=$E2E_TMP/target.log
behind_paste_target "$TARGET_TITLE" "$target_log" "$COPIED_TEXT"

step "Ctrl+Alt+N in the target"
xdotool key ctrl+alt+n
wait_for dialog_visible 10 || fail "Ctrl+Alt+N showed no record dialog within 10s; log:"$'\n'"$(debug_log)"
assert_eq "New record" "$(dialog_title)" "the dialog's caption"
activate_dialog
assert_eq "$COPIED_TEXT" "$(control_text edit 3)" "the memo (the copied text)"

step "a name, a keystroke and Save"
xdotool type --delay 60 'From the hotkey'
click_rect "$(control_rect edit 2)"
xdotool type --delay 60 fth
# shellcheck disable=SC2317
keystroke_is() { [ "$(control_text edit 2)" = "$1" ]; }
wait_for keystroke_is fth 5 || fail "the Keystroke box holds \"$(control_text edit 2)\""
xdotool key Return
wait_for dialog_hidden 5 || fail "Save did not close the dialog; boxes: $(tembric_boxes)"
[ -z "$(tembric_boxes)" ] || fail "a message box is shown: $(tembric_boxes)"

step "back in the paste target, the record stored"
# shellcheck disable=SC2317
target_in_front() { probe window-state -name "$TARGET_TITLE" | found -x "foreground 1"; }
wait_for target_in_front 5 || fail "the paste target is not in front after the dialog"
assert_eq 0 "$(state_of visible)" "main window visible"
saved=$(cd "$APP" && wine tembric-db.exe list "$(windows_path "$APP")" 2>&1 | tr -d '\r') ||
  fail "tembric-db list failed: $saved"
printf '%s\n' "$saved" | found '^\\From the hotkey'$'\t' || fail "tembric.db does not hold \\From the hotkey:"$'\n'"$saved"
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
