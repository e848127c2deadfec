#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds Qt's qtbase for 64-bit Windows with Debian's mingw-w64
# (posix threads), from Debian's own qt6-base source package, so that the
# window can be built for Windows with the same Qt version as on Linux.
#
#   scripts/build-qt-mingw.sh PREFIX
#
# The source is fetched with `apt-get source` through a private apt setup
# (its own deb-src list, lists and cache) under the build folder: the
# machine's apt configuration is not touched. Build folder:
# ${ZEL_CACHE:-~/.cache/zel17}/qt6-mingw-build. Running it again is cheap:
# the download, configure, build and install are each skipped when done.
# Env: JOBS (default: cores), NICE (default 10), DEBIAN_MIRROR,
# DEBIAN_SECURITY_MIRROR. About 16 minutes on 2 cores.
#
# Needs (scripts/install-deps.sh --windows): dpkg-dev, g++-mingw-w64-x86-64-posix,
# cmake, ninja-build, perl, and qt6-base-dev for the host tools (moc, uic, rcc),
# whose version the cross-built Qt must match.
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 PREFIX" >&2
  exit 2
fi
prefix=$(realpath -m "$1")
cache=${ZEL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zel17}
work="$cache/qt6-mingw-build"
jobs=${JOBS:-$(nproc)}
nice_level=${NICE:-10}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
security_mirror=${DEBIAN_SECURITY_MIRROR:-http://deb.debian.org/debian-security}
mingw_gcc_dir=/usr/lib/gcc/x86_64-w64-mingw32/12-posix
mingw_sysroot=/usr/x86_64-w64-mingw32

log() { printf '=== %s: %s\n' "$(date +%T)" "$*"; }
die() { echo "build-qt-mingw: $*" >&2; exit 1; }

for tool in dpkg-source x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-gcc-posix \
            x86_64-w64-mingw32-windres cmake ninja perl; do
  command -v "$tool" >/dev/null || die "missing $tool (scripts/install-deps.sh --windows)"
done
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
[[ -n "$host_version" ]] || die "qt6-base-dev is not installed"
[[ -x /usr/lib/qt6/libexec/moc ]] || die "the host's moc is missing"

# Configure options. Debian's +dfsg source lacks src/3rdparty/wintab, which
# the windows platform plugin's tablet support needs: -no-feature-tabletevent.
# -no-feature-direct2d1_1 leaves out the optional direct2d platform plugin;
# -no-direct2d would also drop the DirectWrite font engine that PrintSupport
# still calls.
configure_args=(
  -prefix "$prefix"
  -xplatform win32-g++
  -qt-host-path /usr
  -release -shared
  -nomake examples -nomake tests
  -no-opengl -no-dbus -no-icu
  -no-feature-tabletevent -no-feature-direct2d1_1
  -no-feature-sql -no-feature-network -no-feature-zstd -no-feature-vulkan
  -qt-zlib -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz -qt-pcre
  -qt-doubleconversion
  --
  -G Ninja
  "-DCMAKE_TOOLCHAIN_FILE=$work/mingw-w64-x86_64.cmake"
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
)
# What the installed prefix was made from; a prefix holding this is done.
recipe="qt6-base $host_version; ${configure_args[*]}"
done_stamp="$prefix/.zel17-qt-recipe"
if [[ -f "$done_stamp" && "$(cat "$done_stamp")" == "$recipe" ]]; then
  echo "Qt for mingw is ready in $prefix"
  exit 0
fi
mkdir -p "$work"

# --- 1. the source package, through a private apt setup ---------------------
source_dir=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)
if [[ -z "$source_dir" || ! -f "$source_dir/configure" ]]; then
  apt_dir="$work/apt"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/sources.list.d"
  keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  cat >"$apt_dir/sources.list" <<EOF
deb-src [signed-by=$keyring] $mirror bookworm main
deb-src [signed-by=$keyring] $mirror bookworm-updates main
deb-src [signed-by=$keyring] $security_mirror bookworm-security main
EOF
  apt_private=(
    -o "Dir::Etc::SourceList=$apt_dir/sources.list"
    -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::Cache=$apt_dir/cache"
    -o "APT::Sandbox::User=root"
  )
  log "apt-get source qt6-base=$host_version (private apt setup in $apt_dir)"
  apt-get "${apt_private[@]}" -q update >"$work/apt-update.log" 2>&1 ||
    { cat "$work/apt-update.log" >&2; die "apt-get update failed"; }
  rm -rf "$work"/qt6-base-* "$work"/qt6-base_*
  (cd "$work" && apt-get "${apt_private[@]}" -q source "qt6-base=$host_version") >"$work/apt-source.log" 2>&1 ||
    { cat "$work/apt-source.log" >&2; die "apt-get source failed"; }
  source_dir=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)
  [[ -n "$source_dir" && -f "$source_dir/configure" ]] || die "no unpacked source in $work"
fi

# --- 2. the toolchain Qt is built with, and that its users chain-load --------
# It appends to CMAKE_FIND_ROOT_PATH, so a user can add the Qt prefix.
toolchain_text=$(cat <<EOF
# Debian's mingw-w64, x86_64, posix threads
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER   x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  x86_64-w64-mingw32-windres)
set(CMAKE_AR           /usr/bin/x86_64-w64-mingw32-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       /usr/bin/x86_64-w64-mingw32-ranlib CACHE FILEPATH "")
list(APPEND CMAKE_FIND_ROOT_PATH $mingw_sysroot)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
)
if [[ ! -f "$work/mingw-w64-x86_64.cmake" || "$(cat "$work/mingw-w64-x86_64.cmake")" != "$toolchain_text" ]]; then
  printf '%s\n' "$toolchain_text" >"$work/mingw-w64-x86_64.cmake"
fi

# --- 3. configure (again only when the options or the prefix changed) -------
build="$work/build"
configure_stamp="$build/.zel17-configure-args"
if [[ ! -f "$build/build.ninja" || "$(cat "$configure_stamp" 2>/dev/null)" != "$recipe" ]]; then
  log "configure"
  rm -rf "$build"
  mkdir -p "$build"
  (cd "$build" && nice -n "$nice_level" "$source_dir/configure" "${configure_args[@]}") >"$work/configure.log" 2>&1 ||
    { tail -n 40 "$work/configure.log" >&2; die "configure failed (see $work/configure.log)"; }
  printf '%s' "$recipe" >"$configure_stamp"
fi

# --- 4. build and install -----------------------------------------------------
log "build (ninja -j$jobs, nice $nice_level)"
nice -n "$nice_level" ninja -C "$build" -j "$jobs" >"$work/build.log" 2>&1 ||
  { grep -m 20 -A 10 '^FAILED' "$work/build.log" >&2 || tail -n 40 "$work/build.log" >&2
    die "build failed (see $work/build.log)"; }
log "install to $prefix"
cmake --install "$build" --strip >"$work/install.log" 2>&1 ||
  { tail -n 20 "$work/install.log" >&2; die "install failed"; }

# The prefix stands on its own: Qt's qt.toolchain.cmake chain-loads the
# toolchain from beside itself rather than from the build folder.
install -m644 "$work/mingw-w64-x86_64.cmake" "$prefix/lib/cmake/Qt6/mingw-w64-x86_64.cmake"
sed -i 's|^set(__qt_initially_configured_toolchain_file ".*")$|set(__qt_initially_configured_toolchain_file "${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake")|' \
  "$prefix/lib/cmake/Qt6/qt.toolchain.cmake"
grep -q 'CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake' "$prefix/lib/cmake/Qt6/qt.toolchain.cmake" ||
  die "could not point qt.toolchain.cmake at its toolchain"
# The mingw runtime that every program built with this Qt loads.
install -m644 "$mingw_gcc_dir/libstdc++-6.dll" "$mingw_gcc_dir/libgcc_s_seh-1.dll" \
  "$mingw_sysroot/lib/libwinpthread-1.dll" "$prefix/bin/"
x86_64-w64-mingw32-strip --strip-unneeded \
  "$prefix/bin/libstdc++-6.dll" "$prefix/bin/libgcc_s_seh-1.dll" "$prefix/bin/libwinpthread-1.dll"

for f in bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6PrintSupport.dll bin/Qt6Test.dll \
         plugins/platforms/qwindows.dll plugins/platforms/qoffscreen.dll \
         plugins/styles/qwindowsvistastyle.dll lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake; do
  [[ -f "$prefix/$f" ]] || die "missing $prefix/$f"
done
file "$prefix/bin/Qt6Core.dll" | grep -q 'PE32+ executable (DLL).*x86-64' || die "Qt6Core.dll is not a 64-bit Windows DLL"
printf '%s' "$recipe" >"$done_stamp"
log "Qt for mingw is ready in $prefix ($(du -sh "$prefix" | cut -f1))"
