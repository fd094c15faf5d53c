#!/usr/bin/env bash
# A settings file that does not declare the current database format makes
# Tembric refuse to start: one information box with the old-format text,
# nothing else; after OK the process ends without having created or changed
# any file, and its single-instance mutex is gone with it.
#
# Usage: test_old_format.sh dbversion-10 | dbversion-0 | missing-key | missing-ini
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"

case ${1:-} in
  dbversion-10) ini=$'[Basic]\nDBVersion=10\n' ;;
  dbversion-0) ini=$'[Basic]\nDBVersion=0\n' ;;
  missing-key) ini=$'[Basic]\nDBVersions=11\nVersion=11\n[Other]\nDBVersion=11\n' ;;
  missing-ini) ini= ;;
  *) echo "usage: $0 dbversion-10|dbversion-0|missing-key|missing-ini" >&2; exit 2 ;;
esac

e2e_setup

step "settings file: $1"
if [ "$1" = missing-ini ]; then
  rm -f "$APP/Tembric.ini"
else
  write_ini "$ini"
fi
before=$(folder_state "$APP")

step "start Tembric and wait for its message box"
start_tembric
wait_box Tembric 15

step "the box holds the old-format text and one OK button"
dialog=$(probe dialog-text Tembric) || fail "dialog-text failed: $dialog"
expected="dialogs 1
text $(printf '%s' "$OLD_FORMAT_TEXT" | sed -z 's/\n/\\n/g')
button OK"
assert_eq "$expected" "$dialog" "the message box"
# The user sees it: exactly one mapped X window with that title.
expect_one_box() { [ "$(count_lines "$(x_visible_titled Tembric)")" -eq 1 ]; }
expect expect_one_box 5 -- "exactly one mapped X window titled Tembric"

step "nothing but the box: no program window is created"
windows=$(probe windows-of-exe Tembric.exe) || fail "windows-of-exe found no window of Tembric.exe"
visible=$(printf '%s\n' "$windows" | awk -F'\t' '$4 == "visible"')
assert_eq "#32770" "$(printf '%s\n' "$visible" | cut -f3)" "class of the only visible window"
for cls in "${TEMBRIC_CLASSES[@]}"; do
  if printf '%s\n' "$windows" | cut -f3 | found -x "$cls"; then
    fail "window of class $cls exists while the old-format box is up: $windows"
  fi
done
# The instance mutex is taken before the format is checked.
probe_quiet mutex-exists "$MUTEX_NAME" || fail "no $MUTEX_NAME while Tembric runs"

step "OK ends the program"
probe press Tembric OK >/dev/null || fail "could not press OK"
wait_exit "$TEMBRIC_PID" 10 || fail "Tembric still runs 10s after OK"
assert_eq 0 "$EXIT_STATUS" "exit code"

step "no file was created or changed"
assert_eq "$before" "$(folder_state "$APP")" "the portable folder's files"

step "the mutex ended with the process"
mutex_gone() { ! probe_quiet mutex-exists "$MUTEX_NAME"; }
expect mutex_gone 5 -- "$MUTEX_NAME gone after Tembric ended"
