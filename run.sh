#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the program and starts it.
#   ./run.sh [ARGS...]
#   ./run.sh --demo    the same program against an emulated module, no hardware
# Without a screen ($DISPLAY and $WAYLAND_DISPLAY empty) the program runs on a
# private virtual X display; a picture of its window is saved to
# out/zel17-start.png and the program keeps running until Ctrl+C. The demo
# then also edits a few cells, presses "Konfiguruj!" and "Test" and saves a
# picture after each, then opens the board window "Tablica..." on the row it
# edited (out/zel17-demo-*.png, out/zel17-demo-board.png), and of its bus
# monitor running (out/zel17-demo-monitor.png).
# ZEL_BUILD_DIR chooses another build directory than build/.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
build=${ZEL_BUILD_DIR:-$root/build}

scripts/install-deps.sh
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEL_BUILD_GUI=ON
cmake --build "$build" -j "$(nproc)" --target zel17

# What gets started. Options of this script are taken here; everything else
# is passed on to the program.
launch=("$build/app/zel17")
program_args=()
demo=0
title_prefix=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    # Further modes (for instance a demonstration against the emulated
    # module) replace `launch` here and build what they need.
    --demo)
      # The real program, started by the test bed's launcher so that it finds
      # an emulated module as /dev/hidraw0. The module takes a few
      # milliseconds per answer, so the progress of an upload can be seen.
      demo=1
      cmake -S "$root" -B "$build" -DZEL_BUILD_EMULATOR=ON >/dev/null
      cmake --build "$build" -j "$(nproc)" --target zel-testbed-launch
      # Its bus carries a short loop of events for the bus monitor.
      launch=("$build/emulator/zel-testbed-launch" --delay-ms 3 --bus "$root/scripts/demo-bus.txt" -- "$build/app/zel17")
      # A project with a site, lamp and address names; its table lights lamps
      # for the events the bus plays.
      program_args+=("$root/scripts/demo.zelp")
      # The caption names the file it opened.
      title_prefix="demo.zelp – "
      ;;
    *) program_args+=("$1") ;;
  esac
  shift
done

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec "${launch[@]}" "${program_args[@]}"
fi

# No screen: a virtual one.
source "$root/scripts/xvfb-lib.sh"
workdir=$(mktemp -d)
app_pid=""
trap 'end_xvfb_session "$workdir" "$app_pid"' EXIT
trap 'echo; echo "Stopped."; exit 0' INT TERM

# What a user would do in the demo, with the pointer: points are in the
# window's coordinates (the page of the tab control starts at 10,32; the
# grid's cells are 24 px from 108,90; the buttons are 75 x 25).
demo_on_virtual_display() {
  local out=$1 id
  if ! command -v xdotool >/dev/null; then
    echo "(xdotool is missing: the demo is not driven on the virtual display)"
    return 0
  fi
  id=$(xwininfo -name "$title_prefix$ZEL_WINDOW_TITLE" | sed -n 's/^xwininfo: Window id: \(0x[0-9a-f]*\).*/\1/p')
  click() { xdotool mousemove --window "$id" "$1" "$2" click 1; sleep 0.2; }
  # "adr 0. Alarm I" (row 5): outputs 1, 2 and 3 slow, fast and steady.
  click 119 221
  click 143 221; click 143 221
  click 167 221; click 167 221; click 167 221
  click 695 564  # "Konfiguruj!"
  sleep 2
  import -window "$id" "$out/zel17-demo-upload.png"
  echo "Screenshot after a few cells were set and \"Konfiguruj!\" was pressed: $out/zel17-demo-upload.png"
  click 783 564  # "Test", for the selected row
  sleep 1
  import -window "$id" "$out/zel17-demo-test.png"
  echo "Screenshot after \"Test\": $out/zel17-demo-test.png"
  # Back to "adr 0. Alarm I" and its lamps in the board window.
  xdotool key Up
  sleep 0.2
  click 783 484  # "Tablica..."
  sleep 1
  local board
  board=$(xdotool search --name "Tablica synoptyczna" | head -n1)
  if [[ -n "$board" ]]; then
    import -window "$board" "$out/zel17-demo-board.png"
    echo "Screenshot of the board window: $out/zel17-demo-board.png"
    # The bus monitor: its tab, "Start", and a few seconds of the demo's bus.
    xdotool mousemove --window "$board" 366 23 click 1
    sleep 0.5
    xdotool mousemove --window "$board" 270 58 click 1
    sleep 4.5
    import -window "$board" "$out/zel17-demo-monitor.png"
    echo "Screenshot of the bus monitor: $out/zel17-demo-monitor.png"
  fi
}

start_xvfb "$workdir"
echo "No screen found: running on the virtual display $DISPLAY."
[[ $demo -eq 1 ]] && echo "Demo: the program talks to an emulated module."
"${launch[@]}" "${program_args[@]}" &
app_pid=$!

mkdir -p "$root/out"
screenshot="$root/out/zel17-start.png"
[[ $demo -eq 1 ]] && screenshot="$root/out/zel17-demo-start.png"
if grab_window "$title_prefix$ZEL_WINDOW_TITLE" "$screenshot" "$app_pid"; then
  echo "Screenshot of the window after start: $screenshot"
  [[ $demo -eq 1 ]] && demo_on_virtual_display "$root/out"
else
  echo "Could not take a screenshot of the window." >&2
fi
echo "The program is running; press Ctrl+C to stop it."
set +e
wait "$app_pid"
status=$?
app_pid=""
echo "The program ended (exit code $status)."
exit "$status"
