#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Puts the licences into a staged Windows release (scripts/build-windows.sh):
# the project's own (LICENSE.txt) and, in licencje\, the notices of every
# third-party file staged beside it: which component it is, its version, its
# licence with the full text, and where its source is and how it was built.
# The list is made from the files actually staged: a DLL that no component
# below claims stops the build, so nothing ships without its notice.
#   scripts/windows-notices.sh STAGE QT_PREFIX
set -euo pipefail
cd "$(dirname "$0")/.."
stage=$1
qt=$2
notices="$stage/licencje"
rm -rf "$notices"
mkdir -p "$notices"

# Notepad shows a UTF-8 text with Windows line ends and a byte order mark.
as_windows_text() { printf '\xef\xbb\xbf'; sed 's/$/\r/' "$1"; }
package_version() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null || echo "?"; }

# The component of one staged DLL, by its name (case as staged).
component_of() {
  case "${1,,}" in
    qt6*.dll | qwindows.dll | qwindowsvistastyle.dll) echo qt ;;
    libstdc++-6.dll | libgcc_s_seh-1.dll) echo gcc ;;
    libwinpthread-1.dll) echo winpthreads ;;
    *) return 1 ;;
  esac
}

declare -A files_of=()
unclaimed=()
while IFS= read -r dll; do
  name=${dll#"$stage"/}
  if component=$(component_of "$(basename "$dll")"); then
    files_of[$component]+="    ${name//\//\\}"$'\n'
  else
    unclaimed+=("$name")
  fi
done < <(find "$stage" -type f -iname '*.dll' | sort)
if ((${#unclaimed[@]})); then
  echo "windows-notices: no notice for: ${unclaimed[*]} (add its component to $0)" >&2
  exit 1
fi

# The Debian version of the source Qt was built from, as its build noted it.
qt_source=$(sed -n 's/^qt6-base \([^;]*\);.*/\1/p' "$qt/.zel17-qt-recipe" 2>/dev/null || true)
[[ -n "$qt_source" ]] || qt_source=$(package_version libqt6core6)
qt_version=${qt_source%%[+-]*}
gcc_version=$(package_version gcc-mingw-w64-x86-64-posix-runtime)
mingw_version=$(package_version mingw-w64-x86-64-dev)

list="$notices/list.txt"
{
  echo "ZEL17 – składniki innych autorów"
  echo "================================"
  echo
  echo "Program ZEL17 (zel17.exe, zel17-cli.exe) jest udostępniany na licencji MIT:"
  echo "zob. LICENSE.txt. Obok niego w tym folderze są biblioteki innych autorów,"
  echo "na ich własnych licencjach, wymienione niżej. Pełne teksty licencji są"
  echo "w tym folderze (licencje\\)."
  if [[ -n "${files_of[qt]:-}" ]]; then
    echo
    echo "Qt $qt_version (qtbase) – The Qt Company Ltd. i inni"
    echo "  Licencja: GNU Lesser General Public License, wersja 3 (LGPL-3.0-only);"
    echo "  tekst: LGPL-3.0.txt oraz GPL-3.0.txt, do której LGPL się odwołuje."
    echo "  Prawa autorskie Qt i dołączonych do niego bibliotek (zlib, libpng,"
    echo "  libjpeg, FreeType, HarfBuzz, PCRE2, double-conversion i innych): Qt-copyright.txt."
    echo "  Źródło: pakiet źródłowy Debiana qt6-base $qt_source"
    echo "  (apt-get source qt6-base=$qt_source; https://sources.debian.org/src/qt6-base/$qt_source/),"
    echo "  zbudowany dla Windows skryptem build-qt-mingw.sh (w tym folderze),"
    echo "  z opcjami zapisanymi w nim. Bibliotekę Qt można zastąpić własną wersją"
    echo "  zgodną binarnie, podmieniając poniższe pliki DLL."
    echo "  Pliki:"
    printf '%s' "${files_of[qt]}"
  fi
  if [[ -n "${files_of[gcc]:-}" ]]; then
    echo
    echo "Biblioteki uruchomieniowe GCC (libstdc++, libgcc) $gcc_version – Free Software Foundation"
    echo "  Licencja: GNU General Public License, wersja 3, z wyjątkiem GCC Runtime"
    echo "  Library Exception, wersja 3.1 (GPL-3.0-or-later WITH GCC-exception-3.1);"
    echo "  tekst: GPL-3.0.txt i GCC-copyright.txt (z tekstem wyjątku)."
    echo "  Źródło: pakiet źródłowy Debiana gcc-mingw-w64 $gcc_version."
    echo "  Pliki:"
    printf '%s' "${files_of[gcc]}"
  fi
  if [[ -n "${files_of[winpthreads]:-}" ]]; then
    echo
    echo "mingw-w64 winpthreads $mingw_version – projekt MinGW-w64"
    echo "  Licencja: MIT oraz BSD-3-Clause; tekst: mingw-w64-copyright.txt."
    echo "  Źródło: pakiet źródłowy Debiana mingw-w64 $mingw_version."
    echo "  Pliki:"
    printf '%s' "${files_of[winpthreads]}"
  fi
} >"$list"
as_windows_text "$list" >"$notices/INFORMACJE.txt"
rm "$list"

as_windows_text LICENSE >"$stage/LICENSE.txt"
[[ -n "${files_of[qt]:-}" ]] && {
  as_windows_text /usr/share/common-licenses/LGPL-3 >"$notices/LGPL-3.0.txt"
  as_windows_text /usr/share/doc/libqt6core6/copyright >"$notices/Qt-copyright.txt"
  as_windows_text scripts/build-qt-mingw.sh >"$notices/build-qt-mingw.sh"
}
[[ -n "${files_of[qt]:-}${files_of[gcc]:-}" ]] &&
  as_windows_text /usr/share/common-licenses/GPL-3 >"$notices/GPL-3.0.txt"
[[ -n "${files_of[gcc]:-}" ]] && as_windows_text /usr/share/doc/gcc-mingw-w64-base/copyright >"$notices/GCC-copyright.txt"
[[ -n "${files_of[winpthreads]:-}" ]] &&
  as_windows_text /usr/share/doc/mingw-w64-common/copyright >"$notices/mingw-w64-copyright.txt"
true
