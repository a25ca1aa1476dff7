#!/usr/bin/env bash
# linux-serial.sh: puts a controller on a Linux serial port into a Wine prefix.
# Maps COMn to the device file (a built-in port /dev/ttyS*, a USB-serial adapter
# /dev/ttyUSB*), checks that this user may open it, and writes the port's section
# (and, given the folder of gyxsrv.exe, the home directory) into the prefix's
# "gyrantx.ini", keeping every other section.
#   bash scripts/linux-serial.sh COMn DEVICE MODEL [HOME]
#   e.g. bash scripts/linux-serial.sh COM1 /dev/ttyUSB0 "Quorvanel 2200" "$PWD/build/win64/bin"
# The prefix is $WINEPREFIX, else ~/.wine. Exit status 0 done, 1 failed, 2 bad arguments.
set -uo pipefail

usage() { echo "usage: $0 COM1..COM4 DEVICE MODEL [HOME]" >&2; exit 2; }
[ $# -ge 3 ] && [ $# -le 4 ] || usage
port=${1^^}
dev=$2
model=$3
home=${4:-}
[[ $port =~ ^COM[1-4]$ ]] || usage
case "${model,,}" in
  "quorvanel 2200" | "quorvanel 3200" | "quorvanel stick" | "lumeqaro 700") ;;
  *) echo "linux-serial: unknown model \"$model\" (Quorvanel 2200, Quorvanel 3200, Quorvanel Stick, Lumeqaro 700)" >&2
     exit 2 ;;
esac
prefix=${WINEPREFIX:-$HOME/.wine}

if [ ! -c "$dev" ]; then
  echo "linux-serial: $dev is not a serial device (plugged in? see dmesg)" >&2
  exit 1
fi
if [ ! -r "$dev" ] || [ ! -w "$dev" ]; then
  group=$(stat -Lc %G "$dev")
  echo "linux-serial: $(id -un) may not open $dev (owned by group $group):" >&2
  echo "  sudo usermod -aG $group $(id -un)   # then log out and in again" >&2
  exit 1
fi
[ -d "$prefix/drive_c/windows" ] || { echo "linux-serial: no Wine prefix at $prefix (run wineboot first)" >&2; exit 1; }

# Wine reads its port mapping at start: the registry, then a restarted wineserver.
if ! wine reg add 'HKLM\Software\Wine\Ports' /v "$port" /t REG_SZ /d "$dev" /f >/dev/null 2>&1; then
  echo "linux-serial: could not write the port mapping into the registry of $prefix" >&2
  exit 1
fi
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null

ini="$prefix/drive_c/windows/gyrantx.ini"
winhome=""
if [ -n "$home" ]; then
  winhome=$(winepath -w "$home" 2>/dev/null | tr -d '\r')
  [ -n "$winhome" ] || { echo "linux-serial: $home has no Windows path in $prefix" >&2; exit 1; }
fi
# The old file without the sections rewritten here; names are compared without
# regard to case, as the driver reads them.
tmp="$ini.tmp"
{
  if [ -f "$ini" ]; then
    tr -d '\r' <"$ini" | awk -v port="[${port,,}:]" -v home="$winhome" '
      /^[ \t]*\[/ { s = tolower($0); gsub(/[ \t]/, "", s)
                    skip = (s == port) || (home != "" && s == "[gyrantrix]") }
      !skip'
  fi
  [ -n "$winhome" ] && printf '[gyrantrix]\nhomedirectory=%s\nhomedir=%s\n' "$winhome" "$winhome"
  printf '[%s:]\ndevicetype=%s\n' "$port" "$model"
} | sed 's/$/\r/' >"$tmp" && mv "$tmp" "$ini" || { echo "linux-serial: could not write $ini" >&2; exit 1; }
echo "linux-serial: $port is $dev ($model) in $prefix"
