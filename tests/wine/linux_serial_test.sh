#!/usr/bin/env bash
# The Linux guide, followed with the controller simulator standing in for a
# USB-serial adapter: scripts/linux-serial.sh maps COM2 to the simulator's pty
# and writes the port's section, then the console monitor starts the driver and
# prints the controller's events. Also: what the script refuses, and that it
# keeps the other sections of an existing "gyrantx.ini".
#   bash tests/wine/linux_serial_test.sh <folder of gyxsrv.exe and gyxmon.exe>
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=${1:?usage: $0 BIN}
bin=$(cd "$bin" && pwd)

# The guide restarts the wineserver: that needs a prefix, display and server of
# this test's own, not the suite's.
if [ -z "${_GYX_GUIDE_ENV:-}" ]; then
  exec env -u GYX_RUN_DIR -u WINEPREFIX -u DISPLAY -u LD_PRELOAD -u GYX_MODEM_DIR _GYX_GUIDE_ENV=1 \
    bash "$root/scripts/wineenv.sh" run bash "$0" "$bin"
fi
# shellcheck source=scripts/simfifo.sh
source "$root/scripts/simfifo.sh"
trap gyx_sim_stop_all EXIT

failures=0
check() { # what, then a command that must succeed
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
guide="$root/scripts/linux-serial.sh"
ini=$WINEPREFIX/drive_c/windows/gyrantx.ini

# What it refuses: a port beyond COM4, an unknown model, a file that is no device.
bash "$guide" COM5 /dev/null "Quorvanel 2200" 2>/dev/null
check "COM5 refused as a bad argument" test $? -eq 2
bash "$guide" COM2 /dev/null "Quorvanel 9999" 2>/dev/null
check "an unknown model refused as a bad argument" test $? -eq 2
touch "$GYX_RUN_DIR/plainfile"
msg=$(bash "$guide" COM2 "$GYX_RUN_DIR/plainfile" "Quorvanel 2200" 2>&1)
check "a plain file refused" test $? -eq 1
check "the refusal says why" grep -q 'is not a serial device' <<<"$msg"

# An existing file: its comment and the COM3 section stay, COM2's old section goes.
printf '; my settings\r\n[COM2:]\r\ndevicetype=Quorvanel Stick\r\nappfile=C:\\old.ini\r\n[com3:]\r\ndevicetype=Quorvanel 3200\r\n' >"$ini"

gyx_sim_start adapter 2200 ttyUSB0 || exit 1 # the pty's link: $GYX_RUN_DIR/ttyusb0
dev=$GYX_RUN_DIR/ttyusb0
for _ in $(seq 50); do [ -c "$dev" ] && break; sleep 0.1; done
bash "$guide" COM2 "$dev" "Quorvanel 2200" "$bin"
check "the guide's script succeeds on the pty" test $? -eq 0
check "COM2 is mapped to the device in the registry" \
  bash -c "wine reg query 'HKLM\\Software\\Wine\\Ports' /v COM2 2>/dev/null | tr -d '\\r' | grep -qF '$dev'"
want=$(printf '; my settings\r\n[com3:]\r\ndevicetype=Quorvanel 3200\r\n[gyrantrix]\r\nhomedirectory=%s\r\nhomedir=%s\r\n[COM2:]\r\ndevicetype=Quorvanel 2200\r\n' \
  "$(winepath -w "$bin" 2>/dev/null | tr -d '\r')" "$(winepath -w "$bin" 2>/dev/null | tr -d '\r')")
check "gyrantx.ini keeps the rest and names the device" test "$(cat "$ini")" = "$want"
# COM3 has nothing on it here; the driver would stop at it, so it goes for the run.
printf '[gyrantrix]\r\nhomedirectory=%s\r\n[COM2:]\r\ndevicetype=Quorvanel 2200\r\n' \
  "$(winepath -w "$bin" 2>/dev/null | tr -d '\r')" >"$ini"

# Events through the mapped port: the monitor starts the driver from the home directory.
gyx_sim_send adapter "waitinit timeout=60000"
gyx_sim_send adapter 'waitcmd BcCc\r timeout=60000'
gyx_sim_send adapter "sleep 300"
gyx_sim_send adapter "press 1"
gyx_sim_send adapter "release all"
gyx_sim_send adapter "move 10 -20 30 -40 50 -60 every=50"
out=$(timeout 90 wine "$bin/gyxmon.exe" --count 3 --seconds 60 2>"$GYX_RUN_DIR/gyxmon.err" </dev/null | tr -d '\r')
check "the monitor prints the controller's events" test "$out" = \
" 0) Button Event -> lst = 00000000, cur = 00000002, prs = 00000002, rel = 00000000
 0) Button Event -> lst = 00000002, cur = 00000000, prs = 00000000, rel = 00000002
 0) Motion Event -> tx = 10, ty = -20, tz = 30, rx = -40, ry = 50, rz = -60, per = 50"
[ "$failures" -eq 0 ] || { echo "monitor: $out"; cat "$GYX_RUN_DIR/gyxmon.err"; }
check "the device is on COM2" grep -q 'on port COM2: (Quorvanel 2200)' "$GYX_RUN_DIR/gyxmon.err"
timeout 30 wine "$bin/gyxsrv.exe" -shutdown -force -quiet </dev/null
echo "$failures failed"
[ "$failures" -eq 0 ]
