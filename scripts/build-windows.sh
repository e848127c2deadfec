#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Windows release on Linux: the window (zel17.exe) and, when the
# project has it, the command line (zel17-cli.exe), cross-built with mingw
# against a Qt for mingw (scripts/qt-mingw.sh: the ready-built archive, or
# built once from Debian's source); stages them with everything they load in
# dist/zel17-VERSION-windows-x64/ with the guide's PDF, zips that folder and
# packs it into an installer (packaging/windows/zel17.nsi).
#   scripts/build-windows.sh
# Env: ZEL_WIN_BUILD  build folder (default build-win-gui)
#      ZEL_BUILD_DIR  the Linux build whose zel17 makes the guide's PDF (default build)
#      ZEL_BUILD_TESTS=ON and GTest_DIR (a GoogleTest built for mingw) also
#      build the window's tests (test_gui); scripts/test-windows.sh does that.
# Needs: scripts/install-deps.sh --windows.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${ZEL_WIN_BUILD:-$root/build-win-gui}
jobs=$(nproc)
mingw=x86_64-w64-mingw32

qt=$(scripts/qt-mingw.sh)
cmake_args=(
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release
  -DZEL_MINGW_STATIC_RUNTIME=OFF
  -DCMAKE_FIND_ROOT_PATH="$qt" -DCMAKE_PREFIX_PATH="$qt"
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DZEL_BUILD_EMULATOR=OFF -DZEL_BUILD_TESTS="${ZEL_BUILD_TESTS:-OFF}"
)
[[ -n "${GTest_DIR:-}" ]] && cmake_args+=(-DGTest_DIR="$GTest_DIR")
cmake -S "$root" -B "$build" -G Ninja "${cmake_args[@]}" >/dev/null

# zel17-cli is built and shipped wherever the project defines it.
targets=(zel17)
ninja -C "$build" -t query zel17-cli >/dev/null 2>&1 && targets+=(zel17-cli)
# The window's tests that need no device; the core's have a build of their own.
tests=()
[[ "${ZEL_BUILD_TESTS:-OFF}" == ON ]] && tests=(test_gui)
cmake --build "$build" -j "$jobs" --target "${targets[@]}" "${tests[@]}"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name="zel17-$version-windows-x64"
dist="$root/dist"
stage="$dist/$name"
echo "$name" >"$build/release-name"  # for scripts/test-windows-release.sh
echo "=== staging $stage ==="
rm -rf "$stage"
mkdir -p "$stage"

# DLLs are found from what each program and plugin imports, recursively.
# Whatever is not in Qt or the mingw runtime belongs to Windows itself.
dll_dirs=("$qt/bin" /usr/lib/gcc/$mingw/12-posix /usr/$mingw/lib /usr/$mingw/bin)
declare -A staged_dlls=()
windows_dlls=()
imports_of() { "$mingw-objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p'; }
find_dll() {
  local dir found
  for dir in "${dll_dirs[@]}"; do
    found=$(find "$dir" -maxdepth 1 -iname "$1" -print -quit 2>/dev/null)
    [[ -n "$found" ]] && { echo "$found"; return 0; }
  done
  return 1
}
stage_imports() {  # binary: copies the DLLs it loads, and theirs, beside the programs
  local dll path
  for dll in $(imports_of "$1"); do
    [[ -n "${staged_dlls[${dll,,}]:-}" ]] && continue
    staged_dlls[${dll,,}]=1
    if path=$(find_dll "$dll"); then
      install -m644 "$path" "$stage/"
      stage_imports "$path"
    else
      windows_dlls+=("$dll")
    fi
  done
}

for target in "${targets[@]}"; do
  program=$(find "$build" -name "$target.exe" -not -path '*/CMakeFiles/*' -print -quit)
  [[ -n "$program" ]] || { echo "$target.exe was not built" >&2; exit 1; }
  install -m755 "$program" "$stage/"
  stage_imports "$program"
done
# Plugins Qt loads at run time: the platform and the native style.
for plugin in platforms/qwindows.dll styles/qwindowsvistastyle.dll; do
  mkdir -p "$stage/$(dirname "$plugin")"
  install -m644 "$qt/plugins/$plugin" "$stage/$plugin"
  stage_imports "$qt/plugins/$plugin"
done
mkdir -p "$stage/translations"
install -m644 /usr/share/qt6/translations/qtbase_pl.qm "$stage/translations/"
# Qt looks for its plugins and translations beside the program, not where it was built.
printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\nTranslations = translations\r\n' >"$stage/qt.conf"
# The guide, as the program's "Pomoc" shows it: the PDF the program makes of
# it (zel17 --guide-pdf) in the Linux build, from the same sources.
native=${ZEL_BUILD_DIR:-$root/build}
[[ -f "$native/CMakeCache.txt" ]] || cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$native" -j "$jobs" --target zel_guide_pdf
install -m644 "$native/app/podrecznik.pdf" "$stage/podrecznik.pdf"
# Notepad shows a UTF-8 text with Windows line ends and a byte order mark.
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' packaging/windows/CZYTAJ.txt; } >"$stage/CZYTAJ.txt"
# The project's licence and the notices of every third-party file staged.
scripts/windows-notices.sh "$stage" "$qt"
echo "left to Windows: $(printf '%s\n' "${windows_dlls[@]}" | sort -f | tr '\n' ' ')"

zip_file="$dist/$name.zip"
rm -f "$zip_file"
(cd "$dist" && zip -q -r -X "$zip_file" "$name")

# The uninstaller removes exactly the staged files, then the folders left empty.
file_list="$build/zel17-uninstall-files.nsh"
{
  (cd "$stage" && find . -type f | sort) | sed 's|^\./||; s|/|\\|g; s|.*|  Delete "$INSTDIR\\&"|'
  (cd "$stage" && find . -mindepth 1 -type d | sort -r) | sed 's|^\./||; s|/|\\|g; s|.*|  RMDir "$INSTDIR\\&"|'
} >"$file_list"
installer="$dist/$name-setup.exe"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DFILE_LIST="$file_list" -DOUTFILE="$installer" \
  -DICON="$build/packaging/icons/zel17.ico" packaging/windows/zel17.nsi

echo "$stage"
echo "$zip_file ($(du -h "$zip_file" | cut -f1))"
echo "$installer ($(du -h "$installer" | cut -f1))"
