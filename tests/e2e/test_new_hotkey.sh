#!/usr/bin/env bash
# The program's own "new record" hotkey, pressed in another application,
# opens the record dialog for a new record without showing the main window,
# and after Save the user is back in that application.
#
# With Tembric in the background the user works in tembric-paste-target.exe
# (until Tembric has taken it as the target) and presses Ctrl+Alt+N. The
# dialog "New record" appears; a name typed into it and Enter (Save) close
# it; the paste target is the foreground window again, the main window never
# showed, no message box, and tembric.db holds the new record.
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
behind_paste_target "$TARGET_TITLE" "$E2E_TMP/target.log" 'on the clipboard'

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

step "a name and Save"
xdotool type --delay 60 'From the hotkey'
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
