#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Shows that wine, on an X display without a window manager, holds a program
# about 2 s whenever it hides a window: a bare Qt dialog, nothing of this
# program (tests/windows/wine_demo/dialog_close_demo.cpp), built with the release's Qt
# for mingw, prints how long closing it takes; in a fresh prefix on a
# private virtual display, with wine's windows managed (its default) and
# unmanaged.
#   scripts/wine-dialog-close.sh
# Needs: scripts/install-deps.sh --windows.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/xvfb-lib.sh
source scripts/wine-lib.sh
qt=$(scripts/qt-mingw.sh)
work=$(mktemp -d /tmp/zel-wine-dialog.XXXXXX)
cleanup() {
  wineserver -k 2>/dev/null || true
  end_xvfb_session "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

program=$work/dialog_close_demo.exe
x86_64-w64-mingw32-g++-posix -std=c++17 -O1 -isystem "$qt/include" -isystem "$qt/include/QtCore" \
  -isystem "$qt/include/QtGui" -isystem "$qt/include/QtWidgets" tests/windows/wine_demo/dialog_close_demo.cpp \
  -o "$program" -L"$qt/lib" -lQt6Widgets -lQt6Gui -lQt6Core
cp "$qt"/bin/{Qt6Core,Qt6Gui,Qt6Widgets,libstdc++-6,libgcc_s_seh-1,libwinpthread-1}.dll "$work/"
mkdir "$work/platforms"
cp "$qt/plugins/platforms/qwindows.dll" "$work/platforms/"

start_xvfb "$work"
unset QT_QPA_PLATFORM  # the windows platform plugin, as the release has it
start_wine_prefix "$work/prefix"
echo "wine's windows managed (its default): $(wine "$program")"
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
echo "wine's windows unmanaged:             $(wine "$program")"
