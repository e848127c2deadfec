# SPDX-License-Identifier: MIT
# Shell functions for driving the window under wine by real X input
# (xdotool), on the caller's X display. Source after scripts/xvfb-lib.sh.
#   shown_window TITLE        the id of the shown window TITLE, empty when none
#   await_window TITLE        waits for it to be shown and prints its id
#   await_closed TITLE        waits until no window TITLE is shown
#   window_size WINDOW        its width and height
#   click WINDOW X Y          a left click at X,Y of WINDOW
#   keys KEY...               key presses ("ctrl+a", "Tab", "Return")
#   type_text TEXT            types TEXT
#   save_as TITLE FILE        in the file dialog TITLE, the name FILE typed
#                             over the one proposed, then Return
#   cell_colours IMAGE ROW:LAMP...  the colours of grid cells in a picture of
#                             the window
# Wine on an X display without a window manager holds the program about 2 s
# whenever it hides a window: it waits for the manager to mark the window
# withdrawn (WM_STATE), and gives up after 2 s. A dialog closed by Return or
# OK therefore goes, and its result shows, that much later; the waits here
# allow for it.

shown_window() {
  local id
  # Top-level windows are the root's children; a hidden one keeps its X window for a while.
  for id in $(xwininfo -root -children 2>/dev/null | awk -F'"' -v title="$1" '$2 == title {split($1, f, " "); print f[1]}'); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && { echo "$id"; return 0; }
  done
}

await_window() {
  local id="" i
  for ((i = 0; i < 150; ++i)); do
    id=$(shown_window "$1")
    [[ -n "$id" ]] && break
    sleep 0.1
  done
  [[ -n "$id" ]] || { echo "\"$1\" did not open" >&2; return 1; }
  sleep 0.5  # its first paint and focus
  echo "$id"
}

await_closed() {
  local i
  for ((i = 0; i < 150; ++i)); do
    [[ -z "$(shown_window "$1")" ]] && { sleep 0.3; return 0; }
    sleep 0.1
  done
  echo "\"$1\" stayed open" >&2
  return 1
}

window_size() { xwininfo -id "$1" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w, h}'; }
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }
keys() { xdotool key --delay 50 "$@"; }
type_text() { xdotool type --delay 50 "$1"; }

save_as() {
  await_window "$1" >/dev/null || return 1
  keys ctrl+a
  type_text "Z:$2"  # Qt's dialog takes the Windows drive with / as separator
  keys Return
  await_closed "$1"
}

# Cells are 24 px apart from 108,90 in the window: row R, lamp L at
# 96 + 24 L, 102 + 24 R.
cell_colours() {
  local image=$1 cell colours=()
  shift
  for cell in "$@"; do colours+=("$(pixel "$image" $((96 + 24 * ${cell#*:})) $((102 + 24 * ${cell%:*})))"); done
  echo "${colours[*]}"
}
