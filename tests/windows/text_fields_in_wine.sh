#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The window's text fields under wine, in the caller's prefix and on its X
# display, driven by typed keys as a user drives them:
#   - the disabled "Dotyczy centralki" field (KVRnumberEdit) shows its 0,
#     and keys typed at it leave it so;
#   - "Wypełnij adresy": numbers typed over its fields, the mode of "Alarm I"
#     chosen by arrows, then Return, KP_Enter or a click on OK: the grid
#     takes the rule;
#   - "Nazwy" (the site's name typed, Return), "Etykiety" (both pitches
#     typed, Return; the insert saved by typing its name into the file
#     dialog) and "Zapisz..." (the project's name typed): the project holds
#     the names, the pitches and the filled cells.
# A field whose text is drawn out of sight (a font with too tall a line box)
# fails it too.
#   text_fields_in_wine.sh RELEASE_FOLDER WORK_FOLDER
set -uo pipefail
stage=$1
work=$2
here=$(dirname "$0")
source "$here/../../scripts/xvfb-lib.sh"
source "$here/dialog_keys.sh"
failed=0
fail() {
  echo "$*" >&2
  failed=1
}

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
# In a new prefix the first paint can come seconds after the window shows.
for ((i = 0; i < 50; ++i)); do
  [[ "$(pixel "$work/text-fields.png" 740 140)" != 0,0,0 ]] && break
  sleep 0.2
  import -window "$window" "$work/text-fields.png"
done

# KVRnumberEdit, left of its arrows: its 0, the same after a click on it,
# a digit and Return.
kvr_area=38x26+758+94
zero=$(ink "$work/text-fields.png" "$kvr_area" 60)
((zero >= 8)) || fail "KVRnumberEdit shows no 0 ($zero text pixels; $work/text-fields.png)"
click "$window" 775 105
keys 7 Return
sleep 0.5
import -window "$window" "$work/text-fields-kvr.png"
for picture in text-fields text-fields-kvr; do convert "$work/$picture.png" -crop "$kvr_area" +repage "$work/$picture-0.png"; done
changed=$(compare -metric AE "$work/text-fields-0.png" "$work/text-fields-kvr-0.png" null: 2>&1)
[[ "$changed" == 0 ]] || fail "KVRnumberEdit changed under typed keys ($changed pixels; $work/text-fields-kvr.png)"

# "Wypełnij adresy" as a user fills it: a click on the dialog (on the label
# "Od adresu", so the focus stays in its field), each number typed over the
# field's text, Tab past "Kolejne lampy", the mode of "Alarm I" by arrows
# ("bez zmian", then the modes 0-3), and the dialog finished three ways.
# Addresses 0-2 from lamp 1 on take the mode; lamp 2 of address 0 stays.
# finish    Downs  the mode's colour
fills=(
  "Return   2      255,255,0"
  "KP_Enter 3      0,0,255"
  "OK       4      255,0,0"
)
for fill in "${fills[@]}"; do
  read -r finish downs colour <<<"$fill"
  click "$window" 783 517  # "Wypełnij..."
  dialog=$(await_window "Wypełnij adresy") || { fail "\"Wypełnij...\" opened no \"Wypełnij adresy\""; continue; }
  click "$dialog" 30 18
  keys ctrl+a 0 Tab ctrl+a 2 Tab ctrl+a 1 Tab Tab $(printf 'Down %.0s' $(seq "$downs"))
  import -window "$dialog" "$work/fill-$finish-typed.png"
  typed=$(ink "$work/fill-$finish-typed.png" 160x26+90+37 50)
  ((typed >= 6)) || fail "\"Do adresu\" does not show the typed 2 ($typed text pixels)"
  if [[ $finish == OK ]]; then
    read -r width height < <(window_size "$dialog")
    click "$dialog" $((width - 145)) $((height - 22))
  else
    keys "$finish"
  fi
  await_closed "Wypełnij adresy" || { fail "$finish did not close \"Wypełnij adresy\""; continue; }
  import -window "$window" "$work/fill-$finish.png"
  cells=$(cell_colours "$work/fill-$finish.png" 5:1 8:2 11:3 5:2)
  [[ "$cells" == "$colour $colour $colour 255,255,255" ]] ||
    fail "the grid after $finish: $cells (lamps 1-3 of addresses 0-2 $colour, lamp 2 of address 0 white)"
done

# "Nazwy", "Etykiety" and the project that keeps what was typed into them.
click "$window" 783 453  # "Nazwy..."
if await_window Nazwy >/dev/null; then
  type_text "Kotlownia B2"  # into "Obiekt", which has the focus
  keys Return
  await_closed Nazwy || fail "Return did not close \"Nazwy\""
fi
click "$window" 783 421  # "Etykiety..."
if await_window Etykiety >/dev/null; then
  keys ctrl+a 3 0 Tab ctrl+a 2 4 Return  # "Rozstaw lamp" across and down, in mm
  await_closed Etykiety || fail "Return did not close \"Etykiety\""
  save_as "Zapisz wkładkę z nazwami lamp" "$work/etykiety.pdf"
  [[ "$(head -c 4 "$work/etykiety.pdf" 2>/dev/null)" == %PDF ]] || fail "no label insert in $work/etykiety.pdf"
fi
click "$window" 71 564  # "Zapisz..."
save_as "Zapisz konfigurację modułu ZEL" "$work/projekt.zelp"
project=$work/projekt.zelp
# Rows 5, 8 and 11 of the table, each a line of 25 digits.
rows=$(sed -n '/"konfiguracja"/,/]/p' "$project" 2>/dev/null | sed -n '7p;10p;13p' | tr -dc '0-9\n' | tr '\n' ' ')
grep -q '"nazwa": "Kotlownia B2"' "$project" 2>/dev/null || fail "the project lacks the typed site name ($project)"
grep -Eq '"rozstaw_poziomo_mm": 30(\.0)?,' "$project" 2>/dev/null && grep -Eq '"rozstaw_pionowo_mm": 24(\.0)?,' "$project" ||
  fail "the project lacks the typed pitches 30 and 24 mm ($project)"
[[ "$rows" == "3000000000000000000000000 0300000000000000000000000 0030000000000000000000000 " ]] ||
  fail "the project's rows 5, 8 and 11: $rows"
exit "$failed"
