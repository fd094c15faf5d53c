# shellcheck shell=bash
# End-to-end harness, sourced by tests/e2e/test_*.sh (and bench/wine).
#
# e2e_setup gives the calling script, all private to it:
#   E2E_TMP      a temporary folder, removed at the end
#   DISPLAY      a fresh Xvfb display (1280x1024) with openbox running on it
#   WINEPREFIX   a copy of the template prefix, with its own wineserver
#   APP          a portable folder made by packaging/make-portable.sh
# and a trap that always tears everything down; a failed test leaves a
# screenshot in $E2E_ARTIFACTS/<test>-failure.png.
#
# Environment: TEMBRIC_BUILD_DIR (the Windows build, required),
# TEMBRIC_SOURCE_DIR, TEMBRIC_ARTIFACTS, TEMBRIC_WINE_TEMPLATE,
# TEMBRIC_TEST_NAME, E2E_DEADLINE (seconds for the whole scenario, default 120).

set -euo pipefail

E2E_LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
TEMBRIC_SOURCE_DIR=${TEMBRIC_SOURCE_DIR:-$(cd "$E2E_LIB/../../.." && pwd)}
: "${TEMBRIC_BUILD_DIR:?set TEMBRIC_BUILD_DIR to the Windows build folder}"
E2E_NAME=${TEMBRIC_TEST_NAME:-$(basename "$0" .sh)}
E2E_ARTIFACTS=${TEMBRIC_ARTIFACTS:-$TEMBRIC_BUILD_DIR/e2e-artifacts}
E2E_TEMPLATE=${TEMBRIC_WINE_TEMPLATE:-$TEMBRIC_SOURCE_DIR/build/wine-template}
E2E_DEADLINE=${E2E_DEADLINE:-120}
PROBE_EXE=$TEMBRIC_BUILD_DIR/bin/tembric-probe.exe
TEMBRIC_EXE=$TEMBRIC_BUILD_DIR/bin/Tembric.exe

# The texts Tembric shows (used by the scenarios).
# shellcheck disable=SC2034
readonly OLD_FORMAT_TEXT='Database has old format. Please, reinstall Tembric 1.1.0 to another folder.
If you want to store your records from old database purchase full version
and receive converter to the new format.'
# shellcheck disable=SC2034
readonly ALREADY_LAUNCHED_TEXT='Tembric already launched'
readonly MUTEX_NAME=TembricMutex
# The program's windows: the main window first.
# shellcheck disable=SC2034
readonly TEMBRIC_CLASSES=(TForm1 TRecordForm TSelWinForm TForm2)

export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="

E2E_START=$(date +%s.%N)
E2E_TMP=
E2E_XVFB_PID=
E2E_WM_PID=
E2E_WATCHDOG_PID=
E2E_FAILED=0
E2E_STEP=setup
declare -a E2E_TEMBRIC_PIDS=()
declare -a E2E_BACKGROUND_PIDS=()

# ---------------------------------------------------------------- reporting

e2e_elapsed() { awk -v s="$E2E_START" -v e="$(date +%s.%N)" 'BEGIN { printf "%.2f", e - s }'; }

log() { printf '[%6ss] %s\n' "$(e2e_elapsed)" "$*"; }

# step TEXT: names what the scenario does next (shown with any failure).
step() {
  E2E_STEP=$*
  log "-- $*"
}

fail() {
  E2E_FAILED=1
  printf 'FAIL [%s] in step "%s": %s\n' "$E2E_NAME" "$E2E_STEP" "$*" >&2
  exit 1
}

skip() {
  printf 'SKIP [%s]: %s\n' "$E2E_NAME" "$*"
  exit 77
}

# Prints a value for a failure message, showing invisible line ends.
e2e_show() { printf '%s' "$1" | sed -e 's/\r/\\r/g' | sed -e '1!s/^/        | /' ; }

assert_eq() {  # EXPECTED ACTUAL WHAT
  if [ "$1" != "$2" ]; then
    printf '%s differs\n  expected: %s\n  seen:     %s\n' "$3" "$(e2e_show "$1")" "$(e2e_show "$2")" >&2
    fail "$3 differs"
  fi
}

# ------------------------------------------------------------------ polling

e2e_deadline() {  # SECONDS: prints the moment SECONDS from now
  awk -v n="$(date +%s.%N)" -v s="$1" 'BEGIN { printf "%.3f", n + s }'
}

# found GREP-ARGS...: whether the input has a line that grep matches. grep -q
# stops at the first match, and with pipefail the writer of the rest of the
# input, killed by SIGPIPE, then turns the match into a failure (bash's
# printf writes a line at a time, so this happened about once in a thousand
# checks): found reads the input to its end.
found() { grep "$@" >/dev/null; }

e2e_past() {  # MOMENT: true once it has passed
  awk -v n="$(date +%s.%N)" -v e="$1" 'BEGIN { exit !(n >= e) }'
}

# wait_for CMD... SECONDS: runs CMD every 50 ms until it succeeds; false
# when SECONDS pass first.
wait_for() {
  local end
  end=$(e2e_deadline "${*: -1}")
  while :; do
    if "${@:1:$#-1}"; then return 0; fi
    if e2e_past "$end"; then return 1; fi
    sleep 0.05
  done
}

# holds CMD... SECONDS: CMD keeps succeeding, checked every 50 ms for SECONDS.
holds() {
  local end
  end=$(e2e_deadline "${*: -1}")
  while :; do
    "${@:1:$#-1}" || return 1
    if e2e_past "$end"; then return 0; fi
    sleep 0.05
  done
}

# expect CMD... SECONDS -- DESCRIPTION: wait_for, failing with DESCRIPTION.
expect() {
  local -a args=()
  while [ "$1" != -- ]; do args+=("$1"); shift; done
  shift
  wait_for "${args[@]}" || fail "not seen within ${args[-1]}s: $*"
}

# ---------------------------------------------------------------- processes

alive() {  # PID: the process exists and is not a zombie
  local state
  state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ] && [ "$state" != X ]
}

ended() { ! alive "$1"; }

# start_tembric: starts $APP/Tembric.exe with wine from its folder, in the
# background, as a user would; sets TEMBRIC_PID (a Unix pid).
E2E_STARTS=0
start_tembric() {
  E2E_STARTS=$((E2E_STARTS + 1))
  local out=$E2E_TMP/tembric-$E2E_STARTS.log
  (cd "$APP" && exec wine Tembric.exe >"$out" 2>&1) &
  TEMBRIC_PID=$!
  E2E_TEMBRIC_PIDS+=("$TEMBRIC_PID")
  log "started Tembric.exe (pid $TEMBRIC_PID)"
}

# wait_exit PID SECONDS: waits for the process to end and sets EXIT_STATUS;
# false if it still runs after SECONDS.
wait_exit() {
  wait_for ended "$1" "$2" || return 1
  EXIT_STATUS=0
  wait "$1" 2>/dev/null || EXIT_STATUS=$?
}

# ------------------------------------------------------------------- probe

# probe COMMAND ARGS...: runs tembric-probe.exe in the test's prefix; its
# output goes to stdout, its exit code is returned.
probe() {
  wine "$PROBE_EXE" "$@"
}

# probe_reading COMMAND ARGS...: a probe command that always answers
# something when it succeeds (a window's state, its controls). Once in a few
# hundred runs on a loaded machine the probe gave no reading at all (empty
# output), and a check then looked at nothing; such a probe is asked again,
# for up to 5 s. What a reading says is never made up: without one the output
# stays as the probe gave it, and so does the exit code.
probe_reading() {
  local out rc end
  end=$(e2e_deadline 5)
  while :; do
    rc=0
    out=$(probe "$@") || rc=$?
    if { [ "$rc" -eq 0 ] && [ -n "$out" ]; } || e2e_past "$end"; then break; fi
    log "probe $1 gave no reading (exit $rc, \"$out\"); asking again" >&2
    sleep 0.1
  done
  # One write, not printf's line at a time: a reader that ends early (awk's
  # exit, head) then cannot kill the writer and fail the pipeline.
  cat <<<"$out"
  return "$rc"
}

# probe_quiet COMMAND ARGS...: the same, output discarded (for wait_for).
probe_quiet() {
  wine "$PROBE_EXE" "$@" >/dev/null
}

# probe_while PID COMMAND ARGS...: a waiting probe command that gives up as
# soon as process PID ends (a crash fails at once, not at the deadline).
# Sets PROBE_OUT to the probe's output; returns its exit code, or 100 when
# PID ended first (EXIT_STATUS then holds PID's exit code). Not for $(...):
# PID must be a child of the calling shell.
probe_while() {
  local pid=$1
  shift
  local out=$E2E_TMP/probe-output
  wine "$PROBE_EXE" "$@" >"$out" 2>&1 &
  local waiter=$! rc=0
  # shellcheck disable=SC2317  # called through wait_for
  e2e_done_or_ended() { ended "$waiter" || ended "$pid"; }
  wait_for e2e_done_or_ended 600 || true
  if ended "$waiter" || ! ended "$pid"; then
    wait "$waiter" || rc=$?
  else
    kill "$waiter" 2>/dev/null || true
    wait "$waiter" 2>/dev/null || true
    EXIT_STATUS=0
    wait "$pid" 2>/dev/null || EXIT_STATUS=$?
    rc=100
  fi
  PROBE_OUT=$(cat "$out")
  return "$rc"
}

# wait_started SECONDS: Tembric has finished starting: its splash is gone, its
# main window exists and that window's thread answers messages.
wait_started() {
  local rc=0
  probe_while "$TEMBRIC_PID" wait-started TForm1 TSplashForm "$1" || rc=$?
  [ "$rc" -ne 100 ] || fail "Tembric ended during start-up (exit code $EXIT_STATUS)"
  [ "$rc" -eq 0 ] || fail "Tembric did not finish starting within $1s: $(printf '%s\n' "$PROBE_OUT" | tail -n 1)"
  log "start-up complete ($(printf '%s\n' "$PROBE_OUT" | grep '^started'))"
}

# wait_box TITLE SECONDS: a visible message box of Tembric (pid TEMBRIC_PID)
# with that caption.
wait_box() {
  local rc=0
  probe_while "$TEMBRIC_PID" wait-window -visible -name "$1" "$2" || rc=$?
  [ "$rc" -ne 100 ] || fail "Tembric ended (exit code $EXIT_STATUS) without showing a box titled \"$1\""
  [ "$rc" -eq 0 ] || fail "no visible window titled \"$1\" within $2s"
}

# tembric_windows: the probe's windows-of-exe lines for Tembric.exe
# (HWND, Windows pid, class, visible|hidden, rect, title; tab-separated).
tembric_windows() {
  probe windows-of-exe Tembric.exe || true
}

# ------------------------------------------------------------------ X side

x_visible_windows_of() {  # PID: X windows of that process that are mapped
  xdotool search --onlyvisible --pid "$1" 2>/dev/null || true
}

x_visible_titled() {  # TITLE: mapped X windows with exactly that title
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true
}

count_lines() { if [ -z "$1" ]; then echo 0; else printf '%s\n' "$1" | wc -l; fi; }

screenshot() {  # LABEL
  [ -n "${DISPLAY:-}" ] || return 0
  mkdir -p "$E2E_ARTIFACTS"
  local file=$E2E_ARTIFACTS/$E2E_NAME-$1.png
  if timeout 10 import -display "$DISPLAY" -window root "$file" 2>/dev/null; then
    log "screenshot: $file"
  fi
}

# --------------------------------------------------------------- folders

# folder_state DIR: one line per entry: path, type, size, time, content sum.
folder_state() {
  (cd "$1" && find . -mindepth 1 -printf '%P\t%y\t%s\t%T@\n' | sort | while IFS=$'\t' read -r path type size time; do
    sum=-
    [ "$type" = f ] && sum=$(md5sum <"$path" | cut -d' ' -f1)
    printf '%s\t%s\t%s\t%s\t%s\n' "$path" "$type" "$size" "$time" "$sum"
  done)
}

# windows_path UNIX_PATH: the same file as Wine's programs name it (drive Z:
# is the Unix root).
windows_path() {
  printf 'Z:%s' "${1//\//\\}"
}

# write_ini TEXT: the portable folder's settings file, with Windows line ends.
write_ini() {
  printf '%s' "$1" | sed -e 's/$/\r/' >"$APP/Tembric.ini"
}

# ------------------------------------------------------------ set-up

e2e_setup() {
  trap e2e_teardown EXIT
  trap 'fail "interrupted (signal)"' INT TERM
  [ -f "$TEMBRIC_EXE" ] || fail "$TEMBRIC_EXE is not built"
  [ -f "$PROBE_EXE" ] || fail "$PROBE_EXE is not built"

  # Past the deadline the whole scenario is stopped, and still torn down.
  # (Its output is closed so that nothing it leaves holds the test's output.)
  (
    trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
    sleep "$E2E_DEADLINE" &
    sleeper=$!
    wait "$sleeper" && kill -TERM $$
  ) </dev/null >/dev/null 2>&1 &
  E2E_WATCHDOG_PID=$!

  E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/tembric-e2e.XXXXXX")
  rm -f "$E2E_ARTIFACTS/$E2E_NAME"-*.png

  step "display"
  local fdfile=$E2E_TMP/display
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fdfile" \
    >"$E2E_TMP/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  wait_for grep -q '^[0-9]' "$fdfile" 10 || fail "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
  DISPLAY=:$(head -n 1 "$fdfile")
  export DISPLAY

  openbox --sm-disable --config-file "$E2E_LIB/openbox-rc.xml" >"$E2E_TMP/openbox.log" 2>&1 &
  E2E_WM_PID=$!
  wait_for e2e_wm_running 10 || fail "openbox did not start: $(cat "$E2E_TMP/openbox.log")"

  step "prefix"
  [ -f "$E2E_TEMPLATE/.tembric-ready" ] ||
    flock -w 300 "$E2E_TEMPLATE.lock" "$TEMBRIC_SOURCE_DIR/scripts/wine-template.sh" "$E2E_TEMPLATE" >/dev/null
  e2e_copy_prefix "$E2E_TEMPLATE" "$E2E_TMP/prefix"
  export WINEPREFIX=$E2E_TMP/prefix
  # A crash ends the program with its backtrace in its log instead of
  # keeping it alive behind Wine's crash dialog.
  printf '\n[Software\\\\Wine\\\\WineDbg] %s\n"ShowCrashDialog"=dword:00000000\n' "$(date +%s)" >>"$WINEPREFIX/user.reg"

  step "portable folder"
  APP=$E2E_TMP/app
  "$TEMBRIC_SOURCE_DIR/packaging/make-portable.sh" "$TEMBRIC_BUILD_DIR" "$APP" >/dev/null

  # The first program in a prefix starts its wineserver and Wine's own
  # services; do that now, so that Tembric's start is timed warm. A fresh
  # prefix holds no Tembric mutex: the probe must see none.
  step "wineserver"
  # The prefix's own server, kept up until the teardown even while no Wine
  # program runs.
  wineserver -p </dev/null >"$E2E_TMP/wineserver.log" 2>&1 || fail "wineserver did not start"
  local rc=0
  probe mutex-exists "$MUTEX_NAME" >/dev/null || rc=$?
  [ "$rc" -eq 1 ] || fail "fresh prefix: mutex-exists $MUTEX_NAME gave exit $rc, expected 1 (none)"
  log "ready on $DISPLAY"
}

# add_sample_plugin: the sample date/time plugin in $APP/Plugins, where a
# user's portable folder has it (scripts/run.sh puts it there too).
add_sample_plugin() {
  local dll=$TEMBRIC_BUILD_DIR/bin/Plugins/SampleDateTime.dll
  [ -f "$dll" ] || fail "$dll is not built"
  mkdir -p "$APP/Plugins"
  cp "$dll" "$APP/Plugins/"
}

# e2e_copy_prefix TEMPLATE DEST: a private prefix. The two big folders of
# Wine's own libraries (about 670 MB) are only ever read once the prefix is
# up to date, so they are hard-linked; everything else (registry, user
# folders) is copied. When Wine would update the prefix at its first start
# (the template is older than the installed Wine), it would rewrite those
# libraries, so then everything is copied.
e2e_copy_prefix() {
  local template=$1 dest=$2 wine_inf=/usr/share/wine/wine.inf
  if [ -f "$wine_inf" ] && [ "$(tr -d '\r\n' <"$template/.update-timestamp" 2>/dev/null)" = "$(stat -c %Y "$wine_inf")" ]; then
    mkdir -p "$dest"
    tar -C "$template" --exclude=./drive_c/windows/system32 --exclude=./drive_c/windows/winsxs -cf - . |
      tar -C "$dest" -xf -
    cp -al "$template/drive_c/windows/system32" "$dest/drive_c/windows/system32"
    cp -al "$template/drive_c/windows/winsxs" "$dest/drive_c/windows/winsxs"
  else
    log "template prefix predates the installed Wine: full copy"
    cp -a "$template" "$dest"
  fi
}

e2e_wm_running() {
  alive "$E2E_WM_PID" || return 1
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | found 'window id'
}

e2e_teardown() {
  local rc=$? last_command=$BASH_COMMAND
  trap - EXIT INT TERM
  set +e
  [ "$E2E_FAILED" -eq 1 ] && [ "$rc" -eq 0 ] && rc=1
  if [ "$rc" -ne 0 ] && [ "$rc" -ne 77 ]; then
    [ "$E2E_FAILED" -eq 1 ] || echo "unexpected exit $rc in step \"$E2E_STEP\" (last command: $last_command)" >&2
    log "failed (exit $rc); state at the end:"
    if [ -n "${WINEPREFIX:-}" ] && [ -d "${WINEPREFIX:-/nonexistent}" ]; then
      local windows title
      windows=$(timeout 10 wine "$PROBE_EXE" windows-of-exe Tembric.exe 2>/dev/null)
      echo "windows of Tembric.exe:"
      printf '%s\n' "$windows" | sed 's/^/  /'
      # The texts of the message boxes on screen.
      printf '%s\n' "$windows" | awk -F'\t' '$3 == "#32770" && $4 == "visible" { print $6 }' | sort -u |
        while IFS= read -r title; do
          echo "message box \"$title\":"
          timeout 10 wine "$PROBE_EXE" dialog-text "$title" 2>/dev/null | sed 's/^/  /'
        done
    fi
    screenshot failure
    local f
    for f in "$E2E_TMP"/tembric-*.log; do
      [ -s "$f" ] && { echo "$(basename "$f"):"; sed 's/^/  /' "$f"; }
    done
  fi
  [ -n "$E2E_WATCHDOG_PID" ] && kill "$E2E_WATCHDOG_PID" 2>/dev/null
  local pid
  for pid in "${E2E_BACKGROUND_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null
    timeout 20 wineserver -w 2>/dev/null
  fi
  for pid in "${E2E_TEMBRIC_PIDS[@]}" "${E2E_BACKGROUND_PIDS[@]}"; do
    alive "$pid" && kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  [ -n "$E2E_WM_PID" ] && { kill "$E2E_WM_PID" 2>/dev/null; wait "$E2E_WM_PID" 2>/dev/null; }
  [ -n "$E2E_XVFB_PID" ] && { kill "$E2E_XVFB_PID" 2>/dev/null; wait "$E2E_XVFB_PID" 2>/dev/null; }
  [ -n "$E2E_WATCHDOG_PID" ] && wait "$E2E_WATCHDOG_PID" 2>/dev/null
  [ -n "$E2E_TMP" ] && rm -rf "$E2E_TMP"
  case $rc in
    0) log "PASS $E2E_NAME" ;;
    77) log "SKIPPED $E2E_NAME" ;;
    *) log "FAIL $E2E_NAME" ;;
  esac
  exit "$rc"
}
