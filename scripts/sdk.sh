#!/usr/bin/env bash
# sdk.sh — the SDK as a folder: headers, the input and matrix libraries for
# x86_64 and i686, the CMake package, the sample and the toolchain files.
# It is `cmake --install --component sdk` of the win64 and the win32 trees into
# one folder. usage: bash scripts/sdk.sh [--no-build] [folder]  (default build/sdk)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=1
if [ "${1:-}" = --no-build ]; then build=0; shift; fi
dest=${1:-$root/build/sdk}

if [ $build -eq 1 ]; then
  bash scripts/setup.sh
  mkdir -p build
  for tree in win64 win32; do
    { cmake --preset "$tree" && cmake --build --preset "$tree" -j2; } >"build/build-$tree.log" 2>&1 ||
      { tail -40 "build/build-$tree.log"; echo "sdk: build of $tree failed (see build/build-$tree.log)" >&2; exit 1; }
  done
fi
rm -rf "$dest"
for tree in win64 win32; do
  cmake --install "build/$tree" --prefix "$dest" --component sdk >/dev/null
done
echo "sdk: $dest"
