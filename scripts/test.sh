#!/usr/bin/env bash
# Installs what is missing, builds every configuration and runs every test:
# native unit tests (ASan + UBSan), short fuzz runs, the benchmarks' build,
# and the Windows build's tests under Wine (including end-to-end scenarios on
# a virtual display). Ends with one summary; exits non-zero on any failure.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
jobs=$(nproc)
logs=$repo/build/logs
mkdir -p "$logs"
declare -a summary=()
failed=0

step() { echo; echo "=== $*"; }
note() { summary+=("$1"); }

run_ctest() {  # name, ctest args...
  local name=$1; shift
  local log=$logs/ctest-$name.log
  ctest "$@" --output-on-failure 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed' "$log" | tail -n 1)
  note "$(printf '%-8s %s' "$name" "${line:-no tests ran (rc $rc)}")"
  [ "$rc" -eq 0 ] || failed=1
}

build() {  # preset
  local preset=$1
  if cmake --preset "$preset" >"$logs/configure-$preset.log" 2>&1 &&
     cmake --build --preset "$preset" -j"$jobs" >"$logs/build-$preset.log" 2>&1; then
    grep -E 'warning:' "$logs/build-$preset.log" | head -n 20
    return 0
  fi
  tail -n 40 "$logs/configure-$preset.log" "$logs/build-$preset.log"
  note "$(printf '%-8s %s' "$preset" "BUILD FAILED (see build/logs)")"
  failed=1
  return 1
}

step "set-up"
scripts/setup-debian.sh || { echo "set-up failed"; exit 1; }
scripts/wine-template.sh >/dev/null || { echo "Wine prefix set-up failed"; exit 1; }

step "native build and unit tests"
build native && run_ctest unit --preset native -j"$jobs"

step "fuzz targets"
build fuzz && run_ctest fuzz --preset fuzz -j"$jobs"

step "benchmarks (build only; run build/bench/bin/tembric_bench for figures)"
build bench && note "$(printf '%-8s %s' bench "built")"

step "Windows build and tests under Wine"
build windows && run_ctest windows --preset windows -j"$jobs"

echo
echo "=== summary"
printf '%s\n' "${summary[@]}"
if [ "$failed" -ne 0 ]; then
  echo "FAILED"
  exit 1
fi
echo "all tests passed"
