#!/usr/bin/env bash
# Installs what is needed, builds Tembric for Windows and starts it under Wine
# from a portable folder (build/portable; its data stays there between runs).
# Without a DISPLAY it starts a virtual display (Xvfb with openbox) and says
# which one, so that a VNC server, xwd or import can be pointed at it.
# Stays in the foreground until Tembric ends; Ctrl+C ends Tembric (it saves
# its records as at the end of a session) and the display started here.
#
# Overrides for side-by-side use: TEMBRIC_BUILD (default build/windows),
# TEMBRIC_PORTABLE (build/portable), TEMBRIC_PREFIX (build/run-prefix).
# TEMBRIC_NOTEPAD=0 starts no notepad beside Tembric (by default Wine's notepad
# is started, so that there is a program to paste into: Tembric pastes into
# the programs of its Wine session).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
build=${TEMBRIC_BUILD:-build/windows}
portable=${TEMBRIC_PORTABLE:-build/portable}
prefix=${TEMBRIC_PREFIX:-build/run-prefix}

scripts/setup-debian.sh

echo "run: building the Windows program in $build"
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)"
packaging/make-portable.sh "$build" "$portable" >/dev/null
# The sample date/time plugin, so that "*Plugins" offers its items.
mkdir -p "$portable/Plugins"
cp "$build/bin/Plugins/SampleDateTime.dll" "$portable/Plugins/"

template=$(scripts/wine-template.sh)
if [ ! -f "$prefix/.tembric-ready" ]; then
  echo "run: making the Wine prefix $prefix"
  rm -rf "$prefix"
  cp -a "$template" "$prefix"
fi
export WINEPREFIX=$repo/$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
[[ $prefix = /* ]] && export WINEPREFIX=$prefix

xvfb_pid=""
wm_pid=""
wine_pid=""
notepad_pid=""
# shellcheck disable=SC2317  # called through the EXIT trap
cleanup() {
  trap - EXIT INT TERM HUP
  # Notepad would hold the end of the session with its question about
  # unsaved text; it goes first, without asking.
  if [ -n "$notepad_pid" ]; then
    { kill -9 "$notepad_pid" && wait "$notepad_pid"; } 2>/dev/null
  fi
  if [ -n "$wine_pid" ] && kill -0 "$wine_pid" 2>/dev/null; then
    echo "run: ending Tembric"
    # The end of the session first, so that Tembric saves its records; then
    # whatever is left of the prefix's processes.
    timeout 20 wine wineboot --end-session >/dev/null 2>&1 || true
    for _ in $(seq 50); do kill -0 "$wine_pid" 2>/dev/null || break; sleep 0.1; done
    wineserver -k 2>/dev/null || true
    wait "$wine_pid" 2>/dev/null || true
  fi
  # Wine's own helper processes outlive Tembric by a few seconds; they go
  # before the display they are connected to.
  [ -n "$xvfb_pid" ] && { wineserver -k 2>/dev/null || true; }
  for pid in $wm_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  return 0
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

if [ -z "${DISPLAY:-}" ]; then
  displayfile=$(mktemp)
  # In sessions of their own, so that Ctrl+C reaches only this script, which
  # then ends Tembric cleanly before the display goes away.
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
  [ -s "$displayfile" ] || { echo "run: Xvfb did not start" >&2; exit 1; }
  DISPLAY=":$(head -n 1 "$displayfile")"
  export DISPLAY
  rm -f "$displayfile"
  setsid openbox --sm-disable >/dev/null 2>&1 &
  wm_pid=$!
  echo "run: started a virtual display on DISPLAY=$DISPLAY (Xvfb with openbox)"
  echo "run: look at it with e.g. 'DISPLAY=$DISPLAY import -window root shot.png'"
fi

# A first run gets a few records, so that there is something to paste
# before records can be made in the program itself.
if [ ! -f "$portable/tembric.db" ] && [ -f "$portable/tembric-db.exe" ]; then
  echo "run: adding a starter library to $portable"
  (
    cd "$portable"
    folder=$(wine winepath -w "$PWD" 2>/dev/null | tr -d '\r')
    wine tembric-db.exe add "$folder" '\Welcome' --memo 'Hello from Tembric!' >/dev/null
    wine tembric-db.exe add "$folder" '\Signatures\Kind regards' --memo $'Kind regards,\r\nAnna' --shortcut Ctrl+Alt+K --keydisplay sig --keystring SIG >/dev/null
    # Offered in the context folder when Tembric is called up from Wine's
    # notepad, which Tembric names "Notepad".
    wine tembric-db.exe add "$folder" '\Signatures\Thanks' --memo 'Thank you, that helps a lot.' \
      --context-enabled --context-app Notepad >/dev/null
  ) || echo "run: the starter library could not be made; Tembric starts with an empty one" >&2
fi

echo "run: starting Tembric from $portable (hidden until you call it up; Ctrl+C ends it)"
cd "$portable"
setsid wine Tembric.exe &
wine_pid=$!
if [ "${TEMBRIC_NOTEPAD:-1}" != 0 ]; then
  # Not waited for: it ends with the Wine session at Ctrl+C.
  setsid wine notepad >/dev/null 2>&1 &
  notepad_pid=$!
  echo "run: started Wine's notepad to paste into (TEMBRIC_NOTEPAD=0 starts none)"
fi
echo "run: to paste, click into notepad, press Ctrl+Alt+Z (or click Tembric's tray icon), type the first letters of a record (e.g. 'We') and press Enter"
set +e
wait "$wine_pid"
rc=$?
set -e
wine_pid=""
echo "run: Tembric ended"
exit "$rc"
