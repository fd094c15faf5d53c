#!/usr/bin/env bash
# Start-up time of the real Tembric.exe under Wine, on a library of N records.
#
# Usage: bench/wine/startup-time.sh WINDOWS_BUILD_DIR [N] [RUNS] [ITEMS]
#   N      records in the library (default 100000; made with tembric-db
#          generate when tembric-db.exe is built, else the library is empty)
#   RUNS   timed starts (default 5)
#   ITEMS  plugin items (default 0): the test plugin ItemsPlugin.dll in
#          Plugins, offering that many items, twenty to a folder
#
# Measures, with a warm wineserver on a private Xvfb display, the time from
# the moment the process is started until the splash window is gone and the
# main window's thread answers messages (the message loop runs). Each start
# is ended before the next (the library is never saved in between). Prints
# every run and the median.
set -euo pipefail
[ $# -ge 1 ] || { sed -n '2,16p' "$0"; exit 2; }
records=${2:-100000}
runs=${3:-5}
plugin_items=${4:-0}
# shellcheck source-path=SCRIPTDIR source=library.sh
source "$(dirname "$0")/library.sh" "$1" startup-time 3600

e2e_setup

step "library of $records records"
bench_library "$records"
records=$BENCH_RECORDS

if [ "$plugin_items" -gt 0 ]; then
  step "$plugin_items plugin items"
  plugin=$TEMBRIC_BUILD_DIR/bin/test-plugins/ItemsPlugin.dll
  [ -f "$plugin" ] || fail "$plugin is not built"
  mkdir -p "$APP/Plugins"
  cp "$plugin" "$APP/Plugins/"
  printf '[Items]\r\nCount=%s\r\n' "$plugin_items" >"$APP/Plugins/ItemsPlugin.ini"
fi

mutex_gone() { ! probe_quiet mutex-exists "$MUTEX_NAME"; }

declare -a times=()
for ((i = 1; i <= runs; i++)); do
  step "run $i of $runs"
  watch=$E2E_TMP/started-$i.txt
  wine "$PROBE_EXE" wait-started TForm1 TSplashForm 600 >"$watch" 2>&1 &
  watcher=$!
  expect grep -q '^watching' "$watch" 10 -- "the start-up watcher running"
  t0=$(date +%s.%N)
  start_tembric
  wait_for ended "$watcher" 600 || fail "no complete start-up within 600s"
  wait "$watcher" || fail "start-up not seen: $(cat "$watch")"
  t1=$(awk '$1 == "started" { print $2 }' "$watch")
  ms=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.0f", (b - a) * 1000 }')
  times+=("$ms")
  log "start-up took $ms ms"
  if [ "$plugin_items" -gt 0 ] && [ "$i" -eq 1 ]; then
    # The plugin's folder below "*Plugins": the items were made.
    top=$(probe tree-items TForm1 | awk '$1 == "item" && $2 == 0 { sub(/^item [0-9]+ -?[0-9]+ [a-z]+ [a-z-]+ /, ""); print; exit }')
    [ "$top" = '*Plugins (1)' ] || fail "the plugin items are missing: the first top-level item is \"$top\""
  fi

  kill -TERM "$TEMBRIC_PID" 2>/dev/null || true
  wait_exit "$TEMBRIC_PID" 10 || { kill -KILL "$TEMBRIC_PID" 2>/dev/null || true; wait_exit "$TEMBRIC_PID" 10; }
  expect mutex_gone 10 -- "$MUTEX_NAME released after run $i"
done

median=$(median "${times[@]}")
echo
echo "Tembric start-up under Wine, $records records, $plugin_items plugin items: runs ${times[*]} ms; median $median ms"
