# shellcheck shell=bash
# Sourced by every Wine timing script, with its arguments:
#   source library.sh WINDOWS_BUILD_DIR NAME DEADLINE
# It sets up the end-to-end harness for the Windows build in
# WINDOWS_BUILD_DIR (the scenario named NAME, with DEADLINE seconds for the
# whole run unless E2E_DEADLINE says otherwise) and the main window's helpers.
TEMBRIC_BUILD_DIR=$(cd "$1" && pwd)
export TEMBRIC_BUILD_DIR
export TEMBRIC_TEST_NAME=$2
export E2E_DEADLINE=${E2E_DEADLINE:-$3}
# shellcheck source-path=SCRIPTDIR source=../../tests/e2e/lib/harness.sh
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib" && pwd)/harness.sh"
# shellcheck source-path=SCRIPTDIR source=../../tests/e2e/lib/main_window.sh
source "$E2E_LIB/main_window.sh"

# After e2e_setup: bench_library N puts a
# library of N generated records into $APP. Generating is slow for large N,
# so each library is kept in the build folder and made again only when
# tembric-db.exe changes. Sets BENCH_RECORDS to the number of records the
# library really has (0 when tembric-db.exe is not built).
# shellcheck disable=SC2034  # BENCH_RECORDS is for the caller
# bench_library N [NAME GENERATE_OPTION...]: with a NAME, the library is
# generated with those further options of tembric-db generate and cached
# under that name.
bench_library() {
  local records=$1 f out
  local library_files=(tembric.db win.db rel.db data.tmd)
  local cache=$TEMBRIC_BUILD_DIR/bench-wine/library-$records${2:+-$2}
  local -a options=("${@:3}")
  BENCH_RECORDS=$records
  if [ ! -f "$APP/tembric-db.exe" ]; then
    log "tembric-db.exe is not built: timing an empty library"
    BENCH_RECORDS=0
  elif [ -f "$cache/.complete" ] && [ "$cache/.complete" -nt "$TEMBRIC_BUILD_DIR/bin/tembric-db.exe" ]; then
    for f in "${library_files[@]}"; do
      if [ -f "$cache/$f" ]; then cp "$cache/$f" "$APP/"; fi
    done
    log "library copied from $cache"
  else
    out=$(cd "$APP" && wine tembric-db.exe generate "$(windows_path "$APP")" "$records" "${options[@]}" 2>&1) ||
      fail "tembric-db generate failed: $out"
    log "$out"
    rm -rf "$cache"
    mkdir -p "$cache"
    for f in "${library_files[@]}"; do
      if [ -f "$APP/$f" ]; then cp "$APP/$f" "$cache/"; fi
    done
    touch "$cache/.complete"
  fi
  log "folder: $(find "$APP" -maxdepth 1 -type f -printf '%f %kK  ')"
}

# median NUMBERS...: the median, rounded to whole numbers.
median() {
  printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END {
    if (NR % 2) print v[(NR + 1) / 2]; else printf "%.0f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# worst NUMBERS...: the largest.
worst() { printf '%s\n' "$@" | sort -n | tail -n 1; }

# timed_show INDEX TRIGGER...: runs TRIGGER (the user's command that calls
# the main window up) and times it from just before until the main window is
# shown with a painted tree (tembric-probe wait-tree, started first). Sets
# SHOWN_MS and SHOWN_ITEMS (the tree's items then).
# shellcheck disable=SC2034  # SHOWN_ITEMS is for the caller
timed_show() {
  local index=$1 watch watcher t0 t1
  shift
  watch=$E2E_TMP/shown-$index.txt
  wine "$PROBE_EXE" wait-tree "$MAIN_CLASS" 2 120 >"$watch" 2>&1 &
  watcher=$!
  expect grep -q '^waiting' "$watch" 10 -- "the show watcher running"
  t0=$(date +%s.%N)
  "$@"
  wait_for ended "$watcher" 120 || fail "the main window was not shown with a painted tree within 120s"
  wait "$watcher" || fail "show not seen: $(cat "$watch")"
  read -r t1 SHOWN_ITEMS < <(awk '$1 == "ready" { print $2, $4 }' "$watch")
  SHOWN_MS=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.0f", (b - a) * 1000 }')
}

# timed_painted INDEX WINDOW TRIGGER...: runs TRIGGER (the user's command
# that opens a dialog) and times it from just before until the window WINDOW
# (a class name, or "-name TITLE") is visible with nothing left to paint in
# it or its controls (tembric-probe wait-painted, started first, polling
# every millisecond). Sets PAINTED_MS.
# shellcheck disable=SC2034  # PAINTED_MS is for the caller
timed_painted() {
  local index=$1 watch watcher t0 t1
  local -a window
  read -r -a window <<<"$2"
  shift 2
  watch=$E2E_TMP/painted-$index.txt
  wine "$PROBE_EXE" wait-painted "${window[@]}" 60 >"$watch" 2>&1 &
  watcher=$!
  expect grep -q '^waiting' "$watch" 10 -- "the dialog watcher running"
  t0=$(date +%s.%N)
  "$@"
  wait_for ended "$watcher" 60 || fail "the dialog was not shown and painted within 60s"
  wait "$watcher" || fail "dialog not seen: $(cat "$watch")"
  t1=$(awk '$1 == "ready" { print $2 }' "$watch")
  PAINTED_MS=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.0f", (b - a) * 1000 }')
}

# last_paste LOG: the latest paste line of a paste target's log.
last_paste() { grep '^paste' "$1" | tail -n 1; }

# paste_field LINE KEY: the value of a field of a paste line ("at", "waited",
# "text").
paste_field() { printf '%s\n' "$1" | awk -F'\t' -v k="$2" '{ for (i = 2; i <= NF; i++) if (index($i, k " ") == 1) print substr($i, length(k) + 2) }'; }

# timed_paste T0 LOG BEFORE TEXT KNOWN_TEXT WHAT: one timed run whose key
# (WHAT, for the messages) was sent at T0 (ms since 1970): exactly one paste
# more than BEFORE reaches the paste target's LOG, its delay after T0 is
# appended to BENCH_TIMES and logged, one that brought other content than
# TEXT counts in BENCH_WRONG; then the clipboard's text KNOWN_TEXT is back.
declare -a BENCH_TIMES=()
BENCH_WRONG=0
timed_paste() {
  local t0=$1 target_log=$2 before=$3 text=$4 known=$5 what=$6 line ms
  # shellcheck disable=SC2317  # called through wait_for
  bench_new_paste() { [ "$(target_pastes "$target_log")" -gt "$before" ]; }
  # shellcheck disable=SC2317
  bench_known_back() { [ "$(probe clipboard-text 2>/dev/null)" = "$known" ]; }
  wait_for bench_new_paste 30 || fail "no paste reached the target within 30s; debug log:"$'\n'"$(debug_log)"
  [ "$(target_pastes "$target_log")" -eq $((before + 1)) ] || fail "the $what gave $(($(target_pastes "$target_log") - before)) pastes"
  line=$(last_paste "$target_log")
  ms=$(($(paste_field "$line" at) - t0))
  BENCH_TIMES+=("$ms")
  if [ "$(paste_field "$line" text)" = "$text" ]; then
    log "pasted $ms ms after the $what (the target waited $(paste_field "$line" waited) ms for the clipboard)"
  else
    BENCH_WRONG=$((BENCH_WRONG + 1))
    log "pasted $ms ms after the $what, OTHER CONTENT: $line"
  fi
  wait_for bench_known_back 10 || fail "the clipboard's text was not put back within 10s"
}
