#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs every Debian package the project needs. Safe to run again: it only
# calls apt-get when something is missing.
#   scripts/install-deps.sh            build + run + native tests
#   scripts/install-deps.sh --windows  also the mingw cross compiler and wine
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
  umockdev libumockdev-dev libudev-dev libudev1
  xvfb xauth x11-utils xdotool imagemagick fonts-liberation fonts-dejavu-core
  clang libclang-rt-14-dev
  dpkg-dev file
  poppler-utils shared-mime-info desktop-file-utils
  librsvg2-bin scdoc bash-completion lintian appstream
  nlohmann-json3-dev
)
if [[ "${1:-}" == "--windows" ]]; then
  # nsis and zip pack the release; fonts-wine gives wine the fonts of a Windows;
  # icoutils makes the programs' .ico and reads resources back (wrestool).
  packages+=(g++-mingw-w64-x86-64-posix wine wine64 fonts-wine nsis zip icoutils)
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[[ $(id -u) -eq 0 ]] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
# Recommends are left out to keep wine small, so xauth and the translations are named above.
$SUDO apt-get install -y --no-install-recommends -o DPkg::Lock::Timeout=600 "${missing[@]}"
