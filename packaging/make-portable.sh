#!/usr/bin/env bash
# Makes a ready portable folder: Tembric.exe and the files it needs (the
# keyboard hook library it imports, HookDLL.DLL, and the companion library
# with the options dialog and the about box, tmgui.dll, which it loads from
# its own folder), the help file (Help/tembric.chm, when the build made it),
# with a settings file that declares the current database format.
# Usage: packaging/make-portable.sh WINDOWS_BUILD_DIR DEST_FOLDER
# Existing data files in DEST_FOLDER (tables, settings) are kept.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
dest=$2
mkdir -p "$dest"
for f in Tembric.exe HookDLL.DLL tmgui.dll tembric-db.exe; do
  [ -f "$build/bin/$f" ] && cp "$build/bin/$f" "$dest/"
done
for f in Tembric.exe HookDLL.DLL tmgui.dll; do
  [ -f "$dest/$f" ] || { echo "make-portable: $build/bin/$f is missing" >&2; exit 1; }
done
if [ -f "$build/bin/Help/tembric.chm" ]; then
  mkdir -p "$dest/Help"
  cp "$build/bin/Help/tembric.chm" "$dest/Help/"
fi
[ -f "$dest/Tembric.ini" ] || cp "$here/Tembric.ini" "$dest/Tembric.ini"
echo "$dest"
