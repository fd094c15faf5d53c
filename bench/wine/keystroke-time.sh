#!/usr/bin/env bash
# Typed abbreviations with the real Tembric.exe under Wine: the time from the
# space that ends "=sig" until the record's text is pasted, and the processor
# time Tembric spends while the user types.
#
# Usage: bench/wine/keystroke-time.sh WINDOWS_BUILD_DIR [RUNS]
#        bench/wine/keystroke-time.sh WINDOWS_BUILD_DIR --typing [CHARACTERS]
#   RUNS        timed expansions (default 20)
#   CHARACTERS  characters typed for --typing (default 1000)
#
# Starts Tembric on a library whose record "Kind regards" has the keystroke
# "sig", and tembric-paste-target.exe, whose edit box logs each paste and
# each typed character with its wall-clock time, and gives the target the
# focus. Then RUNS times: "=sig" typed, and once the target has it, the time
# taken (`date +%s%3N`) and a space; the paste's time from the target's log
# minus that time is one run. Each run waits for the clipboard's text to be
# put back. Prints every run, the median and the worst.
# With --typing, CHARACTERS characters of plain words (no "=") are typed into
# the target at 10 ms a key; utime+stime of Tembric's process from /proc over
# the typing is printed, and the same over as long a span without typing.
set -euo pipefail
[ $# -ge 1 ] || { sed -n '2,20p' "$0"; exit 2; }
mode=expansions
runs=${2:-20}
if [ "${2:-}" = --typing ]; then
  mode=typing
  characters=${3:-1000}
fi
# shellcheck source-path=SCRIPTDIR source=library.sh
source "$(dirname "$0")/library.sh" "$1" keystroke-time 3600

readonly TARGET_TITLE='Type here'
readonly KNOWN_TEXT='on the clipboard before'
readonly RECORD_TEXT='Kind regards, Anna'
require_db_tool
e2e_setup

step "library, Tembric, the paste target"
out=$(cd "$APP" && wine tembric-db.exe add "$(windows_path "$APP")" '\Signatures\Kind regards' --memo "$RECORD_TEXT" \
  --keydisplay sig --keystring SIG 2>&1) || fail "tembric-db add failed: $out"
target_log=$E2E_TMP/pasted.log
keys_log=$E2E_TMP/keys.log
behind_paste_target "$TARGET_TITLE" "$target_log" "$KNOWN_TEXT" -keys "$(windows_path "$keys_log")"

chars() { grep -c '^char' "$keys_log" || true; }
# shellcheck disable=SC2317  # called through wait_for
chars_reach() { [ "$(chars)" -ge "$1" ]; }

if [ "$mode" = typing ]; then
  # cpu_ticks PID: user plus system time of the process so far, in clock
  # ticks (fields 14 and 15 of /proc/PID/stat, counted after the name).
  cpu_ticks() { sed -e 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
  words=(the quick brown fox jumps over a lazy dog while typing notes)
  text=
  for ((i = 0; ${#text} < characters; i++)); do text+="${words[i % ${#words[@]}]} "; done
  text=${text:0:characters}
  hz=$(getconf CLK_TCK)

  step "type $characters characters"
  a=$(cpu_ticks "$TEMBRIC_PID")
  t0=$(date +%s.%N)
  xdotool type --delay 10 "$text"
  wait_for chars_reach "$characters" 60 || fail "only $(chars) of $characters characters reached the target"
  t1=$(date +%s.%N)
  b=$(cpu_ticks "$TEMBRIC_PID")
  span=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')

  step "as long without typing"
  sleep "$span"  # the comparison span itself
  c=$(cpu_ticks "$TEMBRIC_PID")
  [ "$(target_pastes "$target_log")" -eq 0 ] || fail "typing plain words pasted"

  echo
  awk -v a="$a" -v b="$b" -v c="$c" -v hz="$hz" -v span="$span" -v n="$characters" 'BEGIN {
    printf "Tembric.exe under Wine while %d characters are typed into another program (%.1f s): %.2f s CPU = %.2f%% of one core;", n, span, (b - a) / hz, 100 * (b - a) / hz / span
    printf " the next %.1f s without typing: %.2f s = %.2f%%\n", span, (c - b) / hz, 100 * (c - b) / hz / span
  }'
  exit 0
fi

for ((i = 1; i <= runs; i++)); do
  step "expansion $i of $runs"
  before=$(target_pastes "$target_log")
  typed=$(chars)
  xdotool key --delay 20 equal s i g
  wait_for chars_reach $((typed + 4)) 10 || fail "\"=sig\" did not reach the target within 10s"
  t0=$(date +%s%3N)
  xdotool key space
  timed_paste "$t0" "$target_log" "$before" "$RECORD_TEXT" "$KNOWN_TEXT" space
done
assert_eq 0 "$(state_of visible)" "main window visible after the expansions"

echo
echo "space to paste of a typed abbreviation under Wine, $runs runs: ${BENCH_TIMES[*]} ms; median $(median "${BENCH_TIMES[@]}") ms, worst $(worst "${BENCH_TIMES[@]}") ms"
[ "$BENCH_WRONG" -eq 0 ] || echo "$BENCH_WRONG of $runs pastes brought other content than the record's text (see the log above)"
