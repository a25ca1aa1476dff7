#!/usr/bin/env bash
# bench/requests.sh: counts the driver's wineserver requests per packet at full
# line rate on four ports, by request name (bench/requests.py), with a private
# Wine environment whose wineserver logs every request. Uses the release trees
# that bench/run.sh builds (it builds them first when they are missing).
# Options go to bench/requests.py (e.g. --seconds 5).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if [ ! -x build/bench-win64/bin/gyxsrv.exe ] || [ ! -x build/bench-native/tools/gyxsim/gyxsim ]; then
  bash bench/run.sh --phases N >/dev/null || exit 1
fi
cmake --build build/bench-win64 --target gyxsrv gyxbench_app >/dev/null || exit 1
export GYX_MODEM_SHIM="$root/build/bench-native/tools/modemshim/libgyxmodem.so"
export GYX_WINESERVER_DEBUG=-d1
exec bash scripts/wineenv.sh run python3 bench/requests.py "$@"
