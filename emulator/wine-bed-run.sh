#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# zel-wine-run [options] [--] PROGRAM.exe [ARGUMENTS...]
# Runs a Windows program under wine inside the umockdev test bed, so that
# wine's HID bus presents the emulated module (and the bed's other HID
# device) to it as HID devices. Exits with the program's status.
#   --keep-registry      keep the devices an earlier run left in the registry
#                        (by default the registry is put back as set up)
#   --shell              run PROGRAM as a Linux command (a script that starts
#                        wine programs itself), with the prefix and its
#                        wineserver ready
#   --no-module, --no-answer, --delay-ms N, --unplug-after N, --summary FILE
#                        as zel-testbed-launch takes them
# The prefix is set up once per build, in $ZEL_WINE_BED_HOME (default: the
# build folder's wine-bed/), with wine's udev HID bus switched on. Runs that
# share it take turns (a lock); a run that is stopped ends its wineserver.
set -euo pipefail
launcher=@WINE_BED_LAUNCHER@
preload=@WINE_BED_PRELOAD@
wine_lib=@PROJECT_SOURCE_DIR@/scripts/wine-lib.sh
home=${ZEL_WINE_BED_HOME:-@WINE_BED_HOME@}
prefix=$home/prefix
hid_class='HKLM\System\CurrentControlSet\Control\DeviceClasses\{4d1e55b2-f16f-11cf-88cb-001111000030}'
module_ids='vid_04d8&pid_003f'
other_ids='vid_046d&pid_c31c'

# Until the interface of the device with these ids is linked: wine adds the
# device a moment after its services start, and a search made before that
# would not see it.
wait_linked() {
  local ids=$1 tries
  for ((tries = 0; tries < 150; ++tries)); do
    if wine reg query "$hid_class" /s 2>/dev/null | tr -d '\r' | awk -v ids="$ids" '
        /^HKEY_/ { key = tolower($0); next }
        index(key, ids) && key ~ /\\#\\control$/ && $1 == "Linked" && $3 == "0x1" { found = 1 }
        END { exit !found }'; then
      return 0
    fi
    sleep 0.1
  done
  echo "zel-wine-run: the device $ids did not appear under wine" >&2
  return 1
}

if [[ ${1:-} == --inside ]]; then
  # In the bed: the wineserver is started here, so that wine's device
  # services inherit the preload and $UMOCKDEV_DIR.
  shift
  wait_module=$1
  as_shell=$2
  shift 2
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=d"
  stop_wine() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  }
  trap stop_wine EXIT
  trap 'exit 130' INT TERM
  wineserver
  wait_linked "$other_ids"
  [[ $wait_module == 1 ]] && wait_linked "$module_ids"
  # In the background, so that a signal is handled at once rather than when
  # the program ends; the wineserver's end then takes the program with it.
  if [[ $as_shell == 1 ]]; then
    "$@" &
  else
    wine "$@" &
  fi
  program=$!
  trap 'kill -TERM "$program" 2>/dev/null; exit 130' INT TERM
  status=0
  wait "$program" || status=$?
  exit "$status"
fi

keep_registry=0
wait_module=1
as_shell=0
launch=(--preload-first "$preload")
while (($#)); do
  case $1 in
    --keep-registry) keep_registry=1; shift ;;
    --shell) as_shell=1; shift ;;
    --no-module) launch+=("$1"); wait_module=0; shift ;;
    --no-answer) launch+=("$1"); shift ;;
    --delay-ms | --unplug-after | --summary) launch+=("$1" "$2"); shift 2 ;;
    --) shift; break ;;
    -*) echo "zel-wine-run: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
(($#)) || { echo "zel-wine-run: no program given" >&2; exit 2; }

mkdir -p "$home"
exec 9>"$home/lock"
flock 9
export WINEPREFIX=$prefix
# A run that was killed outright may have left its wineserver.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
if [[ ! -f $home/system.reg.set-up ]]; then
  rm -rf "$prefix"
  # shellcheck source=/dev/null
  source "$wine_lib"
  start_wine_prefix "$prefix" >/dev/null
  # With SDL on and its library missing, wine starts no HID bus at all.
  wine reg add 'HKLM\System\CurrentControlSet\Services\winebus' /v "Enable SDL" \
    /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w
  cp "$prefix/system.reg" "$home/system.reg.set-up"
fi
# Devices of earlier runs stay in the registry as devices not present.
[[ $keep_registry == 1 ]] || cp "$home/system.reg.set-up" "$prefix/system.reg"
# The launcher hands a stop on to the run inside, which ends its wineserver.
# Only this shell holds the lock: a wineserver that outlived a killed run
# must not keep the next run waiting (the next run ends it).
"$launcher" "${launch[@]}" -- "$0" --inside "$wait_module" "$as_shell" "$@" 9>&- &
launched=$!
trap 'kill -TERM "$launched" 2>/dev/null; wait "$launched"; exit 130' INT TERM
status=0
wait "$launched" || status=$?
exit "$status"
