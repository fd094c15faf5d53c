#!/usr/bin/env bash
# A record's own hotkey, pressed in another application, pastes the record
# there without showing the main window.
#
# A library with a text record whose ShortCut is "Ctrl+Alt+Q" and one
# without. With Tembric in the background the user works in
# tembric-paste-target.exe (until Tembric has taken it as the target) with a
# known text on the clipboard and presses Ctrl+Alt+Q. Then exactly one paste
# reaches the target with the record's text, which lands in its edit box;
# the main window never shows (hidden, and no "FormShow" in the debug log);
# the known text is on the clipboard again within 3 s; no message box;
# Tembric answers.
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
# shellcheck source-path=SCRIPTDIR source=lib/main_window.sh
source "$(dirname "$0")/lib/main_window.sh"

readonly TARGET_TITLE='Paste here'
readonly KNOWN_TEXT='on the clipboard before'
readonly RECORD_TEXT='pasted by its hotkey'
require_db_tool
e2e_setup

step "library"
add_record() {  # PATH ARGS...
  local out
  out=$(cd "$APP" && wine tembric-db.exe add "$(windows_path "$APP")" "$@" 2>&1) ||
    fail "tembric-db add $1 failed: $out"
}
add_record '\Notes\Quick' --memo "$RECORD_TEXT" --shortcut 'Ctrl+Alt+Q'
add_record '\Notes\Other' --memo 'not this one'

step "Tembric in the background, the user in the paste target"
target_log=$E2E_TMP/pasted.log
behind_paste_target "$TARGET_TITLE" "$target_log" "$KNOWN_TEXT"

step "Ctrl+Alt+Q in the target"
xdotool key ctrl+alt+q

# shellcheck disable=SC2317  # called through wait_for and holds
pasted() {
  alive "$TEMBRIC_PID" || fail "Tembric ended"
  [ "$(target_pastes "$target_log")" -gt 0 ]
}
# shellcheck disable=SC2317
known_text_back() { [ "$(probe clipboard-text 2>/dev/null)" = "$KNOWN_TEXT" ]; }
# shellcheck disable=SC2317
landed() { [ "$(target_edit)" = "$RECORD_TEXT" ]; }
details() { printf '\ntarget log:\n%s\ndebug log:\n%s\n' "$(cat "$target_log")" "$(debug_log)"; }

wait_for pasted 10 || fail "no paste reached the target within 10s:$(details)"
assert_eq "text $RECORD_TEXT" "$(target_paste_field "$target_log" text)" "what the paste brought"
wait_for landed 5 || fail "the target's edit box holds \"$(target_edit)\", expected \"$RECORD_TEXT\""

step "the text from before is back, the main window never showed"
wait_for known_text_back 3 ||
  fail "the clipboard holds \"$(probe clipboard-text 2>&1)\" 3s after the paste, expected \"$KNOWN_TEXT\""
assert_eq 1 "$(target_pastes "$target_log")" "pastes that reached the target"
assert_eq 0 "$(state_of visible)" "main window visible"
debug_log | tr -d '\r' | found -x 'DoHotKey: Found' || fail "the press was not handled as the record's hotkey:$(details)"
debug_log | tr -d '\r' | found -x 'FormShow' && fail "the main window was shown on the way:$(details)"
[ -z "$(tembric_boxes)" ] || fail "a message box is shown: $(tembric_boxes)"
probe_quiet answers "$MAIN_CLASS" 5 || fail "Tembric does not answer after the paste"
log "debug log:"$'\n'"$(debug_log)"
