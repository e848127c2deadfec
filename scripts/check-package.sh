#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package and checks what it holds, without installing it
# on this machine: control fields, file list, the files themselves, and that
# the program from the unpacked package finds its libraries and starts;
# lintian, appstreamcli and desktop-file-validate on what it holds.
# Also checks that `cmake --install` lays out the same files.
#   scripts/check-package.sh [BUILD_DIR]     (default: build/, configured if needed)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${ZEL_BUILD_DIR:-$root/build}}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "check-package: $*" >&2
  failures=$((failures + 1))
}

echo "=== Debian package ==="
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target zel17 zel17-cli zel_guide_pdf
(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log" >&2
  echo "check-package: cpack failed" >&2
  exit 1
}
debs=("$work"/out/*.deb)
[[ ${#debs[@]} -eq 1 && -f "${debs[0]}" ]] || {
  echo "check-package: expected one .deb, found: ${debs[*]}" >&2
  exit 1
}
deb=${debs[0]}
echo "built $(basename "$deb")"

# --- control fields ---
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == zel17 ]] || fail "Package is '$(field Package)'"
[[ $(field Architecture) == "$(dpkg --print-architecture)" ]] || fail "Architecture is '$(field Architecture)'"
depends=$(field Depends)
# The window's libraries come from dpkg-shlibdeps; libudev1 is loaded with
# dlopen() and has to be named by hand.
depends_names=$(sed -E 's/ *\([^)]*\)//g; s/ *, */\n/g' <<<"$depends")
for needed in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6 libudev1; do
  grep -qxF "$needed" <<<"$depends_names" || fail "Depends lacks $needed: $depends"
done
# Every dependency must be a package Debian has: here, one that is installed.
IFS=',' read -ra items <<<"$depends"
for item in "${items[@]}"; do
  name=$(sed -E 's/^ *([^ (|]+).*/\1/' <<<"$item")
  dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q "install ok installed" ||
    fail "dependency $name is not a package installed here"
done
dpkg-deb -I "$deb" postinst >/dev/null 2>&1 || fail "no postinst (udev reload)"

# --- file list: exactly these files, nothing else ---
expected_files=(
  ./usr/bin/zel17
  ./usr/bin/zel17-cli
  ./usr/lib/udev/rules.d/70-zel-module.rules
  ./usr/share/applications/zel17.desktop
  ./usr/share/icons/hicolor/scalable/apps/zel17.svg
  ./usr/share/mime/packages/zel17.xml
  ./usr/share/man/man1/zel17.1.gz
  ./usr/share/man/man1/zel17-cli.1.gz
  ./usr/share/bash-completion/completions/zel17-cli
  ./usr/share/metainfo/pl.zel17.konfigurator.metainfo.xml
  ./usr/share/doc/zel17/copyright
  ./usr/share/doc/zel17/changelog.gz
  ./usr/share/doc/zel17/podrecznik.pdf
  ./usr/share/lintian/overrides/zel17
)
icon_sizes=(16 24 32 48 64 128 256)
for size in "${icon_sizes[@]}"; do
  expected_files+=("./usr/share/icons/hicolor/${size}x${size}/apps/zel17.png")
done
dpkg-deb -c "$deb" >"$work/listing"
awk '$1 !~ /^d/ { print $NF }' "$work/listing" | sort >"$work/files"
printf '%s\n' "${expected_files[@]}" | sort >"$work/expected"
if ! diff -u "$work/expected" "$work/files" >"$work/files.diff"; then
  cat "$work/files.diff" >&2
  fail "the package's files differ from the expected list"
fi
awk '{ print $2 }' "$work/listing" | grep -qv '^root/root$' && fail "files not owned by root"
grep -Eq '^-rwxr-xr-x .* \./usr/bin/zel17$' "$work/listing" || fail "usr/bin/zel17 is not mode 755"

# --- unpacked into a scratch root ---
unpacked=$work/root
dpkg-deb -x "$deb" "$unpacked"
program=$unpacked/usr/bin/zel17
file -b "$program" | grep -q '^ELF' || fail "usr/bin/zel17 is not an ELF program"
file -b "$program" | grep -q 'not stripped' && fail "usr/bin/zel17 is not stripped"
if ldd "$program" >"$work/ldd" 2>&1; then
  grep -q 'not found' "$work/ldd" && { cat "$work/ldd" >&2; fail "unresolved libraries"; }
  grep -q 'libQt6Widgets' "$work/ldd" || fail "the program does not link Qt Widgets"
  grep -q 'libudev' "$work/ldd" && fail "the program links libudev (it is meant to be dlopen()ed)"
else
  cat "$work/ldd" >&2
  fail "ldd failed"
fi
# The command line beside the window: no Qt, no libudev linked, and it runs.
grep -Eq '^-rwxr-xr-x .* \./usr/bin/zel17-cli$' "$work/listing" || fail "usr/bin/zel17-cli is not mode 755"
cli=$unpacked/usr/bin/zel17-cli
if ldd "$cli" >"$work/ldd-cli" 2>&1; then
  grep -Eq 'not found|libQt6|libudev' "$work/ldd-cli" && { cat "$work/ldd-cli" >&2; fail "zel17-cli links Qt or libudev, or misses a library"; }
else
  cat "$work/ldd-cli" >&2
  fail "ldd zel17-cli failed"
fi
"$cli" --help >"$work/cli-help" 2>&1 || fail "zel17-cli --help failed"
grep -q '^Użycie: zel17-cli' "$work/cli-help" || fail "zel17-cli --help does not show the usage"
"$cli" upload "$work/missing.zel" >/dev/null 2>&1 && status=0 || status=$?
[[ $status -eq 66 ]] || fail "zel17-cli upload of a missing file ended with $status, not 66"

cmp -s "$unpacked/usr/lib/udev/rules.d/70-zel-module.rules" "$root/packaging/70-zel-module.rules" ||
  fail "the udev rule differs from packaging/70-zel-module.rules"
grep -Eq '^KERNEL=="hidraw\*", *ATTRS\{idVendor\}=="04d8", *ATTRS\{idProduct\}=="003f", .*TAG\+="uaccess"' \
  "$unpacked/usr/lib/udev/rules.d/70-zel-module.rules" || fail "the udev rule does not match the module"
desktop=$unpacked/usr/share/applications/zel17.desktop
if [[ -f "$desktop" ]]; then
  grep -qx 'Type=Application' "$desktop" || fail "desktop entry: no Type=Application"
  exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
  [[ -x "$unpacked/usr/bin/$exec_name" ]] || fail "desktop entry: Exec=$exec_name is not in usr/bin"
  icon_name=$(sed -n 's/^Icon=//p' "$desktop")
  [[ -f "$unpacked/usr/share/icons/hicolor/scalable/apps/$icon_name.svg" ]] ||
    fail "desktop entry: Icon=$icon_name has no icon"
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
  # A file manager hands the chosen file to the program.
  grep -Eqx 'Exec=zel17 %f' "$desktop" || fail "desktop entry: Exec is not 'zel17 %f'"
  grep -qx 'MimeType=application/x-zel17-config;application/x-zel17-project;' "$desktop" ||
    fail "desktop entry: no MimeType for .zel and .zelp files"
fi

# The .zel file type: the MIME database built from the package's XML alone
# maps *.zel to it. dpkg rebuilds the system's databases through the file
# triggers of the packages that own these folders.
mime_xml=$unpacked/usr/share/mime/packages/zel17.xml
cmp -s "$mime_xml" "$root/packaging/zel17-mime.xml" || fail "the MIME XML differs from packaging/zel17-mime.xml"
cp -r "$unpacked/usr/share/mime" "$work/mime"
if update-mime-database "$work/mime" 2>"$work/mime.log"; then
  grep -qx '50:application/x-zel17-project:\*.zelp' "$work/mime/globs2" ||
    fail "the MIME database does not map *.zelp to application/x-zel17-project"
  grep -qx '50:application/x-zel17-config:\*.zel' "$work/mime/globs2" ||
    fail "the MIME database does not map *.zel to application/x-zel17-config"
else
  cat "$work/mime.log" >&2
  fail "update-mime-database rejects the MIME XML"
fi
for owner in shared-mime-info:/usr/share/mime/packages desktop-file-utils:/usr/share/applications; do
  triggers=/var/lib/dpkg/info/${owner%%:*}.triggers
  grep -Eqx "interest(-noawait)? ${owner#*:}" "$triggers" 2>/dev/null ||
    fail "${owner%%:*} does not trigger on ${owner#*:}"
done
grep -q 'shared-mime-info' <<<"$(field Recommends)" || fail "Recommends lacks shared-mime-info"
head -c 200 "$unpacked/usr/share/icons/hicolor/scalable/apps/zel17.svg" | grep -q '<svg' ||
  fail "the icon is not an SVG"

# --- what a desktop and Debian expect beside the programs ---
for size in "${icon_sizes[@]}"; do
  png=$unpacked/usr/share/icons/hicolor/${size}x${size}/apps/zel17.png
  file -b "$png" | grep -q "^PNG image data, $size x $size," || fail "the $size px icon is not a $size x $size PNG"
done
metainfo=$unpacked/usr/share/metainfo/pl.zel17.konfigurator.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate rejects the metainfo"
grep -q '<launchable type="desktop-id">zel17.desktop</launchable>' "$metainfo" ||
  fail "the metainfo does not launch zel17.desktop"
for page in zel17 zel17-cli; do
  man_page=$unpacked/usr/share/man/man1/$page.1.gz
  # Debian wants pages compressed without a file name or time in the header.
  file -b "$man_page" | grep -q '^gzip compressed data, max compression' || fail "$page.1.gz is not compressed with gzip -9"
  file -b "$man_page" | grep -Eq 'was "|last modified: [A-Z]' && fail "$page.1.gz keeps a name or time"
  # groff's own warnings about the page, as man would show them.
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$man_page" 2>&1 >/dev/null || true)
  [[ -z "$warnings" ]] || fail "man $page: $warnings"
done
bash -n "$unpacked/usr/share/bash-completion/completions/zel17-cli" || fail "the completion is not valid bash"
# The guide the program shows (F1), as the PDF it made of it: the whole of it.
guide=$unpacked/usr/share/doc/zel17/podrecznik.pdf
pages=$(pdfinfo "$guide" 2>/dev/null | sed -n 's/^Pages: *//p')
[[ ${pages:-0} -ge 10 ]] || fail "podrecznik.pdf is not the guide (pages: ${pages:-none})"
pdftotext "$guide" "$work/guide.txt" 2>/dev/null && grep -q 'Test po kolei z oceną' "$work/guide.txt" ||
  fail "podrecznik.pdf lacks the walk's chapter"

# lintian, with the overrides the package carries; any error or warning fails.
lintian_options=(--fail-on error,warning --display-info)
[[ $(id -u) -eq 0 ]] && lintian_options+=(--allow-root)
if lintian "${lintian_options[@]}" "$deb" >"$work/lintian.log" 2>&1; then
  echo "lintian: no error or warning"
else
  cat "$work/lintian.log" >&2
  fail "lintian found errors or warnings"
fi

# The unpacked program starts and shows its window (offscreen): it is still
# running after a few seconds and has not complained about a missing plugin.
QT_QPA_PLATFORM=offscreen "$program" >"$work/run.log" 2>&1 &
pid=$!
sleep 3
if kill -0 "$pid" 2>/dev/null; then
  kill "$pid"
  wait "$pid" 2>/dev/null || true
else
  wait "$pid" || true
  cat "$work/run.log" >&2
  fail "the unpacked program ended on its own"
fi
grep -Eqi 'could not (load|find)|cannot open shared' "$work/run.log" && {
  cat "$work/run.log" >&2
  fail "the unpacked program reported a loading problem"
}

# --- cmake --install lays out the same files under another prefix ---
cmake --install "$build" --prefix "$work/prefix" >/dev/null
(cd "$work/prefix" && find . -type f | sort) >"$work/installed"
sed 's|^\./usr/|./|' "$work/expected" | sort >"$work/expected-install"
if ! diff -u "$work/expected-install" "$work/installed" >"$work/install.diff"; then
  cat "$work/install.diff" >&2
  fail "cmake --install lays out other files"
fi

if [[ $failures -gt 0 ]]; then
  echo "check-package: $failures problem(s)" >&2
  exit 1
fi
echo "check-package: $(basename "$deb") is complete (Depends: $depends)"
