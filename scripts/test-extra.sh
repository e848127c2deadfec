#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Suites beyond the unit, device and window tests: bounded fuzzing of the
# configuration file loader, the CSV table reader, pasted clipboard text,
# the project reader, the walk journal reader and every command's reply
# handling (clang, libFuzzer), and the Debian package's contents. Called by
# ./test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
fuzz_seconds=${ZEL_FUZZ_SECONDS:-30}

echo "=== fuzzing (${fuzz_seconds}s per target) ==="
CC=clang CXX=clang++ cmake -S "$root" -B build-fuzz -G Ninja -DZEL_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j "$(nproc)"
for target in config_file config_csv protocol_reply row_clipboard project_file walk_journal; do
  work=$(mktemp -d)
  # A whole CSV table is about 21 kB; its seeds must not be cut.
  max_len=20000
  [[ $target == config_csv || $target == project_file ]] && max_len=40000
  # New finds go to a scratch folder; the kept corpus is only read. A crash
  # leaves its input in build-fuzz/ for reproduction.
  if ! ./build-fuzz/tests/fuzz/fuzz_$target -max_total_time="$fuzz_seconds" -max_len="$max_len" \
      -artifact_prefix="$root/build-fuzz/crash-$target-" "$work" "tests/fuzz/corpus/$target" \
      >"$work.log" 2>&1; then
    tail -n 40 "$work.log"
    echo "fuzz_$target: FAILED"
    exit 1
  fi
  tail -n 1 "$work.log"
  rm -rf "$work" "$work.log"
  echo "fuzz_$target: no crash"
done

if [[ -x scripts/check-package.sh ]]; then
  scripts/check-package.sh
fi
