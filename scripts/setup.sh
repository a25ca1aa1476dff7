#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages, once.
# Idempotent and quiet: nothing happens when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build ccache g++ googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-dev llvm
  mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 nsis
  wine wine64 xvfb x11-utils xauth librsvg2-bin imagemagick xdotool
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq >/dev/null
$SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
