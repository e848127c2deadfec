#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Saves a picture of the main window as it looks right after start, on a
# private virtual X display, so it also works on a machine without a screen.
#   scripts/screenshot.sh OUTPUT.png [PROGRAM [ARGS...]]
# PROGRAM defaults to build/app/zel17.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/xvfb-lib.sh"

if [[ $# -lt 1 ]]; then
  echo "usage: $0 OUTPUT.png [PROGRAM [ARGS...]]" >&2
  exit 2
fi
output=$1
shift
program=${1:-$root/build/app/zel17}
[[ $# -gt 0 ]] && shift
if [[ ! -x "$program" ]]; then
  echo "$program not found: build first (./run.sh builds it)" >&2
  exit 1
fi

workdir=$(mktemp -d)
app_pid=""
trap 'end_xvfb_session "$workdir" "$app_pid"' EXIT

start_xvfb "$workdir"
"$program" "$@" >"$workdir/program.log" 2>&1 &
app_pid=$!
if ! grab_window "$ZEL_WINDOW_TITLE" "$output" "$app_pid"; then
  cat "$workdir/program.log" >&2
  exit 1
fi
echo "$output"
