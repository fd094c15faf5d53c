# shellcheck shell=bash
# The "shortcut" case of test_plugins.sh (sourced after its set-up): a plugin
# item's hotkey and abbreviation come from the settings file and stay there
# across a restart.

write_ini $'[Basic]\nDBVersion=11\n[Plugin\\Date]\nshortcut=Ctrl+Alt+D\nKEYDISPLAY=dt\nKeyString=DT\n'
target_log=$E2E_TMP/pasted.log

# shellcheck disable=SC2317  # called through wait_for
pastes_reach() {
  alive "$TEMBRIC_PID" || fail "Tembric ended"
  [ "$(target_pastes "$target_log")" -ge "$1" ]
}
# shellcheck disable=SC2317
edit_holds() { [ "$(target_edit)" = "$1" ]; }
# shellcheck disable=SC2317
known_text_back() { [ "$(probe clipboard-text 2>/dev/null)" = "$KNOWN_TEXT" ]; }
details() { printf '\ntarget log:\n%s\ndebug log:\n%s\nboxes:\n%s\n' "$(cat "$target_log")" "$(debug_log)" "$(tembric_boxes)"; }
# The target's edit box after COUNT pastes of the date; a paste that
# straddles midnight may bring the next day's.
# shellcheck disable=SC2317
edit_holds_dates() {  # COUNT
  local d want i
  for d in "$DAY_BEFORE" "$(date +%F)"; do
    want=
    for ((i = 0; i < $1; i++)); do want+=$d; done
    edit_holds "$want" && return 0
  done
  return 1
}
expect_pastes() {  # COUNT WHAT
  wait_for pastes_reach "$1" 10 || fail "$2: no paste reached the target within 10s:$(details)"
  wait_for edit_holds_dates "$1" 5 ||
    fail "$2: the target's edit box holds \"$(target_edit)\", expected $1 of today's date:$(details)"
  wait_for known_text_back 3 || fail "$2: the clipboard's text was not put back within 3s"
  [ "$(target_pastes "$target_log")" -eq "$1" ] || fail "$2: $(target_pastes "$target_log") pastes, expected $1:$(details)"
}

step "Tembric in the background, the user in the paste target"
DAY_BEFORE=$(date +%F)
behind_paste_target "$TARGET_TITLE" "$target_log" "$KNOWN_TEXT"

step "Ctrl+Alt+D pastes the date"
xdotool key ctrl+alt+d
expect_pastes 1 "Ctrl+Alt+D"

step "=dt and a space become the date"
xdotool type --delay 60 '=dt '
expect_pastes 2 "=dt and a space"

step "Shut down keeps the item's section"
tray_menu_choose last
wait_exit "$TEMBRIC_PID" 10 || fail "Tembric still runs 10s after Shut down"
assert_eq 0 "$EXIT_STATUS" "exit code"
assert_eq Ctrl+Alt+D "$(ini_value 'Plugin\\Date' Shortcut)" "[Plugin\\Date] Shortcut after Shut down"
assert_eq DT "$(ini_value 'Plugin\\Date' Keystring)" "[Plugin\\Date] Keystring after Shut down"

step "after a restart Ctrl+Alt+D pastes the date again"
start_tembric
wait_started 20
wait_tray_icon 10
bring_to_front "$TARGET_TITLE"
wait_target "$TARGET_TITLE"
probe clipboard-set-text "$KNOWN_TEXT" || fail "the clipboard's text could not be set"
xdotool key ctrl+alt+d
expect_pastes 3 "Ctrl+Alt+D after the restart"
[ -z "$(tembric_boxes)" ] || fail "a message box is shown: $(tembric_boxes)"
