#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs every suite:
#   1. native build (tests, GUI offscreen, emulated module, every benchmark),
#      and the benchmarks once briefly (scripts/bench.sh --quick)
#   2. the same under AddressSanitizer + UndefinedBehaviorSanitizer
#   3. the Windows core and the window's device-free tests, cross-built with
#      mingw and run under wine, and the Windows release (zip, installer)
#      checked under wine
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
jobs=$(nproc)
# Everything is also kept in a log so the closing line can sum up the suites.
mkdir -p out
log=out/test.log
exec > >(tee "$log") 2>&1

scripts/install-deps.sh --windows

run_suite() {  # name build-dir cmake-args...
  local name=$1 dir=$2
  shift 2
  echo "=== $name ==="
  cmake -S "$root" -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j 1
}

# The native build also builds every benchmark, so none can stop building unseen.
run_suite "native" build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEL_BUILD_BENCH=ON
# And runs them once, briefly, when that stays under a minute on this machine.
echo "=== benchmarks (bench.sh --quick) ==="
bench_status=0
ZEL_BENCH_BUILD_DIR="$root/build" timeout --kill-after=10 60 scripts/bench.sh --quick || bench_status=$?
if [[ $bench_status -eq 124 ]]; then
  echo "bench.sh --quick took over a minute here: left unfinished (its build passed above)"
elif [[ $bench_status -ne 0 ]]; then
  echo "bench.sh --quick failed ($bench_status)"
  exit 1
fi
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite "asan+ubsan" build-asan -DCMAKE_BUILD_TYPE=Debug -DZEL_SANITIZE=ON
if [[ -x scripts/test-windows.sh ]]; then
  scripts/test-windows.sh
fi
if [[ -x scripts/test-extra.sh ]]; then
  scripts/test-extra.sh
fi
# One closing line over every CTest run above (each CTest test is a suite binary).
passed=0
failed=0
while read -r p f; do
  passed=$((passed + p)); failed=$((failed + f))
done < <(sed -n 's/.*tests passed, \([0-9]*\) tests\? failed out of \([0-9]*\).*/\2 \1/p' "$log" |
         awk '{print $1 - $2, $2}')
echo "All suites passed."
echo "ctest: $passed passed, $failed failed"
