#!/usr/bin/env bash
# Runs a Windows program under Wine in a private copy of the template prefix,
# so that every run has its own wineserver, registry and temporary folder.
# Usage: tests/wine/wine-run.sh [--display] EXE [ARGS...]
# Without --display the program runs with no X display (files, registry,
# kernel objects only). With --display it gets a private Xvfb display of its
# own, which windows, foreground changes and DDE between processes need.
# Exits with the program's exit code; the prefix, its wineserver and the Xvfb
# are gone afterwards, whatever happened.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
with_display=0
if [ "${1:-}" = --display ]; then
  with_display=1
  shift
fi
mkdir -p "$repo/build"
# One template for all runs; the lock keeps concurrent first runs from
# building it twice at once.
template=$(flock "$repo/build/wine-template.lock" "$repo/scripts/wine-template.sh")

prefix=$(mktemp -d "${TMPDIR:-/tmp}/tembric-wine.XXXXXX")
xvfb_pid=
# shellcheck disable=SC2317  # called through the EXIT trap
cleanup() {
  WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX=$prefix wineserver -w >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$prefix"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

cp -a "$template/." "$prefix/"
display=
if [ "$with_display" = 1 ]; then
  # Xvfb picks a free display and writes its number to fd 3 once it accepts
  # connections.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$prefix/.display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    if [ -s "$prefix/.display" ]; then break; fi
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then break; fi
    sleep 0.05
  done
  number=$(head -n 1 "$prefix/.display" 2>/dev/null || true)
  if [ -z "$number" ]; then
    echo "wine-run.sh: Xvfb did not start" >&2
    exit 1
  fi
  display=:$number
fi
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64 DISPLAY=$display
set +e
wine "$@"
code=$?
set -e
exit "$code"
