#!/usr/bin/env bash
# With the current database format (any DBVersion above 10) Tembric starts
# and stays in the background: its four windows exist but none is shown,
# nothing of it is mapped on the X display, and its main window's thread
# handles messages.
#
# Usage: test_starts_hidden.sh [DBVERSION]
#   without DBVERSION the portable folder's settings file is used as
#   packaged (DBVersion=11).
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
e2e_setup

if [ $# -ge 1 ]; then
  step "start Tembric with DBVersion=$1"
  write_ini $'[Basic]\nDBVersion='"$1"$'\n'
else
  step "start Tembric with the packaged settings file"
  grep -q '^DBVersion=11' "$APP/Tembric.ini" || fail "the packaged Tembric.ini does not declare DBVersion=11"
fi
start_tembric
wait_started 20

step "the four windows exist, hidden"
windows=$(tembric_windows)
log "windows of Tembric.exe:"$'\n'"$windows"
for cls in "${TEMBRIC_CLASSES[@]}"; do
  n=$(printf '%s\n' "$windows" | awk -F'\t' -v c="$cls" '$3 == c' | wc -l)
  assert_eq 1 "$n" "number of $cls windows"
done
assert_eq "Tembric 1.2" "$(printf '%s\n' "$windows" | awk -F'\t' '$3 == "TForm1" { print $6 }')" \
  "main window's title"
shown=$(printf '%s\n' "$windows" | awk -F'\t' '$4 == "visible"')
assert_eq "" "$shown" "visible windows of Tembric.exe"

step "nothing of Tembric is mapped on the display"
nothing_mapped() {
  alive "$TEMBRIC_PID" || fail "Tembric ended"
  [ -z "$(x_visible_windows_of "$TEMBRIC_PID")" ] &&
    [ -z "$(xdotool search --onlyvisible --classname '^tembric\.exe$' 2>/dev/null || true)" ]
}
# Its sampling timer runs meanwhile; the state must hold, not just be reached.
holds nothing_mapped 1.5 || fail "a window of Tembric is mapped: $(x_visible_windows_of "$TEMBRIC_PID" | while read -r w; do xdotool getwindowname "$w"; done)"

step "still running, main window's thread answers"
alive "$TEMBRIC_PID" || fail "Tembric ended"
probe answers TForm1 5 >/dev/null || fail "TForm1 does not answer WM_NULL"
probe_quiet mutex-exists "$MUTEX_NAME" || fail "no $MUTEX_NAME while Tembric runs"
