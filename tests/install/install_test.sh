#!/usr/bin/env bash
# install_test.sh — the installer as a user meets it, in a Wine prefix, display
# and wineserver of its own (scripts/wineenv.sh), so nothing it installs can
# touch another test's prefix. usage: install_test.sh <installed_test.exe>
#   1. builds the installer from this tree (scripts/installer.sh --no-build);
#   2. a bad /COMn= value and an install folder too long for the driver's home
#      directory are refused with exit code 2 and install nothing;
#   3. installs silently with /COM1=2200, checks the files, the Start-menu
#      entries, the uninstall entry and "gyrantx.ini"; installed_test.exe runs
#      the installed evtview and driver against the simulator on COM1;
#      uninstalls: the prefix's files and registry are as before the install;
#      the installer's pages driven like a user (installed_test.exe), the ports
#      chosen there in "gyrantx.ini", uninstalled again;
#   4. over a configuration the user had: the installer keeps its other keys,
#      and the uninstaller puts the user's file back byte for byte;
#   5. after the user changed "gyrantx.ini" and put a file of their own into the
#      install folder, the uninstaller leaves exactly those.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
check_exe=${1:?usage: install_test.sh <installed_test.exe>}
work=$(mktemp -d /tmp/gyx-install.XXXXXX)
passed=0
failed=0
ok() { echo "ok - $*"; passed=$((passed + 1)); }
fail() { echo "FAIL - $*"; failed=$((failed + 1)); }
check() { # <description> <command...>
  local what=$1; shift
  if "$@"; then ok "$what"; else fail "$what"; fi
}
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
  exit $?
}

if ! bash "$root/scripts/installer.sh" --no-build "$work/gyrantrix-setup.exe" >"$work/installer.log" 2>&1; then
  tail -30 "$work/installer.log"
  fail "scripts/installer.sh builds the installer"
  rm -rf "$work"
  finish
fi
ok "scripts/installer.sh builds the installer ($(($(stat -c %s "$work/gyrantrix-setup.exe") / 1024)) KiB)"

# A Wine environment of our own, even when run from inside another one.
for v in _GYX_WINE_UP WINEPREFIX DISPLAY GYX_RUN_DIR GYX_MODEM_DIR WINEARCH WINEDEBUG; do unset "$v"; done
# No desktop entries in the Linux user's menus for the shortcuts.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
export GYX_RUN_DIR=$work/run
# shellcheck source=scripts/wineenv.sh
source "$root/scripts/wineenv.sh"
if ! gyx_wine_up; then
  fail "a Wine environment of its own"
  rm -rf "$work"
  finish
fi
trap 'gyx_wine_down; rm -rf "$work"' EXIT

c=$WINEPREFIX/drive_c
inst="$c/Program Files/Halvorin/Gyrantrix"
ini=$c/windows/gyrantx.ini
menu="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Gyrantrix"

# What a prefix holds: every path under C: with its size (the temporary
# folders aside), and the registry's Software keys of the machine and the user.
snapshot() { # <out>
  (cd "$c" && find . \( -ipath './windows/temp' -o -ipath './users/*/temp' -o -ipath './users/*/AppData/Local/Temp' \) \
      -prune -o -printf '%p %s\n' | LC_ALL=C sort) >"$1.files"
  wine reg export 'HKLM\Software' "$1.hklm" /y >/dev/null 2>&1 </dev/null
  wine reg export 'HKCU\Software' "$1.hkcu" /y >/dev/null 2>&1 </dev/null
  # The exports are UTF-16: compare them as text. Wine's own volatile key for
  # the session's input settings ("Temporary System Parameters", made when a
  # test clicks) belongs to no installer and is left out.
  for r in hklm hkcu; do
    iconv -f UTF-16LE -t UTF-8 "$1.$r" 2>/dev/null | tr -d '\r' |
      awk '/^\[/ { skip = index($0, "\\Software\\Wine\\Temporary System Parameters") > 0 } !skip' >"$1.$r.txt"
  done
}
same_as() { # <before> <after>: true when nothing differs; shows what does
  local rc=0 r
  diff "$1.files" "$2.files" >"$2.diff" || rc=1
  for r in hklm hkcu; do diff "$1.$r.txt" "$2.$r.txt" >>"$2.diff" || rc=1; done
  [ $rc -eq 0 ] || sed -n 1,40p "$2.diff"
  return $rc
}
# Runs the uninstaller and waits for it: NSIS copies it into the temporary
# folder and lets the copy do the work, so the first process ends at once.
# The copy removes the uninstaller, then the folders, and its registry keys
# last. (The copy itself is deleted by Windows at the next start, as NSIS
# arranges: the snapshots leave the temporary folders out.)
uninstall() { # <install folder, Linux path>
  local dir=$1
  wine "$(winepath -w "$dir/uninstall.exe" 2>/dev/null)" /S </dev/null >/dev/null 2>&1 || return 1
  _gyx_wait_until 300 test ! -e "$dir/uninstall.exe" &&
    _gyx_wait_until 300 eval "! wine reg query 'HKLM\\$uninstkey' </dev/null >/dev/null 2>&1"
}
uninstkey='Software\Microsoft\Windows\CurrentVersion\Uninstall\Gyrantrix'
winepath() { wine winepath "$@" </dev/null; }

# 2. A value the driver would not know is refused before anything is written.
snapshot "$work/s0"
wine "$work/gyrantrix-setup.exe" /S /COM2=bogus </dev/null >/dev/null 2>&1
rc=$?
check "/COM2=bogus is refused with exit code 2 (got $rc)" test $rc -eq 2
long='C:\'$(printf 'x%.0s' $(seq 1 130))
wine "$work/gyrantrix-setup.exe" /S "/D=$long" </dev/null >/dev/null 2>&1
rc=$?
check "an install folder whose Win32 path passes 127 characters is refused with exit code 2 (got $rc)" test $rc -eq 2
snapshot "$work/s0b"
check "a refused install changes nothing" same_as "$work/s0" "$work/s0b"

# 3. Silent install, the installed system at work, uninstall.
wine "$work/gyrantrix-setup.exe" /S /COM1=2200 </dev/null >/dev/null 2>&1
rc=$?
check "silent install /COM1=2200 ends with 0 (got $rc)" test $rc -eq 0
missing=""
for f in Win32/gyxsrv.exe Win32/evtview.exe Win32/jet.exe Win32/gyxsrv.html Win32/jet.html uninstall.exe \
         SDK/include/gyrantrix.h SDK/include/gyx_slim.h SDK/lib/x86_64/libgyrantrix.a SDK/lib/i686/libgyrantrix.a \
         SDK/lib/x86_64/libgyx_slim.a SDK/lib/i686/libgyx_slim.a SDK/lib/cmake/Gyrantrix/GyrantrixConfig.cmake \
         SDK/sample/CMakeLists.txt SDK/sample/hello_gi.c SDK/toolchains/mingw-w64.cmake; do
  [ -f "$inst/$f" ] || missing="$missing $f"
done
check "the programs, help pages, SDK and uninstaller are in Program Files${missing:+ (missing:$missing)}" test -z "$missing"
cmp -s "$inst/Win32/gyxsrv.exe" "$root/build/win64/bin/gyxsrv.exe"
check "the installed driver is the one this tree built" test $? -eq 0
shortcuts=$(cd "$menu" 2>/dev/null && ls | LC_ALL=C sort | tr '\n' '|')
check "Start menu: driver, test utility, jet demo, uninstaller ($shortcuts)" \
  test "$shortcuts" = "Gyrantrix Driver.lnk|Gyrantrix Test Utility.lnk|Jet Demo.lnk|Uninstall Gyrantrix.lnk|"
want_ini=$(printf '[gyrantrix]\nhomedirectory=C:\\Program Files\\Halvorin\\Gyrantrix\\Win32\nhomedir=C:\\Program Files\\Halvorin\\Gyrantrix\\Win32\n[COM1:]\ndevicetype=Quorvanel 2200')
got_ini=$(tr -d '\r' <"$ini" 2>/dev/null | sed '/^$/d')
check "gyrantx.ini names the install folder and the Quorvanel 2200 on COM1" test "$got_ini" = "$want_ini"
[ "$got_ini" = "$want_ini" ] || printf '%s\n' "$got_ini"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Gyrantrix' /v UninstallString \
  </dev/null 2>/dev/null | grep -q 'uninstall.exe'
check "the uninstall entry names the uninstaller" test $? -eq 0

GYX_INSTALLED_HOME='C:\Program Files\Halvorin\Gyrantrix\Win32' timeout 120 wine "$check_exe" \
  --gtest_filter='Installed.*' </dev/null >"$work/check.log" 2>&1
rc=$?
[ $rc -eq 0 ] || tail -40 "$work/check.log"
check "the installed evtview starts the installed driver, lists a button press; -shutdown ends the driver" \
  test $rc -eq 0

check "silent uninstall ends" uninstall "$inst"
snapshot "$work/s1"
check "after uninstalling, the prefix's files and registry are as before the install" same_as "$work/s0" "$work/s1"

# The installer's pages, as a user goes through them (no configuration yet).
check "no gyrantx.ini before the installer's pages" test ! -e "$ini"
GYX_SETUP_EXE=$(winepath -w "$work/gyrantrix-setup.exe" 2>/dev/null) timeout 180 wine "$check_exe" \
  --gtest_filter='InstallerWindow.*' </dev/null >"$work/pages.log" 2>&1
rc=$?
[ $rc -eq 0 ] || tail -40 "$work/pages.log"
check "the installer's pages: the folder, the ports (2200 on COM1 offered, a Stick chosen on COM3), Finish" \
  test $rc -eq 0
got=$(tr -d '\r' <"$ini" 2>/dev/null | sed '/^$/d' | tr '\n' '|')
check "gyrantx.ini holds what the page chose ($got)" test "$got" = \
  '[gyrantrix]|homedirectory=C:\Program Files\Halvorin\Gyrantrix\Win32|homedir=C:\Program Files\Halvorin\Gyrantrix\Win32|[COM1:]|devicetype=Quorvanel 2200|[COM3:]|devicetype=Quorvanel Stick|'
check "uninstall after the pages ends" uninstall "$inst"
snapshot "$work/s1b"
check "after that uninstall too, the prefix is as before" same_as "$work/s0" "$work/s1b"

# 4. A configuration the user had before.
mine=$(printf '; my controllers\r\n[gyrantrix]\r\nhomedirectory=D:\\Old\r\n[COM1:]\r\ndevicetype=Quorvanel Stick\r\nappfile=C:\\jet.ini\r\n')
printf '%s' "$mine" >"$ini"
cp "$ini" "$work/mine.ini"
wine "$work/gyrantrix-setup.exe" /S /COM2=3200 </dev/null >/dev/null 2>&1
rc=$?
check "install over a user's configuration ends with 0 (got $rc)" test $rc -eq 0
got=$(tr -d '\r' <"$ini" | sed '/^$/d' | tr '\n' '|')
case $got in
  *'[COM1:]|devicetype=Quorvanel Stick|appfile=C:\jet.ini|'*'[COM2:]|devicetype=Quorvanel 3200|'*) r=0 ;;
  *) r=1 ;;
esac
check "the user's COM1 (model, appfile) stays, COM2 is added ($got)" test $r -eq 0
check "the home directory is the install folder" grep -q 'homedirectory=C:\\Program Files\\Halvorin\\Gyrantrix\\Win32' "$ini"
check "uninstall over the user's configuration ends" uninstall "$inst"
check "the user's own gyrantx.ini is back, byte for byte" cmp -s "$ini" "$work/mine.ini"
rm -f "$ini"

# 5. What the user changed stays, and nothing else.
snapshot "$work/s2"
wine "$work/gyrantrix-setup.exe" /S /COM1=stick '/D=C:\Gyx' </dev/null >/dev/null 2>&1
rc=$?
check "silent install into /D=C:\\Gyx ends with 0 (got $rc)" test $rc -eq 0
check "/D= is where it went" test -f "$c/Gyx/Win32/gyxsrv.exe"
printf 'menuButton=31\r\n' >>"$ini"
printf 'my notes\r\n' >"$c/Gyx/Win32/notes.txt"
check "uninstall after the user's changes ends" uninstall "$c/Gyx"
snapshot "$work/s3"
diff "$work/s2.files" "$work/s3.files" | sed -n 's/^> //p' | sed 's/ [0-9]*$//' >"$work/left"
left=$(tr '\n' '|' <"$work/left")
check "left behind: the user's gyrantx.ini and notes.txt with its folders ($left)" \
  test "$left" = "./Gyx|./Gyx/Win32|./Gyx/Win32/notes.txt|./windows/gyrantx.ini|"
check "the user's gyrantx.ini keeps their change" grep -q 'menuButton=31' "$ini"
diff "$work/s2.hklm.txt" "$work/s3.hklm.txt" >/dev/null
check "no registry key is left" test $? -eq 0

finish
