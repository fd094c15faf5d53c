#!/usr/bin/env bash
# A second start while Tembric runs shows one "Tembric already launched" box
# and ends after OK, without creating windows or touching files; the running
# copy is left as it was and keeps handling messages.
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
e2e_setup

step "first copy starts"
start_tembric
first=$TEMBRIC_PID
wait_started 20
# The program's own windows (handle, process, class, visibility).
program_windows() {
  tembric_windows | awk -F'\t' -v classes="${TEMBRIC_CLASSES[*]}" '
    BEGIN { split(classes, c, " "); for (i in c) ours[c[i]] = 1 }
    $3 in ours { print $1 "\t" $2 "\t" $3 "\t" $4 }' | sort
}
first_windows=$(program_windows)
first_winpid=$(printf '%s\n' "$first_windows" | awk -F'\t' '$3 == "TForm1" { print $2 }')
[ -n "$first_winpid" ] || fail "no TForm1 window after start-up: $first_windows"
assert_eq 4 "$(count_lines "$first_windows")" "number of program windows of the first copy"
files=$(folder_state "$APP")

step "second copy shows its box"
start_tembric
second=$TEMBRIC_PID
wait_box Tembric 15
assert_eq "dialogs 1"$'\n'"text $ALREADY_LAUNCHED_TEXT"$'\n'"button OK" "$(probe dialog-text Tembric)" \
  "the second copy's message box"
# On the display: the box is the second copy's only mapped window, and the
# first copy has none.
second_shows_one() { [ "$(count_lines "$(x_visible_windows_of "$second")")" -eq 1 ]; }
expect second_shows_one 5 -- "one mapped X window of the second copy (pid $second)"
assert_eq "" "$(x_visible_windows_of "$first")" "mapped X windows of the first copy"

step "the second copy creates no window of its own"
others=$(tembric_windows | awk -F'\t' -v p="$first_winpid" '$2 != p')
[ -n "$others" ] || fail "no window of the second copy listed"
for cls in "${TEMBRIC_CLASSES[@]}" TSplashForm; do
  if printf '%s\n' "$others" | cut -f3 | found -x "$cls"; then
    fail "the second copy has a $cls window: $others"
  fi
done
assert_eq "#32770" "$(printf '%s\n' "$others" | awk -F'\t' '$4 == "visible" { print $3 }')" \
  "class of the second copy's only visible window"

step "OK ends the second copy"
probe press Tembric OK >/dev/null || fail "could not press OK"
wait_exit "$second" 10 || fail "the second copy still runs 10s after OK"
assert_eq 0 "$EXIT_STATUS" "the second copy's exit code"

step "the first copy runs on as before"
alive "$first" || fail "the first copy ended"
probe answers TForm1 5 >/dev/null || fail "the first copy's TForm1 does not answer"
assert_eq "$first_windows" "$(program_windows)" "the first copy's windows"
probe_quiet mutex-exists "$MUTEX_NAME" || fail "$MUTEX_NAME is gone while the first copy runs"
assert_eq "$files" "$(folder_state "$APP")" "the portable folder's files"
