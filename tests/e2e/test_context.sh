#!/usr/bin/env bash
# Records tied to the program the user works in are offered in the context
# folder when the main window is shown from that program.
#
# A library where "\Mail\Sign" (context dependence on) is tied to the paste
# target as a whole application and to its window title, and "\Mail\Quiet"
# (context dependence off) to the whole application too. Tembric in the
# background takes tembric-paste-target.exe as the target ("Target:
# Tembric-paste-target | Paste here": no version resource, so the file name);
# the user presses the show hotkey Ctrl+Alt+Z there. The context folder's
# caption is the application ("Tembric-paste-target (2)"), it lists "Sign
# (Mail)" twice and nothing else, its first item has the focus; Enter pastes
# the record's text into the target, once.
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
# shellcheck source-path=SCRIPTDIR source=lib/main_window.sh
source "$(dirname "$0")/lib/main_window.sh"

readonly TARGET_TITLE='Paste here'
readonly TARGET_APP='Tembric-paste-target'
readonly KNOWN_TEXT='on the clipboard before'
readonly RECORD_TEXT='offered where it fits'
require_db_tool
e2e_setup

step "library"
add_record() {  # PATH ARGS...
  local out
  out=$(cd "$APP" && wine tembric-db.exe add "$(windows_path "$APP")" "$@" 2>&1) ||
    fail "tembric-db add $1 failed: $out"
}
add_record '\Mail\Sign' --memo "$RECORD_TEXT" --context-enabled \
  --context-app "$TARGET_APP" --context-title "$TARGET_APP" "$TARGET_TITLE"
add_record '\Mail\Quiet' --memo 'tied, context dependence off' --context-app "$TARGET_APP"
add_record '\Welcome' --memo 'tied to nothing'

step "Tembric in the background, the user in the paste target"
target_log=$E2E_TMP/pasted.log
behind_paste_target "$TARGET_TITLE" "$target_log" "$KNOWN_TEXT"
assert_eq "Target: $TARGET_APP | $TARGET_TITLE" "$(debug_log | tr -d '\r' | grep '^Target: ' | tail -n 1)" \
  "the target Tembric identified"

step "the show hotkey in the target"
xdotool key ctrl+alt+z
wait_shown 10

# context_items: the context folder's caption (the second top-level item),
# then one line per child: "selected|- TEXT".
context_items() {
  probe tree-items "$MAIN_CLASS" | tr -d '\r' | awk '
    $1 == "item" && $2 == 0 { inside = ++top == 2 }
    inside && $2 == 0 { sub(/^item [0-9]+ -?[0-9]+ [a-z]+ [a-z-]+ /, ""); print; next }
    inside && $1 == "item" && $2 == 1 { s = $5; sub(/^item [0-9]+ -?[0-9]+ [a-z]+ [a-z-]+ /, ""); print s " " $0 }'
}
expected_items="$TARGET_APP (2)
selected Sign (Mail)
- Sign (Mail)"
# shellcheck disable=SC2317  # called through wait_for
offered() {
  alive "$TEMBRIC_PID" || fail "Tembric ended"
  [ "$(context_items)" = "$expected_items" ]
}
wait_for offered 5 || assert_eq "$expected_items" "$(context_items)" "the context folder (caption, then items)"
screenshot context-folder

step "Enter pastes the focused record"
activate_main
xdotool key Return
# shellcheck disable=SC2317  # called through wait_for
pasted() {
  alive "$TEMBRIC_PID" || fail "Tembric ended"
  [ "$(target_pastes "$target_log")" -gt 0 ]
}
# shellcheck disable=SC2317
landed() { [ "$(target_edit)" = "$RECORD_TEXT" ]; }
# shellcheck disable=SC2317
known_text_back() { [ "$(probe clipboard-text 2>/dev/null)" = "$KNOWN_TEXT" ]; }
details() { printf '\ntarget log:\n%s\ndebug log:\n%s\n' "$(cat "$target_log")" "$(debug_log)"; }
wait_hidden 5
wait_for pasted 5 || fail "no paste reached the target within 5s:$(details)"
assert_eq "text $RECORD_TEXT" "$(target_paste_field "$target_log" text)" "what the paste brought"
wait_for landed 5 || fail "the target's edit box holds \"$(target_edit)\", expected \"$RECORD_TEXT\""
wait_for known_text_back 3 ||
  fail "the clipboard holds \"$(probe clipboard-text 2>&1)\" 3s after the paste, expected \"$KNOWN_TEXT\""
assert_eq 1 "$(target_pastes "$target_log")" "pastes that reached the target"
[ -z "$(tembric_boxes)" ] || fail "a message box is shown: $(tembric_boxes)"
