#!/usr/bin/env bash
# The main job: sets up, builds, and shows the whole system at work under Wine,
# headless. Two simulated controllers hang on the serial ports (a Quorvanel 2200
# on COM1, a Quorvanel Stick on COM2); evtview starts (its library starts the
# driver) and lists their events; then the jet demo comes to the front and the
# 2200 flies it. Screenshots of the display go to the output folder, evtview's
# list and what the controllers received are printed, and the driver is shut
# down with "gyxsrv -shutdown" at the end.
#   bash scripts/demo.sh [output folder, default build/demo]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mkdir -p "${1:-build/demo}" && out=$(cd "${1:-build/demo}" && pwd) || exit 1

bash scripts/setup.sh || exit 1
bash scripts/build.sh || exit 1

# shellcheck source=scripts/wineenv.sh
source scripts/wineenv.sh
# shellcheck source=scripts/simfifo.sh
source scripts/simfifo.sh
gyx_wine_up || { echo "could not start the Wine environment"; exit 1; }
bin="$root/build/win64/bin"
cleanup() {
  wine "$bin/gyxsrv.exe" -shutdown -force -quiet >/dev/null 2>&1 </dev/null
  gyx_sim_stop_all
  gyx_wine_down
}
trap cleanup EXIT

home=$(winepath -w "$bin" 2>/dev/null | tr -d '\r')
printf '[gyrantrix]\r\nhomedirectory=%s\r\nhomedir=%s\r\n[COM1:]\r\ndevicetype=Quorvanel 2200\r\n[COM2:]\r\ndevicetype=Quorvanel Stick\r\n' \
  "$home" "$home" >"$WINEPREFIX/drive_c/windows/gyrantx.ini"

# Wine gives each top-level window an X window of its own inside the virtual
# desktop; a picture is cut from the display's top left corner to the bottom
# right corner of the named window (the jet's settings dialog stands at the
# left of its window), or around the window alone with "alone".
shot() { # name caption [alone]
  local id x y w h left=0 top=0
  id=$(xwininfo -root -tree 2>/dev/null | grep "\"$2\"" | grep -v ' 1x1+' | awk 'NR == 1 {print $1}')
  import -display "$DISPLAY" -window root "$GYX_RUN_DIR/screen.png" || return
  if [ -z "$id" ]; then
    cp "$GYX_RUN_DIR/screen.png" "$out/$1.png"
  else
    read -r x y w h < <(xwininfo -id "$id" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
      /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}')
    [ "${3:-}" = alone ] && left=$x && top=$y
    convert "$GYX_RUN_DIR/screen.png" -crop "$((x + w - left))x$((y + h - top))+$left+$top" +repage "$out/$1.png"
  fi
  echo "   screenshot: $out/$1.png"
}

echo "== controller simulators: Quorvanel 2200 on COM1, Quorvanel Stick on COM2"
gyx_sim_start qv 2200 COM1 || exit 1
gyx_sim_start stick stick COM2 || exit 1

echo "== evtview: its library starts gyxsrv, which identifies and initialises both controllers"
wine "$bin/evtview.exe" >"$GYX_RUN_DIR/evtview.log" 2>&1 </dev/null &
gyx_sim_say qv "waitinit timeout=60000" >/dev/null
gyx_sim_say qv 'waitcmd BcCc\r timeout=60000' >/dev/null # evtview has opened the device
sleep 1

echo "== the controllers are pushed, twisted and clicked"
gyx_sim_say qv "press 2" >/dev/null
gyx_sim_say qv "release all" >/dev/null
gyx_sim_say qv "move 120 0 -40 0 0 0 count=5" >/dev/null
gyx_sim_say qv "zero" >/dev/null
gyx_sim_say stick "press 1" >/dev/null
gyx_sim_say stick "release all" >/dev/null
gyx_sim_say stick "move 0 0 0 200 -150 0 count=5" >/dev/null
gyx_sim_say stick "zero" >/dev/null
gyx_sim_say qv "press 5" >/dev/null
gyx_sim_say qv "release all" >/dev/null
sleep 1
echo "== evtview lists (newest last):"
wine "$bin/gyx_winlist.exe" "Gyrantrix Test Utility" 12 2>/dev/null | tr -d '\r' | sed 's/^/   /'
shot demo-evtview "Gyrantrix Test Utility" alone

echo "== jet comes to the front; the 2200 flies it"
wine "$bin/jet.exe" >"$GYX_RUN_DIR/jet.log" 2>&1 </dev/null &
# With two controllers the jet asks which one flies it: the first, the 2200.
for _ in $(seq 100); do
  xwininfo -root -tree 2>/dev/null | grep -q '"Gyrantrix Device List"' && break
  sleep 0.2
done
sleep 1
xdotool key Return
sleep 2
gyx_sim_say qv "move 0 0 0 3000 2200 -1500 every=50 count=12" >/dev/null
gyx_sim_say qv "zero" >/dev/null
sleep 1
shot demo-jet "Jet Demo"
gyx_sim_say qv "move 0 0 -600 450 700 220 every=40 count=50" >/dev/null
gyx_sim_say qv "zero" >/dev/null
sleep 1
shot demo-jet-flown "Jet Demo"

echo "== gyxsrv -shutdown"
wine "$bin/gyxsrv.exe" -shutdown -force -quiet </dev/null
echo "   driver shut down with exit code $?"
echo "== what the 2200 received (identification, initialisation, beeps):"
grep -E ' rx ' "$GYX_RUN_DIR/sim-qv.log" | head -12 | sed 's/^/   /'
echo "== screenshots in $out"
