#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the Windows release that scripts/build-windows.sh made, under wine
# on a private virtual X display, as a user would meet it:
#   - zel17.exe from its folder, with the windows platform plugin: the window
#     with its caption at 850 x 614 (a picture goes to out/zel17-wine.png); a
#     file with Polish letters in its path, named on the command line, opens
#     with its cells painted; "Konfiguruj!" ends its search for the module in
#     "Error. Could not find the device." on standard output and the window
#     stays; inside the wine test bed, against the emulated module,
#     "Konfiguruj!" writes the table into the module (read back with
#     zel17-cli.exe), and a walk with verdicts takes the engineer's name and
#     a fault's comment as typed into the table's record;
#   - both programs' resources: the icon, the version information in Polish
#     with the project's version, and the window's manifest;
#   - in a prefix as a new user has it (no fonts of wine's own): the text
#     fields show their text, and the dialogs with text fields ("Wypełnij
#     adresy", "Nazwy", "Etykiety", the file dialog) take typed keys and
#     Return;
#   - the installer, silently: its files land under Program Files, the Start
#     menu has the program with its icon, the uninstall entry its size, .zel
#     files open with it, and the uninstaller takes all of that away again.
# Every check runs; the script fails at the end if any of them failed.
#   scripts/test-windows-release.sh [BUILD_DIR]   (default build-win-gui)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-$root/build-win-gui}
source scripts/xvfb-lib.sh
source scripts/wine-lib.sh
name=$(cat "$build/release-name")
stage="$root/dist/$name"
installer="$root/dist/$name-setup.exe"

echo "=== windows release under wine ($name) ==="
failures=0
check() {  # description command...: runs one check, notes a failure
  local what=$1
  shift
  if "$@"; then
    echo "ok:     $what"
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

work=$(mktemp -d /tmp/zel-wine-release.XXXXXX)
# Wine hands the program its command line in the locale's encoding.
export LC_ALL=C.UTF-8
app_pid=""
cleanup() {
  wineserver -k 2>/dev/null || true
  end_xvfb_session "$work" "$app_pid"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

start_xvfb "$work"
unset QT_QPA_PLATFORM  # the program's own platform plugin: windows
start_wine_prefix "$work/prefix"

# --- resources of both programs ------------------------------------------------
version=${name#zel17-}
version=${version%-windows-x64}
# A value of the version resource (UTF-16): its key and value are each a
# string of their own between the resource's binary fields.
version_value() {  # program key
  wrestool -x --raw --type=16 "$1" | iconv -f UTF-16LE -t UTF-8 -c | tr '\000-\037' '\n' |
    awk -v key="$2" 'found && NF { print; exit } $0 == key { found = 1 }'
}
icon_sizes() {  # program: the sizes of its first icon group, e.g. "16 24 32 48 64 256"
  wrestool -x --type=14 "$1" >"$work/icon.ico" 2>/dev/null &&
    icotool -l "$work/icon.ico" | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | sort -n | tr '\n' ' ' | sed 's/ $//'
}
resources_of() {  # program description
  local program=$stage/$1 ok=0 key value
  [[ "$(icon_sizes "$program")" == "16 24 32 48 64 256" ]] ||
    { echo "$1: icon sizes '$(icon_sizes "$program")'" >&2; ok=1; }
  for key in FileVersion ProductVersion; do
    value=$(version_value "$program" "$key")
    [[ "$value" == "$version" ]] || { echo "$1: $key '$value', the project's version is $version" >&2; ok=1; }
  done
  [[ "$(version_value "$program" FileDescription)" == "$2" ]] ||
    { echo "$1: FileDescription '$(version_value "$program" FileDescription)'" >&2; ok=1; }
  [[ "$(version_value "$program" OriginalFilename)" == "$1" ]] || { echo "$1: OriginalFilename" >&2; ok=1; }
  [[ "$(version_value "$program" ProductName)" == ZEL17 ]] || { echo "$1: ProductName" >&2; ok=1; }
  [[ "$(version_value "$program" LegalCopyright)" == *"Licencja MIT"* ]] || { echo "$1: LegalCopyright" >&2; ok=1; }
  wrestool -x --raw --type=16 "$program" | iconv -f UTF-16LE -t UTF-8 -c | grep -aq 041504B0 &&
    wrestool -l --type=16 "$program" | grep -q -- '--language=1045' ||
    { echo "$1: the version information is not Polish (041504B0, language 1045)" >&2; ok=1; }
  return "$ok"
}
check "zel17.exe has its icon and Polish version information $version" \
  resources_of zel17.exe "ZEL17 – konfigurator tablicy synoptycznej"
check "zel17-cli.exe has its icon and Polish version information $version" \
  resources_of zel17-cli.exe "ZEL17 – wiersz poleceń"
manifest_of_window() {
  wrestool -x --raw --type=24 --name=1 "$stage/zel17.exe" >"$work/manifest.xml" &&
    grep -q '<dpiAwareness[^>]*>PerMonitorV2</dpiAwareness>' "$work/manifest.xml" &&
    grep -q 'supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"' "$work/manifest.xml" &&
    grep -q 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' "$work/manifest.xml"
}
check "zel17.exe has its manifest: per-monitor DPI v2, Windows 10/11, common controls 6" manifest_of_window

# --- licences ------------------------------------------------------------------
# Every DLL staged is named in the third-party notices, whose licence texts
# are there too, beside the program's own licence.
notices_of_stage() {
  local notices=$stage/licencje/INFORMACJE.txt ok=0 dll text
  [[ -s "$stage/LICENSE.txt" ]] && grep -q "MIT License" "$stage/LICENSE.txt" || { echo "LICENSE.txt" >&2; ok=1; }
  [[ -s "$notices" ]] || { echo "no $notices" >&2; return 1; }
  while IFS= read -r dll; do
    dll=${dll#"$stage"/}
    grep -qiF "    ${dll//\//\\}"$'\r' "$notices" || { echo "no notice for $dll" >&2; ok=1; }
  done < <(find "$stage" -type f -iname '*.dll')
  for text in $(tr -d '\r' <"$notices" | grep -o '[A-Za-z0-9.-]*\.txt' | sort -u); do
    [[ "$text" == LICENSE.txt || -s "$stage/licencje/$text" ]] || { echo "no licencje/$text" >&2; ok=1; }
  done
  return "$ok"
}
check "every staged DLL has its notice and licence text (licencje\\INFORMACJE.txt)" notices_of_stage

# --- the program from its folder ---------------------------------------------
# A configuration with three cells of "adr 0. Alarm I" (row 5) set: outputs
# 1, 2 and 3 to slow blinking, fast blinking and steady light.
config_dir="$work/Konfiguracje łączności"
config_file="$config_dir/Konfiguracja łączności.zel"
mkdir -p "$config_dir"
head -c $((305 * 25)) /dev/zero >"$config_file"
set_cell() {  # row column value
  printf "$(printf '\\%03o' "$3")" | dd of="$config_file" bs=1 seek=$(($1 + $2 * 305)) conv=notrunc status=none
}
for column in $(seq 0 24); do set_cell 4 "$column" 255; done  # "(brak funckji)"
set_cell 5 0 1
set_cell 5 1 2
set_cell 5 2 3
windows_path="Z:${config_file//\//\\}"

wine "$stage/zel17.exe" "$windows_path" >"$work/stdout.txt" 2>"$work/stderr.txt" &
app_pid=$!
mkdir -p "$root/out"
screenshot="$root/out/zel17-wine.png"
# The caption names the file it opened.
window_title="$(basename "$config_file") – $ZEL_WINDOW_TITLE"
if ! grab_window "$window_title" "$screenshot" "$app_pid"; then
  cat "$work/stderr.txt" >&2
  exit 1
fi
echo "picture of the window under wine: $screenshot"
window_id=$(window_id "$window_title")
window_size=$(xwininfo -id "$window_id" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}')
check "the window \"$window_title\" is 850 x 614 (it is $window_size)" test "$window_size" = 850x614

# Cells are 24 px apart from 108,90 in the window; row 5 is at y 222.
cells_painted() {
  [[ "$(pixel "$1" 120 222)" == 255,255,0 && "$(pixel "$1" 144 222)" == 0,0,255 &&
     "$(pixel "$1" 168 222)" == 255,0,0 && "$(pixel "$1" 192 222)" == 255,255,255 ]]
}
check "the file named on the command line ($windows_path) opened with its cells painted" cells_painted "$screenshot"

xdotool mousemove --window "$window_id" 685 564 click 1  # "Konfiguruj!"
search_ended() {
  local i
  for i in $(seq 100); do
    grep -q "Error. Could not find the device." "$work/stdout.txt" && return 0
    sleep 0.2
  done
  echo "standard output:" >&2
  cat "$work/stdout.txt" >&2
  return 1
}
check "\"Konfiguruj!\" ends its search in \"Error. Could not find the device.\" on standard output" search_ended
sleep 1
window_stays() { kill -0 "$app_pid" 2>/dev/null && xwininfo -id "$window_id" | grep -q 'IsViewable'; }
check "the window stays after the failed search" window_stays
kill "$app_pid" 2>/dev/null || true
wait "$app_pid" 2>/dev/null || true
app_pid=""
wineserver -w

# --- the program against the emulated module, in the wine test bed ------------
# The native build's bed (scripts/test-windows.sh builds it).
wine_run="$root/build/emulator/zel-wine-run"
if [[ -x "$wine_run" ]]; then
  window_writes_module() {
    "$wine_run" --shell -- "$root/tests/windows/window_in_wine_bed.sh" "$stage" "$work"
  }
  check "\"Konfiguruj!\" against the emulated module writes the table that zel17-cli.exe reads back; a walk records the typed engineer and comment" \
    window_writes_module
fi

# --- the installer -------------------------------------------------------------
program_files="$WINEPREFIX/drive_c/Program Files/ZEL17"
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/ZEL17"
wine "$installer" /S
wineserver -w
all_files_landed() {
  local file missing=0
  while IFS= read -r file; do
    cmp -s "$stage/$file" "$program_files/$file" || { echo "not installed: $file" >&2; missing=1; }
  done < <(cd "$stage" && find . -type f | sed 's|^\./||')
  return "$missing"
}
check "the installer puts every file of the release under Program Files" all_files_landed
check "the Start menu has ZEL17" test -f "$start_menu/ZEL17.lnk"
# The shortcut's target is in the link's ANSI strings, beside its working folder in UTF-16.
guide_entry() {
  strings -a "$start_menu/Podręcznik ZEL17.lnk" | grep -qiF 'C:\Program Files\ZEL17\podrecznik.pdf' &&
    head -c 5 "$program_files/podrecznik.pdf" | grep -q '%PDF-'
}
check "the Start menu has \"Podręcznik ZEL17\", the guide's PDF" guide_entry
# The shortcut names an icon (HasIconLocation, 0x40 in the link's flags at
# byte 20), the installed program, which has one.
shortcut_icon() {
  local flags
  flags=$(od -An -tu1 -j20 -N1 "$start_menu/ZEL17.lnk" | tr -d ' ')
  (( flags & 0x40 )) && strings -el "$start_menu/ZEL17.lnk" | grep -qiF 'C:\Program Files\ZEL17\zel17.exe' &&
    [[ -n "$(icon_sizes "$program_files/zel17.exe")" ]]
}
check "the Start-menu shortcut shows the icon of C:\\Program Files\\ZEL17\\zel17.exe" shortcut_icon
estimated_size() {  # the uninstall entry's EstimatedSize (KiB) is the installed folder's
  local listed actual
  listed=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZEL17' /v EstimatedSize |
    tr -d '\r' | sed -n 's/.*REG_DWORD[[:space:]]*//p')
  actual=$(du -sk --apparent-size "$program_files" | cut -f1)
  [[ -n "$listed" ]] && (( listed > actual * 9 / 10 && listed < actual * 11 / 10 )) ||
    { echo "EstimatedSize '$listed' KiB, the folder holds $actual KiB" >&2; return 1; }
}
check "the uninstall entry has the installed size (EstimatedSize)" estimated_size
registry_value() { wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p'; }
associated() {
  [[ "$(registry_value 'HKCR\.zel')" == ZEL17.Konfiguracja &&
     "$(registry_value 'HKCR\ZEL17.Konfiguracja\shell\open\command')" == '"C:\Program Files\ZEL17\zel17.exe" "%1"' ]]
}
check ".zel files open with \"C:\\Program Files\\ZEL17\\zel17.exe\" \"%1\"" associated

wine "$program_files/odinstaluj.exe" /S
wineserver -w  # the uninstaller runs on from a copy of itself
check "the uninstaller removes the program's folder" test ! -e "$program_files"
check "the uninstaller removes the Start-menu entry" test ! -e "$start_menu"
not_associated() {
  ! wine reg query 'HKCR\.zel' >/dev/null 2>&1 && ! wine reg query 'HKCR\ZEL17.Konfiguracja' >/dev/null 2>&1 &&
    ! wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZEL17' >/dev/null 2>&1
}
check "the uninstaller removes the association and its own registry entry" not_associated

# --- the text fields, in a prefix as a new user has it -------------------------
# Without wine's Tahoma the window falls back on the host's fonts.
wineserver -k 2>/dev/null || true
boot_wine_prefix "$work/new-user-prefix"
text_fields_show() { tests/windows/text_fields_in_wine.sh "$stage" "$work"; }
check "in a prefix without wine's fonts, the text fields show their text and the dialogs take typed keys and Return" \
  text_fields_show

if [[ $failures -gt 0 ]]; then
  echo "windows release: $failures check(s) failed"
  exit 1
fi
echo "windows release: all checks passed"
