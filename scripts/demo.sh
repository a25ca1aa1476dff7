#!/usr/bin/env bash
# The main job: sets up, builds, and shows the system at work under Wine. A
# simulated Quorvanel 2200 hangs on COM1; the console event monitor starts
# (its library starts the driver), prints every event the controller makes,
# and the driver is shut down with "gyxsrv -shutdown" at the end.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-20}

bash scripts/setup.sh || exit 1
bash scripts/build.sh || exit 1

# shellcheck source=scripts/wineenv.sh
source scripts/wineenv.sh
gyx_wine_up || { echo "could not start the Wine environment"; exit 1; }
trap 'gyx_wine_down' EXIT

bin="$root/build/win64/bin"
home=$(wine winepath -w "$bin" 2>/dev/null)
printf '[gyrantrix]\r\nhomedirectory=%s\r\nhomedir=%s\r\n[COM1:]\r\ndevicetype=Quorvanel 2200\r\n' "$home" "$home" \
  >"$WINEPREFIX/drive_c/windows/gyrantx.ini"

echo "== controller simulator on COM1 (script: scripts/demo.sim)"
build/native/tools/gyxsim/gyxsim --model 2200 --link "$GYX_RUN_DIR/com1" --log "$GYX_RUN_DIR/sim.log" \
  --script scripts/demo.sim --stdin < <(sleep $((seconds + 30))) >"$GYX_RUN_DIR/sim.out" 2>&1 &
sim=$!

echo "== gyxmon: the library starts gyxsrv, then every event is printed (${seconds} s)"
wine "$bin/gyxmon.exe" --seconds "$seconds"
status=$?

echo "== gyxsrv -shutdown"
wine "$bin/gyxsrv.exe" -shutdown -force -quiet
echo "driver shut down with exit code $?"
kill "$sim" 2>/dev/null
wait "$sim" 2>/dev/null
echo "== what the controller received (identification, initialisation, beeps):"
grep -E ' rx ' "$GYX_RUN_DIR/sim.log" | head -20
exit $status
