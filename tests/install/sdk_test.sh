#!/usr/bin/env bash
# sdk_test.sh — the SDK as an application developer meets it: installed into a
# folder of its own (scripts/sdk.sh from the win64 and win32 trees), its sample
# copied out and built with CMake for x86_64 and for i686 with nothing but the
# SDK (its toolchain files, find_package(Gyrantrix)); the programs must be of
# the right architecture and need no mingw runtime DLL. An SDK without i686
# libraries must say so at configure time instead of failing at link time.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/gyx-sdk.XXXXXX)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
ok() { echo "ok - $*"; passed=$((passed + 1)); }
fail() { echo "FAIL - $*"; failed=$((failed + 1)); }

sdk=$work/sdk
if ! bash "$root/scripts/sdk.sh" --no-build "$sdk" >"$work/sdk.log" 2>&1; then
  cat "$work/sdk.log"
  fail "scripts/sdk.sh installs the SDK (are build/win64 and build/win32 built?)"
  echo "$passed passed, $failed failed"
  exit 1
fi
for f in include/gyrantrix.h include/gitypes.h include/gyx_slim.h \
         lib/x86_64/libgyrantrix.a lib/x86_64/libgyx_slim.a lib/i686/libgyrantrix.a lib/i686/libgyx_slim.a \
         lib/cmake/Gyrantrix/GyrantrixConfig.cmake lib/cmake/Gyrantrix/GyrantrixConfigVersion.cmake \
         sample/CMakeLists.txt sample/hello_gi.c toolchains/mingw-w64.cmake toolchains/mingw-w64-i686.cmake; do
  [ -f "$sdk/$f" ] || fail "the SDK holds $f"
done
[ $failed -eq 0 ] && ok "the SDK holds its headers, both architectures' libraries, the package, the sample and the toolchains"

# build <arch> <toolchain> <sdk> <build dir>: configure and build the sample
# from a copy outside the source tree.
build() {
  rm -rf "$4" "$work/src-$1"
  cp -r "$3/sample" "$work/src-$1"
  cmake -S "$work/src-$1" -B "$4" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$3/toolchains/$2" -DCMAKE_PREFIX_PATH="$3" >"$4.log" 2>&1 &&
    cmake --build "$4" >>"$4.log" 2>&1
}

for arch in x86_64 i686; do
  case $arch in
    x86_64) tc=mingw-w64.cmake format=pei-x86-64 objdump=x86_64-w64-mingw32-objdump ;;
    i686) tc=mingw-w64-i686.cmake format=pei-i386 objdump=i686-w64-mingw32-objdump ;;
  esac
  out=$work/build-$arch
  if ! build "$arch" "$tc" "$sdk" "$out"; then
    tail -30 "$out.log"
    fail "$arch: the sample configures and builds against the SDK"
    continue
  fi
  exe=$out/hello_gi.exe
  if [ ! -f "$exe" ]; then fail "$arch: hello_gi.exe was built"; continue; fi
  ok "$arch: the sample configures and builds against the SDK"
  # The package's own message names the architecture it found.
  grep -q "$sdk/lib/$arch/libgyrantrix.a" "$out/build.ninja" && ok "$arch: links lib/$arch of the SDK" ||
    fail "$arch: links lib/$arch of the SDK"
  fmt=$($objdump -f "$exe" | sed -n 's/.*file format \(.*\)/\1/p')
  [ "$fmt" = "$format" ] && ok "$arch: hello_gi.exe is $format" || fail "$arch: hello_gi.exe is $format (got '$fmt')"
  dlls=$($objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
  if grep -qE 'libstdc|libgcc|libwinpthread' <<<"$dlls"; then
    fail "$arch: needs no mingw runtime DLL (imports: $dlls)"
  else
    ok "$arch: needs no mingw runtime DLL (imports: $dlls)"
  fi
  # The archive holds the calls themselves.
  nm=${objdump%objdump}nm
  syms=$($nm "$sdk/lib/$arch/libgyrantrix.a" 2>/dev/null)
  grep -qE ' T _?GiInitialize$' <<<"$syms" && ok "$arch: libgyrantrix.a defines GiInitialize" || fail "$arch: libgyrantrix.a defines GiInitialize"
done

# An SDK that lacks the i686 libraries refuses at configure time and says why.
partial=$work/sdk-partial
cp -r "$sdk" "$partial" && rm -rf "$partial/lib/i686"
if build i686 mingw-w64-i686.cmake "$partial" "$work/build-partial"; then
  fail "without lib/i686 the i686 configure fails"
elif grep -q "has no i686 libraries" "$work/build-partial.log"; then
  ok "without lib/i686 the i686 configure fails and names what is missing"
else
  tail -20 "$work/build-partial.log"
  fail "without lib/i686 the i686 configure fails and names what is missing"
fi

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
