#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# zel17-cli.exe under wine against the emulated module (zel-wine-run).
#   cli_in_wine_bed.sh ZEL-WINE-RUN ZEL17-CLI.EXE CASE
# CASE: exchange, no_module, silent_module, unplug, stale_device
set -uo pipefail
run=$1
cli=$2
case_name=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

fail() {
  echo "FAIL ($case_name): $*" >&2
  for file in *.out *.err summary*; do
    [[ -f $file ]] && { echo "--- $file"; cat "$file"; } >&2
  done
  exit 1
}
expect_status() {  # expected actual what
  [[ $2 == "$1" ]] || fail "$3: exit status $2, not $1"
}
summary_value() {  # file key
  awk -v key="$2" '$1 == key { print $2 }' "$1"
}

# Every cell slow blinking but those of row 4, which has no function (255).
# The file holds the table column by column, 305 cells each.
head -c 7625 /dev/zero | tr '\0' '\1' >all-slow.zel
for ((column = 0; column < 25; ++column)); do
  printf '\377' | dd of=all-slow.zel bs=1 seek=$((4 + column * 305)) conv=notrunc status=none
done

case $case_name in
  exchange)
    # One wine session: upload with verify, read back, verify a file with one
    # cell changed, and an output test.
    cp all-slow.zel changed.zel
    printf '\003' | dd of=changed.zel bs=1 seek=1000 conv=notrunc status=none
    windows_cli="Z:${cli//\//\\}"
    {
      echo "@echo off"
      echo "\"$windows_cli\" upload --verify all-slow.zel >upload.out 2>upload.err"
      echo "echo %ERRORLEVEL% >upload.status"
      echo "\"$windows_cli\" read back.zel >read.out 2>read.err"
      echo "echo %ERRORLEVEL% >read.status"
      echo "\"$windows_cli\" verify changed.zel >verify.out 2>verify.err"
      echo "echo %ERRORLEVEL% >verify.status"
      echo "\"$windows_cli\" test 7 >test.out 2>test.err"
      echo "echo %ERRORLEVEL% >test.status"
    } | sed 's/$/\r/' >steps.bat
    status=0
    "$run" --summary summary -- cmd /c steps.bat || status=$?
    expect_status 0 "$status" "the session"
    for step in upload read verify test; do
      [[ -f $step.status ]] || fail "$step did not run"
    done
    expect_status 0 "$(tr -d ' \r\n' <upload.status)" "upload --verify"
    expect_status 0 "$(tr -d ' \r\n' <read.status)" "read"
    cmp all-slow.zel back.zel || fail "the file read back differs from the one uploaded"
    expect_status 1 "$(tr -d ' \r\n' <verify.status)" "verify of a changed file"
    [[ $(grep -c . verify.out) == 1 ]] || fail "verify does not list exactly one cell"
    expect_status 0 "$(tr -d ' \r\n' <test.status)" "test 7"
    ;;
  no_module)
    status=0
    "$run" --no-module --summary summary -- "$cli" --trace upload all-slow.zel \
      >upload.out 2>upload.err || status=$?
    expect_status 69 "$status" "upload without a module"
    grep -q "Error. Could not find the device." upload.err || fail "no end of the search"
    [[ $(summary_value summary other-device-bytes) == 0 ]] || fail "bytes went to the other device"
    ;;
  silent_module)
    status=0
    start=$(date +%s%N)
    "$run" --no-answer --summary summary -- "$cli" upload all-slow.zel \
      >upload.out 2>upload.err || status=$?
    # The greeting of the connection goes unanswered and the run goes on, as
    # it does with any module; the first erase that goes unanswered ends it.
    expect_status 74 "$status" "upload to a module that does not answer"
    [[ $(summary_value summary module-requests) == 2 ]] || fail "a request after the unanswered erase"
    (( ($(date +%s%N) - start) / 1000000 >= 2000 )) || fail "gave up before the 1 s read limits"
    ;;
  unplug)
    status=0
    "$run" --unplug-after 40 --summary summary -- "$cli" upload all-slow.zel \
      >upload.out 2>upload.err || status=$?
    expect_status 74 "$status" "upload while the module is unplugged"
    [[ $(summary_value summary module-requests) -ge 40 ]] || fail "unplugged before the upload ran"
    ;;
  stale_device)
    # The module of the first run stays in wine's registry, not present; the
    # second run's search must not take another device's interface for it.
    status=0
    "$run" -- "$cli" hello >hello.out 2>hello.err || status=$?
    expect_status 0 "$status" "hello with the module"
    "$run" --keep-registry --no-module --summary summary -- "$cli" --trace upload all-slow.zel \
      >upload.out 2>upload.err || status=$?
    expect_status 69 "$status" "upload after the module is gone"
    ! grep -q "HID device creating write handle" upload.err || fail "a device was opened"
    [[ $(summary_value summary other-device-bytes) == 0 ]] || fail "bytes went to the other device"
    ;;
  *)
    echo "unknown case $case_name" >&2
    exit 2
    ;;
esac
echo "passed: $case_name"
