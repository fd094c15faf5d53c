#!/usr/bin/env bash
# Installs what is missing, checks the sources, builds every configuration and
# runs every test: formatting (clang-format) and shell scripts (shellcheck),
# native unit tests (ASan + UBSan, built with warnings as errors), short fuzz
# runs, the benchmarks' build, and the Windows build's tests under Wine
# (including end-to-end scenarios on a virtual display). Ends with one
# summary; exits non-zero on any failure.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo" || exit 1
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

# tracked PATHSPEC...: the tracked files the pathspecs match, NUL-separated,
# so that a clean clone checks the same files whatever else lies around.
tracked() {
  git ls-files -z -- "$@" | while IFS= read -r -d '' f; do
    if [ -e "$f" ]; then printf '%s\0' "$f"; fi
  done
}

check() {  # name, what a clean result is, command...
  local name=$1 clean=$2; shift 2
  local log=$logs/check-$name.log
  if "$@" >"$log" 2>&1; then
    note "$(printf '%-8s %s' "$name" "$clean")"
  else
    head -n 40 "$log"
    note "$(printf '%-8s %s' "$name" "FAILED (see build/logs/check-$name.log)")"
    failed=1
  fi
}

format_check() {
  tracked src tests tools bench fuzz plugins | grep -zE '\.(c|cc|cpp|cxx|h|hh|hpp)$' |
    xargs -0 -r clang-format --dry-run --Werror
}
shell_check() {
  tracked 'scripts/*.sh' 'tests/*.sh' 'bench/wine/*.sh' .ci/run | xargs -0 -r shellcheck -x
}

step "set-up"
scripts/setup-debian.sh || { echo "set-up failed"; exit 1; }
scripts/wine-template.sh >/dev/null || { echo "Wine prefix set-up failed"; exit 1; }

step "source checks: formatting, shell scripts"
check format "clang-format: every C/C++ source formatted" format_check
check shell "shellcheck: no findings" shell_check

step "native build (warnings as errors) and unit tests"
if build native; then
  note "$(printf '%-8s %s' werror "native build: no warnings (-Werror)")"
  run_ctest unit --preset native -j"$jobs"
fi

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
