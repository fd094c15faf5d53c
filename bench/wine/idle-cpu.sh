#!/usr/bin/env bash
# Processor time that the real Tembric.exe uses under Wine while it sits in
# the background (its 200 ms sampling timer running), on a library of N
# records.
#
# Usage: bench/wine/idle-cpu.sh WINDOWS_BUILD_DIR [N] [SECONDS]
#   N        records in the library (default 100000)
#   SECONDS  length of the measurement (default 60)
#
# Starts Tembric, waits until it runs in the background, lets it settle for
# 5 s, then reads utime+stime of its process from /proc/PID/stat before and
# after SECONDS and prints the share of one core. The prefix's wineserver,
# through which every timer message and window query passes, is measured
# over the same span and printed separately.
set -euo pipefail
[ $# -ge 1 ] || { sed -n '2,14p' "$0"; exit 2; }
records=${2:-100000}
seconds=${3:-60}
# shellcheck source-path=SCRIPTDIR source=library.sh
source "$(dirname "$0")/library.sh" "$1" idle-cpu 3600

# cpu_ticks PID: user plus system time of the process so far, in clock ticks
# (fields 14 and 15 of /proc/PID/stat; the name in field 2 may hold blanks).
cpu_ticks() { sed -e 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }

e2e_setup

step "library of $records records"
bench_library "$records"
records=$BENCH_RECORDS

step "start Tembric"
start_tembric
wait_started 600
# The wineserver of this prefix (other prefixes may have their own).
server=
for p in $(pgrep wineserver || true); do
  if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | found -x "WINEPREFIX=$WINEPREFIX"; then server=$p; fi
done
[ -n "$server" ] || fail "the prefix's wineserver was not found"

step "settle"
# Start-up work (loading the tables, building the tree) is over once the
# message loop runs; 5 s more let Wine's own start-up services quieten.
sleep 5  # a fixed span, not a wait for a condition
probe window-state TForm1 | found -x 'visible 0' || fail "the main window is not hidden"

step "measure $seconds s"
hz=$(getconf CLK_TCK)
a=$(cpu_ticks "$TEMBRIC_PID")
sa=$(cpu_ticks "$server")
t0=$(date +%s.%N)
sleep "$seconds"  # the measurement span itself
alive "$TEMBRIC_PID" || fail "Tembric ended during the measurement"
b=$(cpu_ticks "$TEMBRIC_PID")
sb=$(cpu_ticks "$server")
t1=$(date +%s.%N)

echo
awk -v a="$a" -v b="$b" -v sa="$sa" -v sb="$sb" -v hz="$hz" -v t0="$t0" -v t1="$t1" -v n="$records" 'BEGIN {
  span = t1 - t0
  printf "Tembric in the background under Wine, %d records, %.1f s: Tembric.exe %.2f s CPU = %.2f%% of one core;", n, span, (b - a) / hz, 100 * (b - a) / hz / span
  printf " its wineserver %.2f s = %.2f%%\n", (sb - sa) / hz, 100 * (sb - sa) / hz / span
}'
