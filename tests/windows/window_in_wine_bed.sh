#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# zel17.exe against the emulated module, inside the wine test bed, on the X
# display of the caller: "Konfiguruj!" writes the table named on the command
# line into the module; a walk with verdicts takes the engineer's name and a
# fault's comment as typed, into the table's record; and zel17-cli.exe then
# reads the same table back.
# Runs under zel-wine-run --shell (the prefix and its wineserver ready):
#   zel-wine-run --shell -- window_in_wine_bed.sh RELEASE_FOLDER WORK_FOLDER
set -uo pipefail
stage=$1
work=$2
source "$(dirname "$0")/../../scripts/xvfb-lib.sh"
source "$(dirname "$0")/dialog_keys.sh"
# No walk range, engineer or board window place from an earlier run.
wine reg delete 'HKCU\Software\ZEL17' /f >/dev/null 2>&1

# Rows 5-9 of output 1 in the four modes and row 4 without a function.
file="$work/bed-table.zel"
head -c 7625 /dev/zero >"$file"
set_cell() {  # row column value
  printf "$(printf '\\%03o' "$3")" | dd of="$file" bs=1 seek=$(($1 + $2 * 305)) conv=notrunc status=none
}
for ((column = 0; column < 25; ++column)); do set_cell 4 "$column" 255; done
set_cell 5 0 1
set_cell 6 0 2
set_cell 7 0 3
set_cell 9 24 3

wine "$stage/zel17.exe" "Z:${file//\//\\}" >"$work/window.out" 2>"$work/window.err" &
app=$!
trap 'kill "$app" 2>/dev/null' EXIT
# The caption names the file it opened.
title="$(basename "$file") – $ZEL_WINDOW_TITLE"
grab_window "$title" "$work/bed-window.png" "$app" || exit 1
window=$(window_id "$title")
xdotool mousemove --window "$window" 685 564 click 1  # "Konfiguruj!"

# The upload is over when the window lets the module go again.
for ((i = 0; i < 600; ++i)); do
  grep -q "HID device stop..." "$work/window.out" && break
  sleep 0.1
done
grep -q "HID device creating read handle...OK" "$work/window.out" ||
  { echo "the window did not open the module:"; cat "$work/window.out"; exit 1; } >&2
grep -q "HID device stop..." "$work/window.out" ||
  { echo "the upload did not end"; exit 1; } >&2

# The walk from "adr 0. Alarm I" with "Czekaj na ocenę": on the first event
# B, the comment typed, Return; then Escape ends the walk.
click "$window" 783 485  # "Tablica..."
board=$(await_window "Tablica synoptyczna – ZEL17") || exit 1
# The walk's tab keeps to the window's right edge.
read -r width height < <(window_size "$board")
click "$board" $((width - 320)) 139  # "Czekaj na ocenę"
click "$board" $((width - 180)) 166  # "Sprawdzający"
type_text "Jan Kowalski"
click "$board" $((width - 406)) 218  # "Start"
# The table's records: a file each, in a folder named after the table's file.
records="$work/bed-table.zel-protokoly"
record_has() { cat "$records"/*.jsonl 2>/dev/null | grep "$1" | grep -q "$2"; }
for ((i = 0; i < 100; ++i)); do
  record_has '"type":"start"' . && break
  sleep 0.1
done
sleep 1  # the first event shown
keys b
type_text "lampa 1 ciemna"
keys Return
for ((i = 0; i < 50; ++i)); do
  record_has '"type":"verdict"' . && break
  sleep 0.1
done
keys Escape
record_has '"type":"start"' '"engineer":"Jan Kowalski"' ||
  { echo "the record does not name the typed engineer:"; cat "$records"/*.jsonl; exit 1; } >&2
record_has '"type":"verdict"' '"row":5,"verdict":"Błąd","comment":"lampa 1 ciemna"' ||
  { echo "the record lacks the fault on adr 0. Alarm I with its typed comment:"; cat "$records"/*.jsonl; exit 1; } >&2
sleep 1  # the frame without events
kill "$app" 2>/dev/null
wait "$app" 2>/dev/null
trap - EXIT

wine "$stage/zel17-cli.exe" read "Z:${work//\//\\}\\bed-read.zel" >"$work/read.out" 2>"$work/read.err" ||
  { echo "zel17-cli.exe read failed:"; cat "$work/read.err"; exit 1; } >&2
cmp "$file" "$work/bed-read.zel" || { echo "the module does not hold the window's table" >&2; exit 1; }
