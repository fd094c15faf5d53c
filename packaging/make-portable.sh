#!/usr/bin/env bash
# Makes a ready portable folder: Tembric.exe and the files it needs, with a
# settings file that declares the current database format.
# Usage: packaging/make-portable.sh WINDOWS_BUILD_DIR DEST_FOLDER
# Existing data files in DEST_FOLDER (tables, settings) are kept.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
dest=$2
mkdir -p "$dest"
for f in Tembric.exe tembric-db.exe; do
  [ -f "$build/bin/$f" ] && cp "$build/bin/$f" "$dest/"
done
[ -f "$dest/Tembric.exe" ] || { echo "make-portable: $build/bin/Tembric.exe is missing" >&2; exit 1; }
[ -f "$dest/Tembric.ini" ] || cp "$here/Tembric.ini" "$dest/Tembric.ini"
echo "$dest"
