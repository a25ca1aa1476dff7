#!/usr/bin/env bash
# Draws docs/settings.png: the driver's settings window as a user sees it, with
# a simulated Quorvanel 2200 on COM1 and an application file that labels its
# buttons. The controller's menu button brings the window up; ImageMagick's
# `import` captures the private Xvfb display and the picture is cut to the window.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=${1:-docs/settings.png}

bash scripts/setup.sh || exit 1
bash scripts/build.sh || exit 1

# shellcheck source=scripts/wineenv.sh
source scripts/wineenv.sh
gyx_wine_up || { echo "could not start the Wine environment"; exit 1; }
trap 'gyx_wine_down' EXIT

bin="$root/build/win64/bin"
home=$(wine winepath -w "$bin" 2>/dev/null)
app="$GYX_RUN_DIR/flight.ini"
printf '[Gyrantrix]\r\nappName=Flight Simulator\r\nbutton1=Fire\r\nbutton2=Zoom In\r\nbutton3=Zoom Out\r\nbutton4=Next View\r\nbutton5=Gear\r\nbutton6=Flaps\r\nbutton7=Brakes\r\nbutton8=Map\r\nbutton9=Menu\r\nleftbutton=Pause\r\nrightbutton=Eject\r\n' >"$app"
appwin=$(wine winepath -w "$app" 2>/dev/null)
printf '[gyrantrix]\r\nhomedirectory=%s\r\nhomedir=%s\r\n[COM1:]\r\ndevicetype=Quorvanel 2200\r\nappfile=%s\r\nmenuButton=31\r\n' \
  "$home" "$home" "$appwin" >"$WINEPREFIX/drive_c/windows/gyrantx.ini"

# The ninth button is the menu button here: pressing it brings the window up.
build/native/tools/gyxsim/gyxsim --model 2200 --link "$GYX_RUN_DIR/com1" --log "$GYX_RUN_DIR/sim.log" --stdin \
  < <(printf 'waitinit timeout=60000\nsleep 1500\npress 9\nrelease all\n'; sleep 60) >"$GYX_RUN_DIR/sim.out" 2>&1 &
sim=$!
wine "$bin/gyxsrv.exe" &
driver=$!

# Wine gives each top-level window an X window of its own inside the virtual
# desktop: its geometry is where to cut.
geometry=""
for _ in $(seq 1 150); do
  line=$(xwininfo -root -tree 2>/dev/null | grep '"Master Gyrantrix Driver Settings"' | grep -v ' 1x1+' | head -1)
  # The simulator answers "ok" to each of its four commands; after the last
  # one the menu button has been pressed.
  if [ -n "$line" ] && [ "$(grep -c '^ok' "$GYX_RUN_DIR/sim.out" 2>/dev/null)" -ge 4 ]; then
    geometry=$line
    break
  fi
  sleep 0.2
done
sleep 1
status=0
if [ -z "$geometry" ]; then
  echo "the settings window did not come up"
  status=1
else
  id=$(awk '{print $1}' <<<"$geometry")
  import -window root "$GYX_RUN_DIR/screen.png"
  read -r x y w h < <(xwininfo -id "$id" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
    /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}')
  convert "$GYX_RUN_DIR/screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$out" && echo "wrote $out (${w}x${h})"
fi
wine "$bin/gyxsrv.exe" -shutdown -force -quiet
wait "$driver" 2>/dev/null
kill "$sim" 2>/dev/null
wait "$sim" 2>/dev/null
exit $status
