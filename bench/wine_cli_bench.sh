#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# zel17-cli.exe upload under wine, inside the test bed, against the module
# answering after 2 ms: the whole run (wine's start and device set-up, the
# upload, wine's end) over the Linux zel17-cli's whole run of the same upload
# in the same bed. It shows what wine adds; it is not a goal.
#   wine_cli_bench.sh NATIVE_BUILD ZEL17-CLI.EXE RUNS   (prints one table row)
set -euo pipefail
build=$1
windows_cli=$2
runs=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file=$work/all-off.zel
head -c 7625 /dev/zero >"$file"
for ((column = 0; column < 25; ++column)); do
  printf '\377' | dd of="$file" bs=1 seek=$((4 + column * 305)) conv=notrunc status=none
done

seconds() {  # command...: the run's wall time in seconds; fails with the command
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; return 1; }
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f\n", ns / 1e9 }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

"$build/emulator/zel-wine-run" -- "$windows_cli" --version >/dev/null 2>&1  # the prefix, once
for ((i = 0; i < runs; ++i)); do
  seconds "$build/emulator/zel-wine-run" --delay-ms 2 -- "$windows_cli" upload "$file" >>"$work/wine"
  seconds "$build/emulator/zel-testbed-launch" --delay-ms 2 -- "$build/cli/zel17-cli" upload "$file" \
    >>"$work/linux"
done
wine_s=$(median <"$work/wine")
linux_s=$(median <"$work/linux")
awk -v w="$wine_s" -v l="$linux_s" -v runs="$runs" 'BEGIN {
  printf "| zel17-cli.exe upload under wine, module answering after 2 ms: whole run / the Linux zel17-cli'"'"'s (%.2f s / %.2f s) | %.2f | %d | – | – |\n", w, l, w / l, runs
}'
