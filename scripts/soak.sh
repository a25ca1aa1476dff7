#!/usr/bin/env bash
# scripts/soak.sh [minutes] [soak.py options]: the driver under a long, busy run
# (four simulated controllers at full rate, eight applications opening,
# grabbing, reading and closing at random) in a private Wine environment;
# prints the report (bench/soak.py). Uses the test trees (build/native,
# build/win64), building what it needs. Not part of scripts/test.sh.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
minutes=${1:-10}
[ $# -gt 0 ] && shift

bash scripts/setup.sh >/dev/null || exit 1
mkdir -p build
{ cmake --preset native && cmake --build --preset native -j2 --target gyxsim gyxmodem &&
  cmake --preset win64 && cmake --build --preset win64 -j2 --target gyxsrv gyx_soakapp; } >build/soak-build.log 2>&1 ||
  { tail -20 build/soak-build.log; echo "soak: build failed (see build/soak-build.log)" >&2; exit 1; }
exec bash scripts/wineenv.sh run python3 bench/soak.py --minutes "$minutes" "$@"
