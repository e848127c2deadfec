# SPDX-License-Identifier: MIT
# Shell functions for running Windows programs under wine. Source this file;
# it defines:
#   start_wine_prefix DIR   boots a fresh, quiet wine prefix in DIR and
#                           exports WINEPREFIX; the programs then run on
#                           $DISPLAY, or without a window when it is unset
#   boot_wine_prefix DIR    the same, but the prefix as a new user of
#                           Debian's wine has it: no fonts of wine's own,
#                           only the host's

boot_wine_prefix() {
  # No Mono or Gecko install dialogs, no debug chatter.
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=d"
  local boot_log
  # Its notes (a 32-bit helper that a 64-bit-only wine lacks) matter only if it fails.
  if ! boot_log=$(wineboot -i 2>&1); then
    echo "$boot_log" >&2
    return 1
  fi
  wineserver -w
}

start_wine_prefix() {
  boot_wine_prefix "$1" || return 1
  # A Windows keeps its fonts in C:\windows\Fonts: wine's own Tahoma and
  # "MS Sans Serif" (fonts-wine) go there, as Debian's wine does not load
  # them from /usr/share/wine/fonts by itself; and Liberation, which stands
  # in for "Courier New". Qt's offscreen platform reads that folder alone
  # (WINEQT_QPA_FONTDIR); the windows one also sees the host's fonts.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [[ -d /usr/share/wine/fonts ]]; then
    cp /usr/share/wine/fonts/* "$fonts/"
  fi
  cp /usr/share/fonts/truetype/liberation/Liberation{Sans,Mono}-*.ttf "$fonts/" 2>/dev/null || true
}
