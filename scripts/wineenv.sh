#!/usr/bin/env bash
# wineenv.sh: a private Wine prefix, X display and wineserver for one test run.
# Source it and call gyx_wine_up / gyx_wine_down (scripts/test.sh does), or run
# a single command inside such an environment: scripts/wineenv.sh run <command...>
#
# gyx_wine_up
#   1. Makes (once per Wine version, cached) a booted base prefix that uses Wine's
#      virtual desktop, so hiding a window never waits for a window manager.
#   2. Copies it into $GYX_RUN_DIR/prefix (GYX_RUN_DIR defaults to a fresh
#      /tmp/gyx-run.XXXXXX) and maps COM1..COM4 to $GYX_RUN_DIR/com1..com4: symlinks
#      that the controller simulator points at its pty on every run.
#   3. Starts its own Xvfb display, a persistent detached wineserver and the Wine
#      services, and exports DISPLAY, WINEPREFIX, WINEARCH, WINEDEBUG, GYX_RUN_DIR,
#      GYX_MODEM_DIR and (when $GYX_MODEM_SHIM exists) LD_PRELOAD.
#   Calling it again while up does nothing; when it fails it leaves nothing
#   running, restores the caller's variables and keeps its logs.
# gyx_wine_down
#   Stops Wine, the Linux programs the Win32 test harness started, and Xvfb;
#   removes $GYX_RUN_DIR (only its prefix when the caller supplied an existing
#   directory) unless GYX_KEEP_RUN is set; restores the caller's variables.
#
# Both are quiet: logs go to $GYX_RUN_DIR/*.log; failures print one "wineenv:" line
# to stderr and return non-zero (never exit: the file is meant to be sourced).

_gyx_wineenv_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Bump when the recipe of the base prefix changes, so old caches are not reused.
_GYX_BASE_RECIPE=r1
# Everything gyx_wine_up exports, restored by gyx_wine_down.
_GYX_EXPORTS="DISPLAY WINEPREFIX WINEARCH WINEDEBUG LD_PRELOAD GYX_RUN_DIR GYX_MODEM_DIR"

_gyx_err() { printf 'wineenv: error: %s\n' "$*" >&2; return 1; }

# _gyx_wait_until <tenths of a second> <command...>: poll until the command succeeds.
_gyx_wait_until() {
  local n=$1; shift
  while ((n-- > 0)); do
    "$@" && return 0
    sleep 0.1
  done
  "$@"
}

_gyx_xvfb_ready() { # pid display
  kill -0 "$1" 2>/dev/null && [ -S "/tmp/.X11-unix/X$2" ] &&
    [ "$(tr -d ' \n' <"/tmp/.X$2-lock" 2>/dev/null)" = "$1" ]
}

# _gyx_xvfb_wait <pid> <display>: up to 10 s for the server to be ready; gives
# up at once when it has exited (display taken by someone else meanwhile).
_gyx_xvfb_wait() {
  local n=100
  while ((n-- > 0)); do
    _gyx_xvfb_ready "$1" "$2" && return 0
    kill -0 "$1" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# _gyx_start_xvfb <dir>: start an Xvfb on the first free display of :90..:120 and
# record it in <dir>/xvfb.pid and <dir>/xvfb.display. A display whose lock file or
# socket exists belongs to someone else; losing a race for a free one (Xvfb exits
# because another server took the number first) moves on to the next number.
_gyx_start_xvfb() {
  local dir=$1 n pid
  for n in $(seq 90 120); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    # Own session, no terminal: Ctrl-C in the caller's terminal must not take the
    # display away from a run that is still shutting down.
    pid=$(setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp \
            </dev/null >>"$dir/xvfb.log" 2>&1 & echo $!)
    if _gyx_xvfb_wait "$pid" "$n"; then
      echo "$pid" >"$dir/xvfb.pid"
      echo "$n" >"$dir/xvfb.display"
      return 0
    fi
    kill "$pid" 2>/dev/null
  done
  _gyx_err "no Xvfb display could be started on :90..:120 (see $dir/xvfb.log)"
}

# _gyx_stop_xvfb <dir>
_gyx_stop_xvfb() {
  local dir=$1 pid
  pid=$(cat "$dir/xvfb.pid" 2>/dev/null) || return 0
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null
    _gyx_wait_until 50 eval "! kill -0 $pid 2>/dev/null" || kill -9 "$pid" 2>/dev/null
  fi
  rm -f "$dir/xvfb.pid" "$dir/xvfb.display"
}

# _gyx_stop_wine: end every Wine process of $WINEPREFIX and its wineserver.
# (-k sends SIGINT, then SIGKILL; never SIGHUP, which makes the server dump its state.)
_gyx_stop_wine() {
  wineserver -k >/dev/null 2>&1
  timeout 20 wineserver -w >/dev/null 2>&1 || _gyx_err "wineserver of $WINEPREFIX did not stop"
}

# _gyx_base_prefix: print the path of the cached base prefix, creating it first
# when needed. Creation is serialised with flock and built aside, then renamed,
# so concurrent runs never see a half-booted prefix.
_gyx_base_prefix() {
  local ver key cache base build rc
  ver=$(wine --version 2>/dev/null) || { _gyx_err "wine is not installed or does not run"; return 1; }
  key=$(printf '%s-win64-%s' "$ver" "$_GYX_BASE_RECIPE" | tr -c 'A-Za-z0-9._-' '_')
  cache=${XDG_CACHE_HOME:-$HOME/.cache}/gyrantrix/wineprefix-base
  base=$cache/$key
  if [ -f "$base/.gyx-ready" ]; then echo "$base"; return 0; fi
  mkdir -p "$cache" || { _gyx_err "cannot create $cache"; return 1; }
  (
    flock -w 600 9 || { _gyx_err "timed out waiting for another run to build $base"; exit 1; }
    [ -f "$base/.gyx-ready" ] && exit 0
    rm -rf "$base"
    build=$(mktemp -d "$cache/.build.XXXXXX") || exit 1
    # Without the lock's descriptor: a Wine or X process that outlived the build
    # would hold the lock for everyone.
    _gyx_build_base "$build" "$base" 9>&-
    rc=$?
    [ $rc -eq 0 ] && rm -rf "$build" ||
      _gyx_err "building the base Wine prefix failed; logs kept in $build"
    exit $rc
  ) 9>"$cache/.lock" || return 1
  echo "$base"
}

# _gyx_build_base <build dir> <final path>: boot a fresh prefix in <build dir>/prefix,
# set the virtual desktop, let the server save and exit, then move it into place.
_gyx_build_base() (
  local build=$1 final=$2
  _gyx_start_xvfb "$build" || exit 1
  export DISPLAY=":$(cat "$build/xvfb.display")"
  export WINEPREFIX=$build/prefix WINEARCH=win64 WINEDEBUG=-all
  # Without Mono and Gecko packages wineboot would offer to download them in a
  # dialog nobody can answer; the system uses neither.
  export WINEDLLOVERRIDES="mscoree=;mshtml="
  trap '_gyx_stop_wine; _gyx_stop_xvfb "$build"' EXIT
  timeout 600 wine wineboot -i >>"$build/wineboot.log" 2>&1 </dev/null ||
    { _gyx_err "wineboot -i failed (see $build/wineboot.log)"; exit 1; }
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f \
    >>"$build/reg.log" 2>&1 </dev/null &&
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1280x1000 /f \
    >>"$build/reg.log" 2>&1 </dev/null ||
    { _gyx_err "setting the virtual desktop failed (see $build/reg.log)"; exit 1; }
  # The registry reaches the disk when the server ends: let it end by itself (a few
  # seconds after the last program), and force it only if it does not.
  timeout 60 wineserver -w >/dev/null 2>&1 || _gyx_stop_wine || exit 1
  grep -q '^"Default"="1280x1000"' "$WINEPREFIX/user.reg" ||
    { _gyx_err "virtual desktop setting missing from user.reg after shutdown"; exit 1; }
  touch "$WINEPREFIX/.gyx-ready"
  mv "$WINEPREFIX" "$final" || exit 1
)

# _gyx_map_ports <system.reg> <run dir>: point HKLM\Software\Wine\Ports COM1..COM4
# at <run dir>/com1..com4. The file is edited as text while no server runs: one
# server start instead of four "wine reg add" calls and a restart.
_gyx_map_ports() {
  local reg=$1 dir=$2 esc
  # .reg strings escape backslash and double quote.
  esc=$(printf '%s' "$dir" | sed -e 's/\\/\\\\/g' -e 's/"/\\"/g')
  awk -v dir="$esc" -v now="$(date +%s)" '
    function ports() { for (i = 1; i <= 4; i++) printf "\"COM%d\"=\"%s/com%d\"\n", i, dir, i; done = 1 }
    /^\[/ { if (insec && !done) ports(); insec = ($0 ~ /^\[Software\\\\Wine\\\\Ports\]/) }
    insec && !done && !/^\[/ && !/^#/ { ports() }
    insec && /^"COM[1-4]"=/ { next }
    { print }
    END {
      if (insec && !done) ports()
      if (!done) { printf "\n[Software\\\\Wine\\\\Ports] %s\n", now; ports() }
    }' "$reg" >"$reg.gyx" && mv "$reg.gyx" "$reg"
}

# _gyx_ports_mapped: the running server sees COM1 mapped into $GYX_RUN_DIR.
_gyx_ports_mapped() {
  wine reg query 'HKLM\Software\Wine\Ports' /v COM1 2>/dev/null </dev/null |
    tr -d '\r' | grep -qF "$GYX_RUN_DIR/com1"
}

_gyx_save_env() {
  local v
  for v in $_GYX_EXPORTS; do
    if [ -n "${!v+x}" ]; then export "_GYX_SAVED_$v=${!v}"; else unset "_GYX_SAVED_$v"; fi
  done
}

_gyx_restore_env() {
  local v s
  for v in $_GYX_EXPORTS; do
    s=_GYX_SAVED_$v
    if [ -n "${!s+x}" ]; then export "$v=${!s}"; unset "$s"; else unset "$v"; fi
  done
  unset _GYX_WINE_UP
}

gyx_wine_up() {
  # Already up in this shell and still alive: nothing to do.
  if [ -n "${_GYX_WINE_UP:-}" ] && [ -n "${GYX_RUN_DIR:-}" ] &&
     _gyx_xvfb_ready "$(cat "$GYX_RUN_DIR/xvfb.pid" 2>/dev/null)" "${DISPLAY#:}"; then
    return 0
  fi
  [ -n "${_GYX_WINE_UP:-}" ] || _gyx_save_env
  if _gyx_up; then
    _GYX_WINE_UP=1
    return 0
  fi
  # Leave nothing running and the caller's environment as it was; keep the logs.
  if [ -n "${GYX_RUN_DIR:-}" ] && [ -d "$GYX_RUN_DIR" ]; then
    [ -d "$GYX_RUN_DIR/prefix" ] && WINEPREFIX=$GYX_RUN_DIR/prefix _gyx_stop_wine
    _gyx_stop_xvfb "$GYX_RUN_DIR"
    rm -rf "$GYX_RUN_DIR/prefix"
    printf 'wineenv: logs kept in %s\n' "$GYX_RUN_DIR" >&2
  fi
  _gyx_restore_env
  return 1
}

_gyx_up() {
  local base prefix shim
  command -v wine >/dev/null && command -v wineserver >/dev/null && command -v Xvfb >/dev/null ||
    { _gyx_err "wine, wineserver and Xvfb must be installed"; return 1; }
  base=$(_gyx_base_prefix) || return 1

  if [ -z "${GYX_RUN_DIR:-}" ]; then
    GYX_RUN_DIR=$(mktemp -d /tmp/gyx-run.XXXXXX) || { _gyx_err "mktemp failed"; return 1; }
    touch "$GYX_RUN_DIR/.gyx-run"
  fi
  case $GYX_RUN_DIR in
    /*) ;;
    *) GYX_RUN_DIR=$(pwd)/$GYX_RUN_DIR ;;
  esac
  export GYX_RUN_DIR GYX_MODEM_DIR=$GYX_RUN_DIR/modem
  # The path goes into the registry and into Wine command lines.
  if ! printf '%s' "$GYX_RUN_DIR" | LC_ALL=C grep -qx '[[:print:]]*'; then
    _gyx_err "GYX_RUN_DIR must be printable ASCII: $GYX_RUN_DIR"; return 1
  fi
  # A directory this function creates is removed whole by gyx_wine_down (the
  # ".gyx-run" mark); of a directory the caller already had, only the prefix.
  if [ ! -d "$GYX_RUN_DIR" ]; then
    mkdir -p "$GYX_RUN_DIR" && touch "$GYX_RUN_DIR/.gyx-run" ||
      { _gyx_err "cannot create $GYX_RUN_DIR"; return 1; }
  fi
  mkdir -p "$GYX_MODEM_DIR" || { _gyx_err "cannot create $GYX_MODEM_DIR"; return 1; }
  prefix=$GYX_RUN_DIR/prefix

  if [ ! -f "$prefix/.gyx-ready" ]; then
    rm -rf "$prefix"
    cp -a "$base" "$prefix" || { _gyx_err "copying $base to $prefix failed"; return 1; }
    _gyx_map_ports "$prefix/system.reg" "$GYX_RUN_DIR" ||
      { _gyx_err "mapping COM1..COM4 in $prefix/system.reg failed"; return 1; }
  fi

  if ! _gyx_xvfb_ready "$(cat "$GYX_RUN_DIR/xvfb.pid" 2>/dev/null)" \
                       "$(cat "$GYX_RUN_DIR/xvfb.display" 2>/dev/null)"; then
    _gyx_start_xvfb "$GYX_RUN_DIR" || return 1
  fi
  export DISPLAY=":$(cat "$GYX_RUN_DIR/xvfb.display")"
  export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all

  # Exported for everything (wineserver, services, tests): the Win32 process that
  # opens a COM port needs it, and every child inherits it.
  shim=${GYX_MODEM_SHIM:-$_gyx_wineenv_root/build/native/tools/modemshim/libgyxmodem.so}
  if [ -f "$shim" ]; then
    case " ${LD_PRELOAD:-} " in
      *"$shim"*) ;;
      *) export LD_PRELOAD="$shim${LD_PRELOAD:+ $LD_PRELOAD}" ;;
    esac
  fi

  # A persistent server started on its own, with its output in a file: otherwise
  # the server and the services inherit the first Wine process's stdout, and any
  # pipe reading it (ctest, "wine x | tr") waits for them until its time-out.
  # (Starting a second server while one runs for this prefix is refused and harmless.)
  # GYX_WINESERVER_DEBUG=-d1 makes it log every server request into that file
  # (bench/requests.py counts them per packet).
  # shellcheck disable=SC2086
  setsid wineserver -p ${GYX_WINESERVER_DEBUG:-} >>"$GYX_RUN_DIR/wineserver.log" 2>&1 </dev/null
  # The first Wine process of a session runs "wineboot --init", which starts the
  # services (and updates the prefix only when wine.inf changed); this one runs it
  # with its output in the log. ("wineboot -u" would re-install wine.inf every
  # time: 3-4 s for nothing, since the base prefix is booted already.)
  WINEDLLOVERRIDES="mscoree=;mshtml=" \
    timeout 300 wine wineboot >>"$GYX_RUN_DIR/wineboot.log" 2>&1 </dev/null ||
    { _gyx_err "wineboot failed (see $GYX_RUN_DIR/wineboot.log)"; return 1; }
  _gyx_ports_mapped ||
    { _gyx_err "COM1 is not mapped to $GYX_RUN_DIR/com1 in the registry"; return 1; }
}

gyx_wine_down() {
  local dir=${GYX_RUN_DIR:-} rc=0 f
  [ -n "$dir" ] || { _gyx_err "gyx_wine_down: GYX_RUN_DIR is not set"; return 1; }
  if [ -d "$dir/prefix" ]; then
    WINEPREFIX=$dir/prefix _gyx_stop_wine || rc=1
  fi
  # Linux programs started by the Win32 test harness end when their alive file goes.
  for f in "$dir"/linux/*/alive; do [ -e "$f" ] && rm -f "$f"; done
  _gyx_stop_xvfb "$dir"
  if [ -n "${GYX_KEEP_RUN:-}" ]; then
    printf 'wineenv: run directory kept: %s\n' "$dir" >&2
  else
    # Give the Linux programs a moment to notice before their directory goes.
    [ -d "$dir/linux" ] && sleep 0.3
    if [ -f "$dir/.gyx-run" ]; then rm -rf "$dir"; else rm -rf "$dir/prefix"; fi
  fi
  _gyx_restore_env
  return $rc
}

# Run directly: scripts/wineenv.sh run <command...>
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  if [ "${1:-}" != run ] || [ $# -lt 2 ]; then
    echo "usage: $0 run <command> [args...]   (or source it and call gyx_wine_up / gyx_wine_down)" >&2
    exit 2
  fi
  shift
  gyx_wine_up || exit 1
  trap 'gyx_wine_down; exit 130' INT TERM
  "$@"
  rc=$?
  trap - INT TERM
  gyx_wine_down || true
  exit $rc
fi
