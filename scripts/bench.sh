#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the benchmarks (build-bench/) and prints their results as one
# Markdown table: medians of several runs, the goal, and whether it is met.
#   scripts/bench.sh [--quick]
# Everything runs on a private virtual X display (Xvfb), so the figures do
# not depend on the desktop, and the window is the real one with its real
# repaints. --quick runs fewer rounds (a smoke test of the benchmarks).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZEL_BENCH_BUILD_DIR:-$root/build-bench}

# A start takes a fifth of a second, and its row scatters: many rounds are cheap.
runs=21 delayed_runs=9 console_repeats=5 startup_runs=61 monitor_cpu_runs=3
if [[ "${1:-}" == "--quick" ]]; then
  runs=3 delayed_runs=2 console_repeats=1 startup_runs=3 monitor_cpu_runs=1
fi

"$root/scripts/install-deps.sh"
# A folder configured before (./test.sh's build) keeps its settings and gains the benchmarks.
configure=(-DZEL_BUILD_BENCH=ON)
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  configure+=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEL_BUILD_TESTS=OFF)
fi
build_log=$(mktemp)
# A benchmark that no longer builds must say why, not end the script without a word.
if ! cmake -S "$root" -B "$build" "${configure[@]}" >"$build_log" 2>&1 ||
   ! cmake --build "$build" -j "$(nproc)" --target bench_upload bench_cli bench_monitor bench_startup \
     zel-testbed-launch zel-hidraw-preload zel17-cli >>"$build_log" 2>&1; then
  cat "$build_log" >&2
  rm -f "$build_log"
  echo "bench.sh: the benchmarks do not build (above)" >&2
  exit 1
fi
rm -f "$build_log"

source "$root/scripts/xvfb-lib.sh"
workdir=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$workdir"' EXIT
start_xvfb "$workdir"

# The window's own rows; the transport's trace on standard output is dropped.
LD_PRELOAD=libumockdev-preload.so.0 "$build/bench/bench_upload" --runs "$runs" \
  --delayed-runs "$delayed_runs" --console-uploads 100 --console-repeats "$console_repeats" \
  >"$workdir/upload.out" 2>"$workdir/upload.err" || {
  cat "$workdir/upload.err" >&2
  exit 1
}
LD_PRELOAD=libumockdev-preload.so.0 "$build/bench/bench_cli" "$build/cli/zel17-cli" --runs "$runs" \
  --delayed-runs "$delayed_runs" >"$workdir/cli.out" 2>"$workdir/cli.err" || {
  cat "$workdir/cli.err" >&2
  exit 1
}
# What wine adds, when the Windows build (scripts/test-windows.sh) is there.
windows_cli=${ZEL_WINDOWS_CLI:-$root/build-win/cli/zel17-cli.exe}
if [[ -f "$windows_cli" ]]; then
  "$root/bench/wine_cli_bench.sh" "$build" "$windows_cli" "$delayed_runs" >>"$workdir/cli.out"
fi
LD_PRELOAD=libumockdev-preload.so.0 "$build/bench/bench_monitor" "$build/cli/zel17-cli" --runs "$runs" \
  --cpu-runs "$monitor_cpu_runs" >"$workdir/monitor.out" 2>"$workdir/monitor.err" || {
  cat "$workdir/monitor.err" >&2
  exit 1
}
"$build/bench/bench_startup" "$build/app/zel17" "$build/bench/bench_bare_window" \
  "$build/bench/libzel_first_paint_probe.so" "$startup_runs" >"$workdir/startup.out" 2>"$workdir/startup.err" || {
  cat "$workdir/startup.err" >&2
  exit 1
}

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)
qt=$(dpkg-query -W -f='${Version}' libqt6widgets6 2>/dev/null || echo "?")
echo "| measure | median | runs | goal | |"
echo "|---|---|---|---|---|"
grep -h '^|' "$workdir/upload.out" "$workdir/cli.out" "$workdir/monitor.out" "$workdir/startup.out"
echo
echo "$(date -u +%Y-%m-%d), ${cpu:-unknown CPU}, $(nproc) cores, Qt $qt, Xvfb (xcb), RelWithDebInfo build"
