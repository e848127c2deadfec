#!/usr/bin/env bash
# Installs what is missing, builds, and runs every suite:
#   1. native build (tests, GUI offscreen, emulated module)
#   2. the same under AddressSanitizer + UndefinedBehaviorSanitizer
#   3. the Windows core, cross-built with mingw and run under wine
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
jobs=$(nproc)

scripts/install-deps.sh --windows

run_suite() {  # name build-dir cmake-args...
  local name=$1 dir=$2
  shift 2
  echo "=== $name ==="
  cmake -S "$root" -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j 1
}

run_suite "native" build -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite "asan+ubsan" build-asan -DCMAKE_BUILD_TYPE=Debug -DZEL_SANITIZE=ON
if [[ -x scripts/test-windows.sh ]]; then
  scripts/test-windows.sh
fi
if [[ -x scripts/test-extra.sh ]]; then
  scripts/test-extra.sh
fi
echo "All suites passed."
