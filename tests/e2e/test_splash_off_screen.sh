#!/usr/bin/env bash
# The splash window exists during start-up, but whenever it is shown it lies
# wholly below the primary screen, its top edge 100 pixels under the screen's
# bottom, so the user never sees it. It is 250 x 129 and gone once Tembric
# has started.
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
e2e_setup

step "watch for the splash window, then start Tembric"
watch=$E2E_TMP/watch.txt
wine "$PROBE_EXE" watch-class TSplashForm 20 >"$watch" 2>&1 &
watcher=$!
E2E_BACKGROUND_PIDS+=("$watcher")
expect grep -q '^screen ' "$watch" 10 -- "the watcher running"
start_tembric

step "the splash comes and goes"
wait_exit "$watcher" 25 || fail "the watcher still runs"
log "watcher saw:"$'\n'"$(cat "$watch")"
[ "$EXIT_STATUS" -eq 0 ] || fail "the splash did not come and go: $(tail -n 1 "$watch")"
wait_started 20

step "every placement shown lies below the screen"
read -r _ width height < <(grep '^screen ' "$watch")
assert_eq "1280 1024" "$width $height" "primary screen size seen by Wine"
# Lines: rect LEFT TOP RIGHT BOTTOM client W H visible|hidden at MS.
# A hidden splash may sit anywhere (it is placed before it is shown).
shown=$(awk '$1 == "rect" && $9 == "visible"' "$watch")
[ -n "$shown" ] || fail "the splash was never shown"
while read -r _ left top right bottom _ cw ch _ _ ms; do
  [ "$top" -ge $((height + 100)) ] ||
    fail "splash shown at top $top at ${ms}ms; expected at least $((height + 100)) (screen height + 100)"
  assert_eq "250 129" "$cw $ch" "the splash's client size"
  if [ "$left" -ge "$right" ] || [ "$top" -ge "$bottom" ]; then
    fail "empty splash rectangle $left,$top,$right,$bottom"
  fi
done <<<"$shown"

step "the splash is not back after start-up"
probe wait-gone TSplashForm 0 >/dev/null || fail "a TSplashForm window exists after start-up"
