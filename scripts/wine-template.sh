#!/usr/bin/env bash
# Prepares a template Wine prefix that test runs copy (one copy per test, so
# that each has its own wineserver, clipboard and named objects).
# Usage: scripts/wine-template.sh [DIR]   (default: build/wine-template)
# Prints the prefix path. Does nothing when the prefix is already complete.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$repo/build/wine-template}
if [ -f "$dir/.tembric-ready" ]; then
  echo "$dir"
  exit 0
fi
rm -rf "$dir"
mkdir -p "$(dirname "$dir")"
export WINEPREFIX=$dir WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
# Without a display wineboot is faster and needs no X server.
DISPLAY='' wineboot -i >/dev/null 2>&1
# Keys typed with xdotool follow the window the program brings forward.
DISPLAY='' wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseTakeFocus /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w
touch "$dir/.tembric-ready"
echo "$dir"
