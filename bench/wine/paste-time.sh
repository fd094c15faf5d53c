#!/usr/bin/env bash
# Time from Enter on a text record until the paste reaches the application
# the user came from, with the real Tembric.exe under Wine.
#
# Usage: bench/wine/paste-time.sh WINDOWS_BUILD_DIR [RUNS]
#   RUNS  timed pastes (default 20)
#
# Starts Tembric on a small library and tembric-paste-target.exe, whose edit
# box logs each paste with its wall-clock time, and gives the target the
# focus. Then RUNS times: a left click on the tray icon, the record's first
# letters typed into the filter box, the time taken (`date +%s%3N`) and
# Enter; the paste's time from the target's log minus that time is one run.
# Each run waits for Tembric to put the clipboard's text back before the
# next. Prints every run, the median and the worst, how many pastes brought
# other content than the record's text, and in how many runs the target had
# to be activated again before Ctrl+V (from the debug log's "CopyClose:
# target in front after N retries" lines).
set -euo pipefail
[ $# -ge 1 ] || { sed -n '2,18p' "$0"; exit 2; }
runs=${2:-20}
# shellcheck source-path=SCRIPTDIR source=library.sh
source "$(dirname "$0")/library.sh" "$1" paste-time 3600

readonly TARGET_TITLE='Paste here'
readonly KNOWN_TEXT='on the clipboard before'
readonly LETTERS=Qui CAPTION='Quick note'
require_db_tool
e2e_setup

step "library, Tembric, the paste target"
out=$(cd "$APP" && wine tembric-db.exe add "$(windows_path "$APP")" '\Quick note' --memo 'a quick note' 2>&1) ||
  fail "tembric-db add failed: $out"
start_tembric
wait_started 60
wait_tray_icon 30
target_log=$E2E_TMP/pasted.log
start_paste_target "$TARGET_TITLE" "$target_log"
wait_target "$TARGET_TITLE"
probe clipboard-set-text "$KNOWN_TEXT" || fail "the clipboard's text could not be set"

pastes() { grep -c '^paste' "$target_log" || true; }
focus_on_record() { [ "$(tree_focus)" = "$CAPTION collapsed" ]; }
known_text_back() { [ "$(probe clipboard-text 2>/dev/null)" = "$KNOWN_TEXT" ]; }
new_paste() { [ "$(pastes)" -gt "$before" ]; }
# The activations the latest paste repeated: its lines follow the log's last
# "CopyClose" line.
last_paste_retries() {
  debug_log | tr -d '\r' | awk '
    $0 == "CopyClose" { n = 0 }
    /^CopyClose: target (not )?in front after [0-9]+ retries/ { n += $(NF - ($0 ~ /no keys$/ ? 3 : 1)) }
    END { print n + 0 }'
}

declare -a times=()
wrong=0
retried_runs=0
retries_total=0
for ((i = 1; i <= runs; i++)); do
  step "paste $i of $runs"
  show_from_tray
  activate_main
  xdotool type --delay 120 "$LETTERS"
  wait_for focus_on_record 10 || fail "typing \"$LETTERS\" did not reach \"$CAPTION\": $(tree_focus)"
  before=$(pastes)
  t0=$(date +%s%3N)
  xdotool key Return
  wait_for new_paste 30 || fail "no paste reached the target within 30s; debug log:"$'\n'"$(debug_log)"
  [ "$(pastes)" -eq $((before + 1)) ] || fail "Enter gave $(($(pastes) - before)) pastes"
  line=$(last_paste "$target_log")
  waited=$(paste_field "$line" waited)
  ms=$(($(paste_field "$line" at) - t0))
  times+=("$ms")
  # A timing of a paste that brought the wrong content still counts, but
  # is shown as such.
  if printf '%s\n' "$line" | found -F $'\ttext a quick note'; then
    log "pasted $ms ms after Enter (the target waited $waited ms for the clipboard)"
  else
    wrong=$((wrong + 1))
    log "pasted $ms ms after Enter, OTHER CONTENT: $line"
  fi
  wait_for known_text_back 10 || fail "the clipboard's text was not put back within 10s"
  retries=$(last_paste_retries)
  if [ "$retries" -gt 0 ]; then
    retried_runs=$((retried_runs + 1))
    retries_total=$((retries_total + retries))
    log "the target was activated $retries more time(s) before Ctrl+V"
  fi
  wait_hidden 10
done

echo
echo "Enter to paste under Wine, $runs runs: ${times[*]} ms; median $(median "${times[@]}") ms, worst $(worst "${times[@]}") ms"
echo "the target needed a repeated activation in $retried_runs of $runs runs ($retries_total repeats in all)"
[ "$wrong" -eq 0 ] || echo "$wrong of $runs pastes brought other content than the record's text (see the log above)"
