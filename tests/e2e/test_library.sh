#!/usr/bin/env bash
# Tembric starts on a real library (1,000 records made by tembric-db): it
# still starts hidden and answers, and leaves the table files as they were
# (nothing is saved at start-up).
# shellcheck source-path=SCRIPTDIR source=lib/harness.sh
source "$(dirname "$0")/lib/harness.sh"
records=1000

[ -f "$TEMBRIC_BUILD_DIR/bin/tembric-db.exe" ] ||
  skip "tembric-db.exe is not built in $TEMBRIC_BUILD_DIR/bin; the library scenario needs it"
e2e_setup

step "generate a library of $records records"
out=$(cd "$APP" && wine tembric-db.exe generate "$(windows_path "$APP")" "$records" 2>&1) ||
  fail "tembric-db generate failed: $out"
log "$out"
printf '%s\n' "$out" | found "^generated $records records" || fail "unexpected tembric-db output: $out"
[ -s "$APP/tembric.db" ] || fail "no tembric.db after generate: $(ls "$APP")"
tables=()
for f in tembric.db win.db rel.db data.tmd; do
  if [ -f "$APP/$f" ]; then tables+=("$f"); fi
done
tables_before=$(cd "$APP" && md5sum "${tables[@]}")

step "start Tembric on it"
start_tembric
wait_started 30

step "hidden, answering, files kept"
windows=$(tembric_windows)
for cls in "${TEMBRIC_CLASSES[@]}"; do
  printf '%s\n' "$windows" | cut -f3 | found -x "$cls" || fail "no $cls window: $windows"
done
assert_eq "" "$(printf '%s\n' "$windows" | awk -F'\t' '$4 == "visible"')" "visible windows of Tembric.exe"
assert_eq "" "$(x_visible_windows_of "$TEMBRIC_PID")" "mapped X windows of Tembric"
probe answers TForm1 5 >/dev/null || fail "TForm1 does not answer"
alive "$TEMBRIC_PID" || fail "Tembric ended"
assert_eq "$tables_before" "$(cd "$APP" && md5sum "${tables[@]}")" "the table files (md5)"
# A table Tembric could not read would have been set aside under a new name.
assert_eq "" "$(cd "$APP" && find . -name '*unreadable*')" "tables set aside as unreadable"
