#!/usr/bin/env bash
# jetdocs.sh: the jet demo's pictures for the README, taken from the Xvfb display
# of a private Wine environment: the demo flown by a simulated Quorvanel 2200 in
# object, axes and pointer mode (docs/jet-object.png, docs/jet-axes.png,
# docs/jet-pointer.png) and a short animated GIF of a flight (docs/jet-flight.gif).
# Needs both build trees (scripts/build.sh); mouse clicks go through X (xdotool).
#   bash scripts/jetdocs.sh [output dir, default docs]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=$(cd "${1:-docs}" && pwd) || exit 1
bin=$root/build/win64/bin
sim=$root/build/native/tools/gyxsim/gyxsim
[ -x "$bin/jet.exe" ] && [ -x "$sim" ] || { echo "jetdocs: build first (bash scripts/build.sh)" >&2; exit 1; }
bash scripts/setup.sh || exit 1

# shellcheck source=scripts/wineenv.sh
source scripts/wineenv.sh
# shellcheck source=scripts/simfifo.sh
source scripts/simfifo.sh
export GYX_MODEM_SHIM=${GYX_MODEM_SHIM:-$root/build/native/tools/modemshim/libgyxmodem.so}
gyx_wine_up || exit 1
work=$GYX_RUN_DIR/jetdocs
mkdir -p "$work"
cleanup() {
  wine "$bin/gyxsrv.exe" -shutdown -force -quiet >/dev/null 2>&1 </dev/null
  gyx_sim_stop_all
  gyx_wine_down
}
trap cleanup EXIT

gyx_sim_start qv 2200 COM1 || exit 1
say() { gyx_sim_say qv "$@"; } # one command, its reply awaited
home=$(winepath -w "$bin" 2>/dev/null | tr -d '\r')
printf '[gyrantrix]\r\nhomedirectory=%s\r\nhomedir=%s\r\n[COM1:]\r\ndevicetype=Quorvanel 2200\r\n' "$home" "$home" \
  >"$WINEPREFIX/drive_c/windows/gyrantx.ini"
wine "$bin/jet.exe" >"$work/jet.log" 2>&1 </dev/null &
say "waitinit timeout=40000"
say "waitcmd BcCc\\r timeout=40000"   # the demo has opened the device
sleep 2

# Where the windows are: the Wine desktop is the X window of its size; the
# settings dialog stands at its left edge and the demo's 800 x 800 window beside it.
desk=$(xwininfo -root -tree | grep -m1 'Wine desktop' | grep -oE '[0-9]+x[0-9]+\+[0-9]+\+[0-9]+' | head -1)
dx=$(sed -E 's/.*\+([0-9]+)\+[0-9]+$/\1/' <<<"${desk:-0x0+0+0}")
dy=$(sed -E 's/.*\+([0-9]+)$/\1/' <<<"${desk:-0x0+0+0}")
shot() { # file: the dialog and the demo's window, as the screen shows them
  import -window root "$work/root.png"
  convert "$work/root.png" -crop "$((dlgw + 800))x800+$dx+$dy" +repage "$1"
}
# The dialog's width: the first column of the demo window's black drawing area.
import -window root "$work/root.png"
dlgw=$(convert "$work/root.png" -crop "1280x1+$dx+$((dy + 400))" +repage txt:- |
  awk -F'[,:]' '/#000000/ { print $1; exit }')
dlgw=${dlgw:-250}
click() { # button x y: in the demo window's client area, roughly
  xdotool mousemove "$((dx + dlgw + $2))" "$((dy + 30 + $3))" click "$1"
}

# Object mode: the jet turned to show its shape, the pointer at its start.
say "move 0 0 0 3000 2200 -1500 every=50 count=12"
say "zero"
sleep 1
shot "$out/jet-object.png"

# Axes mode: a right click picks a vertex; the arrows stand there.
click 3 470 330
sleep 1
shot "$out/jet-axes.png"

# Pointer mode: a middle click; the cross-hair and the pointer on the viewing axis.
click 2 400 400
say "zero"
sleep 1
shot "$out/jet-pointer.png"

# A flight in object mode: the controller's ninth button resets the view (the
# pivot back at the jet's centre, object mode), then a slow roll and turn.
say "press 9"
say "release 9"
sleep 0.5
gyx_sim_send qv "move 0 0 0 450 700 220 every=40 count=900" # ~36 s: a capture takes about a second
sleep 0.5
for i in $(seq -w 1 32); do
  import -window root "$work/frame-$i.png"
done
say "zero" >/dev/null
for f in "$work"/frame-*.png; do
  convert "$f" -crop "$((dlgw + 800))x800+$dx+$dy" +repage -resize 50% "${f%.png}-small.png"
done
convert -delay 20 -loop 0 "$work"/frame-*-small.png -layers Optimize "$out/jet-flight.gif"
echo "jetdocs: wrote $out/jet-object.png jet-axes.png jet-pointer.png jet-flight.gif"
