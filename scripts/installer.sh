#!/usr/bin/env bash
# installer.sh — builds the Windows installer build/gyrantrix-setup.exe with
# NSIS: stages the programs (component "programs" of the win64 tree) and the
# SDK (scripts/sdk.sh), lists their files for installing and uninstalling, and
# runs makensis on installer/gyrantrix.nsi.
# usage: bash scripts/installer.sh [--no-build] [output.exe]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=1
if [ "${1:-}" = --no-build ]; then build=0; shift; fi
out=${1:-$root/build/gyrantrix-setup.exe}
case $out in /*) ;; *) out=$(pwd)/$out ;; esac

if [ $build -eq 1 ]; then
  bash scripts/sdk.sh "$root/build/installer/stage/sdk" >/dev/null
else
  bash scripts/sdk.sh --no-build "$root/build/installer/stage/sdk" >/dev/null
fi
work=$root/build/installer
rm -rf "$work/stage/programs" "$work/lists"
cmake --install build/win64 --prefix "$work/stage/programs" --component programs >/dev/null
mkdir -p "$work/lists"

# One "File" per staged file under its folder's SetOutPath, and the matching
# "Delete"s with the folders removed deepest first (only when empty, so what
# the user put there stays). Source paths are quoted for NSIS.
lists() { # <staged folder> <folder under $INSTDIR>
  local src=$1 dst=$2 dir rel
  while IFS= read -r dir; do
    rel=${dir#"$src"}
    rel=${rel//\//\\}
    printf 'SetOutPath "$INSTDIR\\%s%s"\n' "$dst" "$rel" >>"$work/lists/install.nsh"
    find "$dir" -maxdepth 1 -type f -printf '%f\n' | LC_ALL=C sort | while IFS= read -r f; do
      printf 'File "%s/%s"\n' "$dir" "$f" >>"$work/lists/install.nsh"
      printf 'Delete "$INSTDIR\\%s%s\\%s"\n' "$dst" "$rel" "$f" >>"$work/lists/uninstall.nsh"
    done
  done < <(find "$src" -type d | LC_ALL=C sort)
  find "$src" -type d | LC_ALL=C sort -r | while IFS= read -r dir; do
    rel=${dir#"$src"}
    printf 'RMDir "$INSTDIR\\%s%s"\n' "$dst" "${rel//\//\\}" >>"$work/lists/uninstall.nsh"
  done
}
: >"$work/lists/install.nsh"
: >"$work/lists/uninstall.nsh"
lists "$work/stage/programs/bin" "Win32"
lists "$work/stage/sdk" "SDK"

makensis -V2 -DSTAGE="$work/stage" -DFILES="$work/lists" -DOUTFILE="$out" installer/gyrantrix.nsi
echo "installer: $out"
