#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Prints the folder of a Qt for 64-bit Windows (mingw) that the window's
# Windows build uses, getting it first when needed:
#   - the ready-built archive beside the project (../shared/deps/, or
#     ZEL_QT_DEPS), unpacked once, when it is there and its checksum matches;
#   - otherwise Qt built from Debian's source by scripts/build-qt-mingw.sh,
#     once, into the cache.
# Both are kept under ${ZEL_CACHE:-~/.cache/zel17}. Messages go to stderr.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${ZEL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zel17}
deps=${ZEL_QT_DEPS:-$root/../shared/deps}
archive_name=qt6-mingw-6.4.2-x86_64.tar.xz
top_folder=qt6-mingw-6.4.2

archive_checksum() {  # prints the archive's checksum when SHA256SUMS vouches for it
  [[ -f "$deps/$archive_name" && -f "$deps/SHA256SUMS" ]] || return 1
  local listed
  listed=$(awk -v f="$archive_name" '$2 == f || $2 == "*" f {print $1}' "$deps/SHA256SUMS")
  [[ -n "$listed" ]] || return 1
  local actual
  actual=$(sha256sum "$deps/$archive_name" | cut -d' ' -f1)
  if [[ "$actual" != "$listed" ]]; then
    echo "qt-mingw: $deps/$archive_name does not match its checksum; building Qt from source" >&2
    return 1
  fi
  echo "$actual"
}

if checksum=$(archive_checksum); then
  # One folder per archive checksum: a new archive never mixes with an old one.
  unpacked="$cache/qt6-mingw-archive-${checksum:0:16}"
  if [[ ! -f "$unpacked/$top_folder/lib/cmake/Qt6/qt.toolchain.cmake" ]]; then
    echo "qt-mingw: unpacking $deps/$archive_name" >&2
    mkdir -p "$cache"
    rm -rf "$unpacked" "$unpacked.partial"
    mkdir -p "$unpacked.partial"
    tar -xJf "$deps/$archive_name" -C "$unpacked.partial"
    mv "$unpacked.partial" "$unpacked"
  fi
  echo "$unpacked/$top_folder"
else
  prefix="$cache/$top_folder"
  "$root/scripts/build-qt-mingw.sh" "$prefix" >&2
  echo "$prefix"
fi
