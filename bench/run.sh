#!/usr/bin/env bash
# bench/run.sh: builds the benchmark suite in release mode (build/bench-native,
# build/bench-win64; GYX_BENCH=ON), starts a private Wine environment and runs
# every measurement several times; prints one table and writes bench/results.md.
# Options go to bench/bench.py (e.g. --runs 5, --phases AB, --skip-idle).
# Figures only: nothing here passes or fails, and scripts/test.sh never runs it.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh || exit 1

# Release trees of their own, so the test trees (Debug/ASan, RelWithDebInfo)
# keep their settings.
build() { # dir, cmake args..., -- targets...
  local dir=$1; shift
  local args=() targets=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do args+=("$1"); shift; done
  shift
  targets=("$@")
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGYX_BENCH=ON "${args[@]}" >"$dir.configure.log" 2>&1 ||
      { echo "bench: configuring $dir failed (see $dir.configure.log)" >&2; return 1; }
  fi
  cmake --build "$dir" -j2 --target "${targets[@]}" >"$dir.build.log" 2>&1 ||
    { echo "bench: building $dir failed (see $dir.build.log)" >&2; tail -20 "$dir.build.log" >&2; return 1; }
}

mkdir -p build
echo "bench: building release trees (build/bench-native, build/bench-win64)" >&2
build build/bench-native -DGYX_SANITIZE=OFF -- gyxbench_parser gyxsim gyxmodem || exit 1
build build/bench-win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -- \
  gyxsrv gyxbench_app gyxbench_echo gyxbench_post gyxbench_sema gyxbench_idle gyxbench_mem \
  gyxbench_jetframe gyxbench_gdiframe || exit 1

# The modem-line shim of the release tree goes into every Wine process.
export GYX_MODEM_SHIM="$root/build/bench-native/tools/modemshim/libgyxmodem.so"
exec bash scripts/wineenv.sh run python3 bench/bench.py "$@"
