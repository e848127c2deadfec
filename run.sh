#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
#   ./run.sh [ARGS...]
# Without a screen ($DISPLAY and $WAYLAND_DISPLAY empty) the program runs on a
# private virtual X display; a picture of its window is saved to
# out/zel17-start.png and the program keeps running until Ctrl+C.
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
while [[ $# -gt 0 ]]; do
  case "$1" in
    # Further modes (for instance a demonstration against the emulated
    # module) replace `launch` here and build what they need.
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
cleanup() {
  if [[ -n "$app_pid" ]]; then
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
  fi
  stop_xvfb
  rm -rf "$workdir"
}
trap cleanup EXIT
trap 'echo; echo "Stopped."; exit 0' INT TERM

start_xvfb "$workdir"
echo "No screen found: running on the virtual display $DISPLAY."
"${launch[@]}" "${program_args[@]}" &
app_pid=$!

mkdir -p "$root/out"
screenshot="$root/out/zel17-start.png"
if grab_window "$ZEL_WINDOW_TITLE" "$screenshot" "$app_pid"; then
  echo "Screenshot of the window after start: $screenshot"
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
