#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the pictures of the guide (docs/podrecznik/*.png) again, from the
# program itself: the demo (./run.sh --demo: the emulated module, its bus
# and the demo project) on a private virtual display, driven with the pointer
# and the keys as a user would, each window saved as the screenshot scripts
# save it; the label insert and the walk's protocol are the PDFs the program
# writes, rendered. A changed window gives a changed picture:
#   scripts/guide-pictures.sh
# Env: ZEL_BUILD_DIR  the build to use (default build/, built here).
# Needs xdotool, ImageMagick and poppler-utils (scripts/install-deps.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZEL_BUILD_DIR:-$root/build}
pictures=$root/docs/podrecznik
source "$root/scripts/xvfb-lib.sh"

[[ -f "$build/CMakeCache.txt" ]] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target zel17 zel-testbed-launch

workdir=$(mktemp -d)
app_pid=""
trap 'end_xvfb_session "$workdir" "$app_pid"' EXIT
# A home, settings and records of the run's own: the user's stay as they are,
# and every run starts alike. The file dialogs open in this home.
export HOME=$workdir/home XDG_CONFIG_HOME=$workdir/config XDG_DATA_HOME=$workdir/data XDG_CACHE_HOME=$workdir/cache
mkdir -p "$HOME" "$XDG_CONFIG_HOME/ZEL17"
cp "$root/scripts/demo.zelp" "$HOME/demo.zelp"
# The walk: "adr 3. Alarm I" to "adr 5. Awaria", checked by a named engineer.
cat >"$XDG_CONFIG_HOME/ZEL17/zel17.conf" <<'EOF'
[protokol]
inzynier=Jan Kowalski

[test_po_kolei]
czas=3
od=14
do=22
EOF

start_xvfb "$workdir"
"$build/emulator/zel-testbed-launch" --delay-ms 3 --bus "$root/scripts/demo-bus.txt" -- \
  "$build/app/zel17" "$HOME/demo.zelp" >"$workdir/program.log" 2>&1 &
app_pid=$!
main_title="demo.zelp – $ZEL_WINDOW_TITLE"
mkdir -p "$pictures"
picture="$workdir/picture.png"

# Waits for the window of this title; its id.
wait_for() {
  local id="" i
  for i in $(seq 100); do
    id=$(window_id "$1" || true)  # none yet
    [[ -n "$id" ]] && xwininfo -id "$id" | grep -q 'Map State: IsViewable' && { sleep 0.7; echo "$id"; return 0; }
    sleep 0.1
  done
  echo "the window \"$1\" did not appear" >&2
  cat "$workdir/program.log" >&2
  return 1
}
# Saves a window as a picture of the guide, in as few colours as it needs.
save() {  # window-id name
  import -window "$1" "$picture"
  convert "$picture" -strip PNG8:"$pictures/$2"
  echo "$pictures/$2"
}
# The first page of a PDF the program wrote, as a picture of the guide: the
# whole sheet, or with "text" what it holds, at a size to read.
save_page() {  # pdf name [text]
  if [[ ${3:-} == text ]]; then
    pdftoppm -r 90 -H 450 -png -singlefile -f 1 -l 1 "$1" "$workdir/page"  # above the page's foot
    convert "$workdir/page.png" -trim +repage -bordercolor white -border 16 "$workdir/page.png"
  else
    pdftoppm -r 60 -png -singlefile -f 1 -l 1 "$1" "$workdir/page"
  fi
  convert "$workdir/page.png" -strip -bordercolor '#999999' -border 1 PNG8:"$pictures/$2"
  echo "$pictures/$2"
}
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }
keys() { xdotool key --delay 60 "$@"; sleep 0.3; }
typed() { xdotool type --delay 30 "$1"; sleep 0.2; }
# A name typed into the program's own save dialog, whose name field has the focus.
save_as() {  # dialog-title file
  wait_for "$1" >/dev/null
  keys ctrl+a
  typed "$2"
  keys Return
  for _ in $(seq 50); do [[ -s "$2" ]] && return 0; sleep 0.1; done
  echo "\"$1\" wrote no $2" >&2
  return 1
}

# The main window, in the window's coordinates: its page starts at 10,32;
# the buttons of the right column are 75 x 25 at x 736 of the page.
main=$(wait_for "$main_title")
save "$main" okno-glowne.png
right_column() { click "$main" 783 $((32 + $1 + 12)); }  # the button at page y $1

# "Wypełnij adresy" with the guide's example typed: addresses 0-24, each its lamp.
right_column 472
fill=$(wait_for "Wypełnij adresy")
keys Tab 2 4 Tab Tab Tab Down Down Tab End Tab Down Down Down
save "$fill" wypelnij-adresy.png
keys Escape

# "Nazwy", on its lamps.
right_column 408
names=$(wait_for "Nazwy")
keys ctrl+Tab
save "$names" nazwy.png
keys Escape

# "Etykiety...", OK: the label insert as a PDF.
right_column 376
wait_for "Etykiety" >/dev/null
keys Return
save_as "Zapisz wkładkę z nazwami lamp" "$HOME/wkladka.pdf"
save_page "$HOME/wkladka.pdf" wkladka.png

# The module gets the table ("Konfiguruj!"), so the walk checks a module that holds it.
click "$main" 695 564
sleep 3

# The board window, a walk with verdicts: two events "OK", the third "Błąd"
# with a comment being typed, as the engineer sees it.
right_column 440
board=$(wait_for "Tablica synoptyczna – ZEL17")
# The walk tab's controls, in the board window's coordinates.
click "$board" 349 138  # "Czekaj na ocenę"
click "$board" 276 217  # "Start"
sleep 2
keys Return
sleep 1
keys Return
sleep 1
keys b
typed "lampa 7 miga wolno"
sleep 0.5
save "$board" tablica-test.png
keys Return
sleep 1
keys Escape
sleep 1
click "$board" 276 479  # "Protokół...": the project's only record
save_as "Zapisz protokół sprawdzenia" "$HOME/protokol.pdf"
save_page "$HOME/protokol.pdf" protokol.png text

# The bus monitor a few seconds into the demo's bus: an Alarm I and a fault.
click "$board" 366 23   # its tab
click "$board" 270 58   # "Start"
sleep 4.5
save "$board" monitor.png
click "$board" 350 58   # "Stop"

# The field test a round into the demo's bus: the plan's events seen, the
# last one rated, and the detector the table does not know under "Poza planem".
click "$board" 472 23   # its tab
click "$board" 276 139  # "Start"
sleep 21               # a whole round of the demo bus
keys Return             # "OK" for the event seen last
sleep 1
save "$board" proba-z-obiektu.png
click "$board" 362 139  # "Stop"
