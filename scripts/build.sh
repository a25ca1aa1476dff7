#!/usr/bin/env bash
# Builds the four trees (native, win64, win32: the i686 library, fuzz); logs go to build/build-<tree>.log.
# Prints the tail of the log of a tree that fails and exits non-zero.
set -uo pipefail
cd "$(dirname "$0")/.."
mkdir -p build
for tree in native win64 win32 fuzz; do
  log="build/build-$tree.log"
  if ! { cmake --preset "$tree" && cmake --build --preset "$tree" -j2; } >"$log" 2>&1; then
    tail -40 "$log"
    echo "build of $tree failed (see $log)"
    exit 1
  fi
done
