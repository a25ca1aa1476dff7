#!/usr/bin/env bash
# screenshot.sh: photographs the X display of a running Wine environment of
# scripts/wineenv.sh into a PNG, whole or cropped to a rectangle (a window's,
# as the Win32 test helper GyxUiScreenshot passes it).
#
#   scripts/screenshot.sh OUT.png [WxH+X+Y]
#
# The display is $DISPLAY, or else the one recorded in $GYX_RUN_DIR. Needs
# ImageMagick's import (scripts/setup.sh installs it); falls back to xwd and
# convert. Exit status 0 when OUT.png was written.
set -euo pipefail

usage() { echo "usage: $0 OUT.png [WxH+X+Y]" >&2; exit 2; }
[ $# -ge 1 ] && [ $# -le 2 ] || usage
out=$1
crop=${2:-}
if [ -n "$crop" ] && ! [[ $crop =~ ^[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+$ ]]; then
  echo "screenshot: bad rectangle '$crop' (want WxH+X+Y)" >&2
  exit 2
fi

display=${DISPLAY:-}
if [ -z "$display" ] && [ -n "${GYX_RUN_DIR:-}" ] && [ -f "$GYX_RUN_DIR/xvfb.display" ]; then
  display=:$(cat "$GYX_RUN_DIR/xvfb.display")
fi
[ -n "$display" ] || { echo "screenshot: no X display (DISPLAY or GYX_RUN_DIR)" >&2; exit 1; }

# A window partly off the screen is cut to the part that shows.
args=()
[ -n "$crop" ] && args=(-crop "$crop" +repage)

tmp="$out.tmp.png"
if command -v import >/dev/null; then
  import -display "$display" -window root "${args[@]}" "$tmp"
elif command -v xwd >/dev/null && command -v convert >/dev/null; then
  xwd -root -silent -display "$display" | convert xwd:- "${args[@]}" "$tmp"
else
  echo "screenshot: neither import nor xwd+convert is installed (bash scripts/setup.sh)" >&2
  exit 1
fi
mv "$tmp" "$out"
