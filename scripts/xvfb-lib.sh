# SPDX-License-Identifier: MIT
# Shell functions for running the window on a private virtual X display.
# Source this file; it defines:
#   start_xvfb WORKDIR          starts Xvfb, exports DISPLAY, sets XVFB_PID
#   grab_window TITLE OUT [PID] waits until the window TITLE is shown, saves it as OUT
#   stop_xvfb                   ends the Xvfb started here
#   end_xvfb_session DIR [PID]  ends the program PID, then Xvfb, and removes DIR
#   window_id TITLE             the id of the window TITLE, empty when there is none
#   pixel IMAGE X Y             the colour of a pixel of a picture, as r,g,b

ZEL_WINDOW_TITLE="ZEL17 - Konfigurator tablicy synoptycznej systemu KVR17 (v1_1)"
XVFB_PID=""

start_xvfb() {
  local workdir=$1
  : >"$workdir/display"
  # -displayfd lets the server pick a free display number and report it.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$workdir/display" 2>"$workdir/xvfb.log" &
  XVFB_PID=$!
  local i
  for i in $(seq 100); do
    [[ -s "$workdir/display" ]] && break
    sleep 0.1
  done
  if [[ ! -s "$workdir/display" ]]; then
    echo "Xvfb did not start:" >&2
    cat "$workdir/xvfb.log" >&2
    return 1
  fi
  export DISPLAY=":$(head -n1 "$workdir/display")"
  unset WAYLAND_DISPLAY
  export QT_QPA_PLATFORM=xcb
}

stop_xvfb() {
  if [[ -n "$XVFB_PID" ]]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}

end_xvfb_session() {
  local workdir=$1 pid=${2:-}
  if [[ -n "$pid" ]]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  stop_xvfb
  rm -rf "$workdir"
}

window_id() {
  xwininfo -name "$1" 2>/dev/null | sed -n 's/^xwininfo: Window id: \(0x[0-9a-f]*\).*/\1/p'
}

pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

# The window is looked up by its caption; import is only given a window id,
# since with an unknown name it would wait for a mouse click.
grab_window() {
  local title=$1 output=$2 pid=${3:-} id="" i
  for i in $(seq 150); do
    id=$(window_id "$title")
    if [[ -n "$id" ]] && xwininfo -id "$id" | grep -q 'Map State: IsViewable'; then
      sleep 1  # the first paint
      import -window "$id" "$output"
      return 0
    fi
    if [[ -n "$pid" ]] && ! kill -0 "$pid" 2>/dev/null; then
      echo "the program ended before its window appeared" >&2
      return 1
    fi
    sleep 0.1
  done
  echo "the window \"$title\" did not appear" >&2
  return 1
}
