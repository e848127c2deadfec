#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the core and its tests for 64-bit Windows with mingw-w64 and
# runs them under wine through CTest, in a wine prefix of their own that is
# removed afterwards, with zel17-cli.exe also run against the emulated module
# inside the native build's test bed (zel-wine-run, in a prefix of its own);
# then the same for the window's tests that need no device, built with a Qt
# for mingw (scripts/build-windows.sh), and the release under wine on a
# virtual display (scripts/test-windows-release.sh).
# Needs: scripts/install-deps.sh --windows.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="$root/build-win"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
jobs=$(nproc)

echo "=== windows (mingw-w64 + wine) ==="

# GoogleTest for the target, built once from the sources Debian ships.
gtest_prefix="$build/googletest"
if [[ ! -f "$gtest_prefix/lib/cmake/GTest/GTestConfig.cmake" ]]; then
  cmake -S /usr/src/googletest -B "$build/googletest-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON -DCMAKE_INSTALL_PREFIX="$gtest_prefix"
  cmake --build "$build/googletest-build" -j "$jobs"
  cmake --install "$build/googletest-build"
fi

# zel17-cli.exe also runs against the emulated module, inside the native
# build's umockdev test bed (its launcher, preload and wine runner).
native="$root/build"
[[ -f "$native/CMakeCache.txt" ]] || cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$native" -j "$jobs" --target zel-testbed-launch zel-hidraw-preload

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DZEL_BUILD_GUI=OFF -DZEL_BUILD_EMULATOR=OFF \
  -DGTest_DIR="$gtest_prefix/lib/cmake/GTest" -DZEL_WINE_RUN="$native/emulator/zel-wine-run"
cmake --build "$build" -j "$jobs"

# The window for Windows, with its tests that need no device; the release
# folder, zip and installer come with it.
ZEL_BUILD_TESTS=ON GTest_DIR="$gtest_prefix/lib/cmake/GTest" scripts/build-windows.sh

# A fresh, headless wine.
source scripts/wine-lib.sh
wine_dir=$(mktemp -d /tmp/zel-wine.XXXXXX)
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$wine_dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
start_wine_prefix "$wine_dir/prefix"
wineserver -p  # one server for every test process, until cleanup ends it
# Wine's own services start with the first program and outlive it. Started
# here, they hold /dev/null rather than CTest's output pipe, which CTest
# would otherwise wait on until its time-out.
wine cmd /c exit </dev/null >/dev/null 2>&1

ctest --test-dir "$build" --output-on-failure -j 1 --timeout 600
ctest --test-dir "$root/build-win-gui" --output-on-failure -j 1 --timeout 900 -R '^gui$'
cleanup
trap - EXIT

scripts/test-windows-release.sh "$root/build-win-gui"
