#!/usr/bin/env bash
# simfifo.sh: controller simulators driven from a script, one command at a time.
# Source it inside a Wine environment of scripts/wineenv.sh (GYX_RUN_DIR set).
#
# gyx_sim_start NAME MODEL COMn   starts gyxsim playing MODEL on that port; its
#                                 commands come from a FIFO, its log is
#                                 $GYX_RUN_DIR/sim-NAME.log
# gyx_sim_say NAME COMMAND...     sends one command and waits (up to 60 s) for its
#                                 one-line reply, which it prints
# gyx_sim_send NAME COMMAND...    sends one command without waiting (a long move)
# gyx_sim_stop_all                ends every simulator started here

_gyx_sim_bin=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/native/tools/gyxsim/gyxsim
declare -A _gyx_sim_fd _gyx_sim_pid _gyx_sim_replies

gyx_sim_start() {
  local name=$1 model=$2 port=$3 dir=$GYX_RUN_DIR fd
  rm -f "$dir/sim-$name.in"
  mkfifo "$dir/sim-$name.in" || return 1
  "$_gyx_sim_bin" --model "$model" --link "$dir/${port,,}" --stdin --log "$dir/sim-$name.log" \
    <"$dir/sim-$name.in" >"$dir/sim-$name.out" 2>&1 &
  _gyx_sim_pid[$name]=$!
  exec {fd}>"$dir/sim-$name.in"
  _gyx_sim_fd[$name]=$fd
  _gyx_sim_replies[$name]=0
}

gyx_sim_send() {
  local name=$1; shift
  echo "$*" >&"${_gyx_sim_fd[$name]}"
  _gyx_sim_replies[$name]=$((_gyx_sim_replies[$name] + 1))
}

gyx_sim_say() {
  local name=$1 out=$GYX_RUN_DIR/sim-$1.out n=600
  gyx_sim_send "$@"
  while [ "$(wc -l <"$out")" -lt "${_gyx_sim_replies[$name]}" ] && ((n-- > 0)); do sleep 0.1; done
  tail -1 "$out"
}

gyx_sim_stop_all() {
  local name fd
  for name in "${!_gyx_sim_fd[@]}"; do
    fd=${_gyx_sim_fd[$name]}
    exec {fd}>&- 2>/dev/null
    kill "${_gyx_sim_pid[$name]}" 2>/dev/null
    wait "${_gyx_sim_pid[$name]}" 2>/dev/null
  done
  _gyx_sim_fd=()
  _gyx_sim_pid=()
}
