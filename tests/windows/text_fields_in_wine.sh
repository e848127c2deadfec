#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Looks at the window's text fields under wine, in the caller's prefix and on
# its X display: the disabled "Dotyczy centralki" field (KVRnumberEdit)
# shows its 0; "Wypełnij..." takes numbers typed into its fields, shows
# them, and Return fills the grid with the rule. A field whose text is drawn
# out of sight (a font with too tall a line box) fails it.
#   text_fields_in_wine.sh RELEASE_FOLDER WORK_FOLDER
set -uo pipefail
stage=$1
work=$2
source "$(dirname "$0")/../../scripts/xvfb-lib.sh"

# Text pixels in an area of a picture: those darker than the field's
# background and frame (disabled text is mid grey).
ink() {  # image WxH+X+Y threshold%
  convert "$1" -crop "$2" +repage -colorspace gray -threshold "$3%" -negate \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}

wine "$stage/zel17.exe" >"$work/text-fields.out" 2>"$work/text-fields.err" &
app=$!
trap 'kill "$app" 2>/dev/null' EXIT
grab_window "$ZEL_WINDOW_TITLE" "$work/text-fields.png" "$app" || exit 1
window=$(window_id "$ZEL_WINDOW_TITLE")
failed=0

# KVRnumberEdit, left of its arrows.
zero=$(ink "$work/text-fields.png" 38x26+758+94 60)
((zero >= 8)) || { echo "KVRnumberEdit shows no 0 ($zero text pixels; $work/text-fields.png)" >&2; failed=1; }

# Addresses 1-2 from lamp 3 on, "Alarm I" to "wolne miganie" (two steps
# down from "bez zmian"); focus ends on "Alarm II", off the typed fields.
xdotool mousemove --window "$window" 783 517 click 1  # "Wypełnij..."
dialog=""
for ((i = 0; i < 100; ++i)); do
  dialog=$(window_id "Wypełnij adresy")
  [[ -n "$dialog" ]] && break
  sleep 0.1
done
[[ -n "$dialog" ]] || { echo "\"Wypełnij...\" opened no \"Wypełnij adresy\"" >&2; exit 1; }
sleep 1
xdotool key --delay 100 1 Tab ctrl+a 2 Tab ctrl+a 3 Tab Tab Down Down Tab
sleep 1
import -window "$dialog" "$work/text-fields-dialog.png"
typed=$(ink "$work/text-fields-dialog.png" 160x26+90+5 50)
((typed >= 6)) || { echo "\"Od adresu\" does not show the typed 1 ($typed text pixels)" >&2; failed=1; }

xdotool key Return
for ((i = 0; i < 100; ++i)); do
  [[ -z "$(window_id "Wypełnij adresy")" ]] && break
  sleep 0.1
done
[[ -z "$(window_id "Wypełnij adresy")" ]] || { echo "Return did not close \"Wypełnij adresy\"" >&2; exit 1; }
sleep 1
import -window "$window" "$work/text-fields-filled.png"
# Cells are 24 px apart from 108,90; "adr 1. Alarm I" is row 8, "adr 2. Alarm I" row 11.
filled="$(pixel "$work/text-fields-filled.png" 168 294) $(pixel "$work/text-fields-filled.png" 192 366)"
filled+=" $(pixel "$work/text-fields-filled.png" 192 294)"
[[ "$filled" == "255,255,0 255,255,0 255,255,255" ]] ||
  { echo "the grid after the fill: $filled (lamps 3 and 4 of addresses 1 and 2 slow blinking)" >&2; failed=1; }
exit "$failed"
