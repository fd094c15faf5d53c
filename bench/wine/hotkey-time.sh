#!/usr/bin/env bash
# Time from a record's hotkey until the paste reaches the application in
# front, with the real Tembric.exe under Wine.
#
# Usage: bench/wine/hotkey-time.sh WINDOWS_BUILD_DIR [RUNS]
#   RUNS  timed pastes (default 20)
#
# Starts Tembric on a one-record library whose record has the hotkey
# Ctrl+Alt+Q, and tembric-paste-target.exe, whose edit box logs each paste
# with its wall-clock time, and gives the target the focus. Then RUNS times:
# the time taken (`date +%s%3N`) and Ctrl+Alt+Q; the paste's time from the
# target's log minus that time is one run. Each run waits for Tembric to put
# the clipboard's text back before the next. Prints every run, the median
# and the worst, and how many pastes brought other content than the
# record's text.
set -euo pipefail
[ $# -ge 1 ] || { sed -n '2,15p' "$0"; exit 2; }
runs=${2:-20}
# shellcheck source-path=SCRIPTDIR source=library.sh
source "$(dirname "$0")/library.sh" "$1" hotkey-time 3600

readonly TARGET_TITLE='Paste here'
readonly KNOWN_TEXT='on the clipboard before'
readonly RECORD_TEXT='a quick note'
require_db_tool
e2e_setup

step "library, Tembric, the paste target"
out=$(cd "$APP" && wine tembric-db.exe add "$(windows_path "$APP")" '\Quick note' --memo "$RECORD_TEXT" \
  --shortcut 'Ctrl+Alt+Q' 2>&1) || fail "tembric-db add failed: $out"
target_log=$E2E_TMP/pasted.log
behind_paste_target "$TARGET_TITLE" "$target_log" "$KNOWN_TEXT"

for ((i = 1; i <= runs; i++)); do
  step "paste $i of $runs"
  before=$(target_pastes "$target_log")
  t0=$(date +%s%3N)
  xdotool key ctrl+alt+q
  timed_paste "$t0" "$target_log" "$before" "$RECORD_TEXT" "$KNOWN_TEXT" hotkey
done
assert_eq 0 "$(state_of visible)" "main window visible after the hotkey pastes"

echo
echo "hotkey to paste under Wine, $runs runs: ${BENCH_TIMES[*]} ms; median $(median "${BENCH_TIMES[@]}") ms, worst $(worst "${BENCH_TIMES[@]}") ms"
[ "$BENCH_WRONG" -eq 0 ] || echo "$BENCH_WRONG of $runs pastes brought other content than the record's text (see the log above)"
