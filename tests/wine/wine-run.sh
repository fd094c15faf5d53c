#!/usr/bin/env bash
# Runs a Windows program under Wine in a private copy of the template prefix,
# so that every run has its own wineserver, registry and temporary folder.
# Usage: tests/wine/wine-run.sh EXE [ARGS...]
# Exits with the program's exit code; the prefix and its wineserver are gone
# afterwards, whatever happened.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$repo/build"
# One template for all runs; the lock keeps concurrent first runs from
# building it twice at once.
template=$(flock "$repo/build/wine-template.lock" "$repo/scripts/wine-template.sh")

prefix=$(mktemp -d "${TMPDIR:-/tmp}/tembric-wine.XXXXXX")
cleanup() {
  WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX=$prefix wineserver -w >/dev/null 2>&1 || true
  rm -rf "$prefix"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

cp -a "$template/." "$prefix/"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64 DISPLAY=
set +e
wine "$@"
code=$?
set -e
exit "$code"
